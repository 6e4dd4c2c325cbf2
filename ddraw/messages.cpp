// English messages for DirectDraw result codes. A fixed table in static
// storage: equal codes always give the same text pointer, and every code not
// in the table (Direct3D codes, DirectDraw codes not listed, positive values)
// gives "0".
//
// The leading and trailing spaces of each text are part of it and are kept
// exactly as hosts have always received them.
#include <cstdint>

#include "ddraw/platform.h"

namespace {

struct Message {
    uint32_t code;
    const char* text;
};

// Ordered by the code as an unsigned number.
constexpr Message kMessages[] = {
    {0x00000000u, " The request completed successfully."},
    {0x80004001u, "The operation is not supported. "},
    {0x80004005u, " There is an undefined error condition."},
    {0x800401F0u, "An attempt was made to call a method of an object before it was initialized. "},
    {0x8007000Eu, "DirectDraw does not have enough memory to perform the operation. "},
    {0x80070057u, "One or more of the parameters passed to the method are incorrect. "},
    {0x88760005u, "The object has already been initialized. "},
    {0x8876000Au, "The surface cannot be attached to the surface that was requested. "},
    {0x88760014u, "The surface cannot be detached from the surface that was requested. "},
    {0x88760028u, "No support is currently available for the operation. "},
    {0x88760037u, "An exception was encountered while performing the requested operation.  "},
    {0x8876005Au, "The height of the rectangle is not a multiple of the required alignment. "},
    {0x8876005Fu, "The requested primary surface does not match the one that already exists. "},
    {0x88760064u, "One or more of the capability bits passed to the method are incorrect. "},
    {0x8876006Eu, "DirectDraw does not support the clip list that was provided. "},
    {0x88760078u, " DirectDraw does not support the requested mode. "},
    {0x88760082u, " DirectDraw received a pointer that was an invalid DirectDraw object."},
    {0x88760091u, "The pixel format that was specified is not valid. "},
    {0x88760096u, "The rectangle that was provided is not valid. "},
    {0x887600A0u, "The operation cannot go ahead because one or more surfaces are locked. "},
    {0x887600AAu, "No 3-D hardware or emulation is present. "},
    {0x887600B4u, "No alpha-blending hardware is present or available. "},
    {0x887600CDu, "No clip list is available. "},
    {0x887600D2u, "The operation needs colour-conversion hardware, and none is present.  "},
    {0x887600D4u, "A creation method was called before the cooperative level was set. "},
    {0x887600D7u, "The surface does not have a colour key at present. "},
    {0x887600DCu, "There is no hardware support for the destination colour key. "},
    {0x887600DEu, "DirectDraw cannot work with the display driver that is installed. "},
    {0x887600E1u, "The operation needs the exclusive cooperative level, which the application does not hold. "},
    {0x887600E6u, "Flipping visible surfaces is not supported by the hardware. "},
    {0x887600F0u, "The operation needs GDI, and no GDI is present. "},
    {0x887600FAu, "There is no hardware support for mirroring. "},
    {0x887600FFu, "The requested item was not found. "},
    {0x88760104u, "There is no hardware support for overlays. "},
    {0x88760118u, "There is no hardware support for the requested raster operation. "},
    {0x88760122u, "There is no hardware support for rotation. "},
    {0x88760136u, "There is no hardware support for stretching. "},
    {0x8876013Cu, "The operation needs a surface with a 4-bit colour palette. "},
    {0x8876013Du, "The operation needs a surface with a 4-bit colour-index palette. "},
    {0x88760140u, "The operation needs a surface with an 8-bit colour palette. "},
    {0x8876014Au, "There is no hardware support for texture mapping. "},
    {0x8876014Fu, "There is no hardware support for synchronising with the vertical blank. "},
    {0x88760154u, "There is no hardware or software support for depth buffers. "},
    {0x8876015Eu, "The hardware cannot keep overlay surfaces in a depth order. "},
    {0x88760168u, "The hardware the operation needs has already been taken. "},
    {0x8876017Cu, "There is not enough display memory to perform the operation. "},
    {0x8876017Eu, "The hardware cannot show clipped overlays. "},
    {0x88760180u, "An overlay can have only one colour key active at a time. "},
    {0x88760183u, "The palette cannot be used because another thread has locked it. "},
    {0x88760190u, "The operation needs a source colour key, and none has been set. "},
    {0x8876019Au, "The surface is already attached to the surface it was to be attached to. "},
    {0x887601A4u, "The surface already depends on the surface it was to be made dependent on. "},
    {0x887601AEu, "The surface cannot be used because another thread has locked it. "},
    {0x887601B3u, "The surface cannot be used because it cannot be locked. "},
    {0x887601B8u, "The surface cannot be used because it is covered. "},
    {0x887601C2u, "The memory of the surface has been lost, and the surface must be restored. "},
    {0x887601CCu, "The requested surface is not attached. "},
    {0x887601D6u, "The requested height is larger than DirectDraw can create. "},
    {0x887601E0u, "The requested size is larger than DirectDraw can create. "},
    {0x887601EAu, "The requested width is larger than DirectDraw can create. "},
    {0x887601FEu, "DirectDraw does not support the pixel format of the surface. "},
    {0x88760208u, "DirectDraw does not support the bit mask given in the pixel format.  "},
    {0x88760219u, " A vertical blank is in progress."},
    {0x8876021Cu, "The previous blit to or from the surface has not yet finished. "},
    {0x88760230u, "The rectangle does not start on a boundary of the required horizontal alignment. "},
    {0x88760231u, "The GUID passed to the creation function is not a valid driver identifier.  "},
    {0x88760232u, "A DirectDraw object for this driver has already been created in this process. "},
    {0x88760233u, "A hardware-only DirectDraw object cannot be created because the driver has no hardware support. "},
    {0x88760234u, "This process has already created a primary surface. "},
    {0x88760235u, " Software emulation is not available."},
    {0x88760236u, "The region passed to the clipper is too small. "},
    {0x88760237u, "A clip list cannot be set on a clipper that is already following a window.  "},
    {0x88760238u, "The surface has no clipper attached. "},
    {0x88760239u, "The operation needs a window handle, and none was set with the cooperative level.  "},
    {0x8876023Au, "DirectDraw cannot restore the window state because the window was subclassed."},
    {0x8876023Bu, " The cooperative-level window has already been set and cannot change while surfaces exist. "},
    {0x8876023Cu, "The surface has no palette attached.  "},
    {0x8876023Du, " There is no hardware support for 16-colour or 256-colour palettes."},
    {0x8876023Eu, "A fast blit cannot be made while a clipper is attached to the destination. "},
    {0x8876023Fu, "There is no blitter hardware. "},
    {0x88760240u, "There is no hardware support for DirectDraw raster operations. "},
    {0x88760241u, " The position of the overlay cannot be read while it is hidden."},
    {0x88760242u, " The position of the overlay cannot be read because no destination has been set for it. "},
    {0x88760243u, "The position of the overlay on its destination is no longer valid. "},
    {0x88760244u, "An overlay operation was called on a surface that is not an overlay. "},
    {0x88760245u, "Another application already holds the exclusive cooperative level. "},
    {0x88760246u, "The surface cannot be flipped because it is not part of a flipping chain. "},
    {0x88760247u, "Primary surfaces, 3-D surfaces and implicitly created surfaces cannot be duplicated. "},
    {0x88760248u, "The surface was unlocked without having been locked. "},
    {0x88760249u, "No device context could be created for the surface. "},
    {0x8876024Au, " No device context was ever created for this surface."},
    {0x8876024Bu, "The surface was created in another display mode and cannot be restored in this one. "},
    {0x8876024Cu, "The surface cannot be restored because it was created implicitly."},
    {0x8876024Du, "The surface has no palette-based pixel format. "},
    {0x8876024Eu, "The display is in a mode that is not supported. "},
    {0x8876024Fu, "There is no hardware support for mipmapped textures. "},
    {0x88760250u, "The surface is of the wrong type for the requested operation. "},
    {0x88760258u, "The device does not support optimized surfaces. "},
    {0x88760259u, "The optimized surface has not yet been given any memory. "},
    {0x8876026Cu, "A device context has already been handed out for this surface. "},
    {0x88760276u, "The driver does not support non-local display memory. "},
    {0x88760280u, "The attempt to page lock the surface failed. "},
    {0x88760294u,
     "An attempt to page unlock a surface failed. Page unlock will not work on a display-memory surface or an "
     "emulated primary surface.  "},
    {0x887602A8u, "The surface was page unlocked without having been page locked. "},
    {0x887602B2u, "There is more data than the buffer that was given can hold. "},
    {0x887602B7u, " The video port is not active."},
    {0x887602BBu, "Surfaces created by one direct draw device cannot be used directly by another direct draw device. "},
};

static_assert(sizeof kMessages / sizeof kMessages[0] == 107, "the message table has 107 rows");

constexpr const char* kUnknown = "0";

}  // namespace

extern "C" VC15_API const char* VC15_CALL vdxDirectDrawErrorCode(HRESULT code) {
    const auto key = static_cast<uint32_t>(code);
    for (const Message& m : kMessages)
        if (m.code == key) return m.text;
    return kUnknown;
}
