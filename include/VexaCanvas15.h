/*
 * VexaCanvas15 -- a 16-bit software canvas with clipped, effect-capable
 * span-list and raw-image blits, DirectDraw 7 / Direct3D 7 set-up helpers,
 * pixel converters and a 24-bit BMP loader.
 *
 * This is the one header a host includes.
 *
 * Conventions
 *   - Canvas operations return 0 for success and -1 for failure; AddRef and
 *     Release return the reference count. vdx creation and enumeration
 *     functions return 0 or -1 (vdxSetColorKey passes the platform's result
 *     on); vdxFillColor and imgLoadBMP return a one-byte boolean.
 *   - Free functions are extern "C", cdecl, exported under their plain names.
 *   - Nothing throws. Records passed in are read during the call only.
 *   - A null pointer argument gets the call's failure result (-1, false,
 *     0xFFFFFFFF or nothing done), never a crash. Rectangles and surfaces
 *     are held to the canvas. What stays the host's to get right: a pointer
 *     to something already released or freed (a canvas after its last
 *     Release, a BMP block after imgFreeBMP), and sprite records that do not
 *     match their image (check sprites from files with spnValidate).
 *   - Ownership: the canvas owns its pixels and depth plane; images, span
 *     data, DrawEffect and DepthParams belong to the host. Enumeration nodes
 *     belong to the host once appended to its list (destroy them with
 *     vcDeleteNode or `delete`, see CListNode). The BMP pixel block belongs to
 *     the caller and must be released with imgFreeBMP.
 *   - Threads: AddRef/Release are atomic; every other call on one canvas (and
 *     every call that allocates) must come from one thread at a time.
 *
 * Choices where the behaviour is not fixed by the canvas's rules
 *   - CreateInstance returns null when no memory can be had.
 *   - Create whose pixel buffer cannot be allocated (or whose size is not
 *     above 0 or beyond the size limit, VC15_MAX_CANVAS_SIDE and
 *     VC15_MAX_CANVAS_BYTES) returns 0 and leaves a canvas of size 0 x 0
 *     without pixels; Draw and FillRect on it write nothing (Draw
 *     returns -1). A depth plane that cannot be allocated is simply absent.
 *   - Draw returns -1 and draws nothing when: image and effect are both null;
 *     the canvas has no pixels; a depth effect or the plane-clearing request
 *     meets a canvas without a depth plane; an image's box is negative.
 *   - SetClipRect keeps the part of the rectangle inside the canvas; FillRect
 *     fills the part of its rectangle inside the canvas; CopyToSurface copies
 *     what both the canvas and the locked surface have, into 16-bit surfaces
 *     only, and (like vcPresent) nothing into a surface whose pitch is
 *     negative or smaller than its own row. A rectangle within the canvas is
 *     used exactly as given.
 *   - A raw image with null pixels draws nothing and gives 0. A depth sample
 *     plus bias above 255 is not drawn (no 8-bit wrap). The plane-clearing
 *     Draw (null image) takes any effect code, 0 included.
 *   - EFFECT_SOFT_EDGE: a record of count 0 on the unclipped path draws
 *     nothing.
 *   - EFFECT_DEPTH_ALPHA: levels above 256 are clamped to 256, as the alpha
 *     effect does, so no channel spills into its neighbour.
 *   - Sprite positions are compared exactly (no 32-bit wrap-around), so a
 *     position near the integer limits is clipped, never wrapped inside.
 */
#ifndef VEXACANVAS15_H
#define VEXACANVAS15_H

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#if defined(_WIN32)
#include <windows.h>
/* DirectDraw needs the Windows types first. */
#include <ddraw.h>
/* Direct3D needs DirectDraw's. */
#include <d3d.h>
#endif
/* DirectDraw's declarations where the platform has none; everywhere, the
 * ready base for a host's own surface object. */
#include "VexaCanvas15_ddraw.h"

/* ---- Version ------------------------------------------------------------ */
#define VC15_VERSION_MAJOR 1
#define VC15_VERSION_MINOR 0
#define VC15_VERSION_PATCH 0

/* ---- Linkage ------------------------------------------------------------ */
#if defined(_WIN32)
#define VC15_CALL __cdecl
#if defined(VC15_BUILDING_LIBRARY)
#define VC15_API /* exports come from the module-definition file */
#else
#define VC15_API __declspec(dllimport)
#endif
#else
#define VC15_CALL
#define VC15_API __attribute__((visibility("default")))
#endif

/*
 * Destructor slot. A host built with MSVC expects a class whose only virtual
 * operation is its destructor to have exactly one table slot: the scalar
 * deleting destructor, taking an unsigned flags argument (bit 0: free the
 * memory). GCC on Windows would give a virtual destructor two slots, so
 * there the classes below declare that one slot explicitly instead. With
 * MSVC-compatible compilers and on other platforms the natural virtual
 * destructor is used.
 */
#if defined(_WIN32) && !defined(_MSC_VER)
#define VC15_EXPLICIT_DELETING_SLOT 1
#define VC15_VIRTUAL_DESTRUCTOR(T)                                   \
    virtual void* vcDeletingDestructor(unsigned int flags) {         \
        this->~T();                                                  \
        if (flags & 1u) ::operator delete(static_cast<void*>(this)); \
        return this;                                                 \
    }                                                                \
    ~T()
#else
#define VC15_EXPLICIT_DELETING_SLOT 0
#define VC15_VIRTUAL_DESTRUCTOR(T) virtual ~T()
#endif

/* ---- Constants ---------------------------------------------------------- */
#define VC15_IID_CANVAS 0x882C5413u   /* ICanvas   */
#define VC15_IID_CANVAS15 0x8841051Bu /* ICanvas15 */

#define CANVAS_DEPTHPLANE 0x10u

/* Canvas size limit: each side at most VC15_MAX_CANVAS_SIDE pixels and the
 * pixel buffer (2 bytes a pixel) at most VC15_MAX_CANVAS_BYTES. Create beyond
 * it behaves as when the memory cannot be had; the depth plane (1 byte a
 * pixel) follows the canvas. */
#define VC15_MAX_CANVAS_SIDE 32767
#define VC15_MAX_CANVAS_BYTES 0x40000000u /* 1 GiB */

#define IMAGE_DRAWABLE 0x10000000u
#define IMAGE_SPANLIST 0x10000002u
#define IMAGE_RAW16 0x10000004u

/* Effect codes (DrawEffect.code, compared for equality; span-list images
 * only).
 * EFFECT_ALPHA: the sprite weighs level/256 over the canvas (level 0 draws
 *   nothing, above 256 counts as 256); blended pixels are RGB555 with bit 15
 *   clear. Each run is blended four pixels at a time, its last count mod 4
 *   pixels one at a time; inside a group of four a sprite pixel of 0x0040 is
 *   a key and leaves the canvas pixel as it was (bit 15 included), while in
 *   the last 1 to 3 pixels it is blended like any other, and the two forms
 *   may round one step apart. Avoid 0x0040 in alpha sprites unless you want
 *   exactly that.
 * EFFECT_SOFT_EDGE: a plain copy; when the sprite lies wholly inside the clip
 *   rectangle, each span's first and last pixel are averaged with the canvas.
 * EFFECT_DEPTH: needs params with a depth image and a canvas depth plane; a
 *   pixel is drawn where sample + bias <= the plane's value (see DEPTH_*).
 *   The sum does not wrap at 8 bits: above 255 it is farther than any plane
 *   value, so that pixel is neither drawn nor written to the plane.
 * EFFECT_DEPTH_ALPHA: the depth test, then the per-pixel EFFECT_ALPHA blend
 *   (no key). */
#define EFFECT_ALPHA 8u
#define EFFECT_SOFT_EDGE 16u
#define EFFECT_DEPTH 4096u
#define EFFECT_DEPTH_ALPHA 8192u

/* DepthParams.flags. DEPTH_WRITE: before the depth effects draw, lower the
 * plane to sample + bias under the sprite. DEPTH_CLEAR (with DEPTH_WRITE, or
 * with a null image: a clear alone, whatever the effect's code, 0 included):
 * first fill the whole plane with 255, or with flags & 0xFF when
 * DEPTH_CLEAR_VALUE is set too. */
#define DEPTH_WRITE 0x1u
#define DEPTH_CLEAR 0x10000u
#define DEPTH_CLEAR_VALUE 0x20000u

#define FORMAT_RGB888 7u

/* ---- Records shared with the canvas ------------------------------------- */
struct ClipRect {
    int32_t left;   /* first column drawn */
    int32_t top;    /* first row drawn */
    int32_t right;  /* one past the last column drawn */
    int32_t bottom; /* one past the last row drawn */
};

struct CanvasDesc {
    uint32_t flags; /* CANVAS_DEPTHPLANE: give the canvas a depth plane */
    int32_t width;
    int32_t height;
};

struct FillRectDesc {
    uint8_t color[3]; /* R, G, B: their top five bits become RGB555 */
    uint8_t pad;
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

class CSpanImage;

struct DepthParams {
    uint32_t flags; /* DEPTH_WRITE | DEPTH_CLEAR | DEPTH_CLEAR_VALUE | low byte */
    uint8_t bias;   /* added to every depth sample */
    CSpanImage* depthImage;
};

struct DrawEffect {
    uint32_t code; /* EFFECT_* (compared for equality) */
    uint16_t reserved;
    uint16_t level; /* 0..256: source weight in 256ths */
    DepthParams* params;
};

/* Packed span record: header of every span in a span-list image's stream,
 * followed by `count` elements (16-bit pixels, or 8-bit depth samples). */
#pragma pack(push, 1)
struct SpanRecord {
    uint16_t x;     /* first column, from the image's left edge */
    uint16_t y;     /* row, from the image's top edge */
    uint32_t count; /* number of elements that follow */
};
#pragma pack(pop)

/* ---- List nodes --------------------------------------------------------- */
class CNodeList;

/* Base of every intrusive list node. Nodes the library makes (enumeration
 * results) are freed by the library's allocator when destroyed through the
 * table: use `delete node` (MSVC hosts, Linux) or vcDeleteNode(node). */
class CListNode {
public:
    CListNode() : prev(nullptr), next(nullptr), owner(nullptr) {}
    VC15_VIRTUAL_DESTRUCTOR(CListNode) {}

    CListNode* prev;
    CListNode* next;
    CNodeList* owner;
};

/* List header, owned by the host; start with all fields 0. */
class CNodeList {
public:
    int32_t GetCount() const { return count; }

    int32_t count;
    CListNode* head;
    CListNode* tail;
};

/* Destroys a node through its table (frees it with the allocator that made
 * it), whatever compiler built the host. Does not unlink it. */
inline void vcDeleteNode(CListNode* node) {
    if (!node) return;
#if VC15_EXPLICIT_DELETING_SLOT
    node->vcDeletingDestructor(1u);
#else
    delete node;
#endif
}

/* ---- Image records ------------------------------------------------------ */
class CImage {
public:
    CImage() : kind(0), width(0), height(0), attr(0) {}
    VC15_VIRTUAL_DESTRUCTOR(CImage) {}

    uint32_t kind;  /* IMAGE_SPANLIST or IMAGE_RAW16 */
    int32_t width;  /* box width in pixels, never negative */
    int32_t height; /* box height in rows, never negative */
    uint32_t attr;  /* 1 in a new span-list image; not read by drawing */
};

/* Span-list image: `spanCount` packed records in `spans`. `spans` is owned by
 * the image and released with delete[] by Clear(): allocate it with new[].
 * Not copyable (a copy is a compile error): the record does not know how long
 * its span data is (a sprite has 2 bytes an element, its depth image 1, and
 * both are IMAGE_SPANLIST), so a copy could only share `spans`, and both
 * copies would free it. Moving hands the data over (std::vector of images
 * works) and leaves the source empty. */
class CSpanImage : public CImage {
public:
    CSpanImage() : spanCount(0), reserved(0), spans(nullptr) {
        kind = IMAGE_SPANLIST;
        attr = 1;
    }
    CSpanImage(const CSpanImage&) = delete;
    CSpanImage& operator=(const CSpanImage&) = delete;
    CSpanImage(CSpanImage&& other) noexcept
        : CImage(other), spanCount(other.spanCount), reserved(other.reserved), spans(other.spans) {
        other.spans = nullptr;
        other.Clear();
    }
    CSpanImage& operator=(CSpanImage&& other) noexcept {
        if (this == &other) return *this;
        Clear();
        CImage::operator=(other);
        spanCount = other.spanCount;
        reserved = other.reserved;
        spans = other.spans;
        other.spans = nullptr;
        other.Clear();
        return *this;
    }
    VC15_VIRTUAL_DESTRUCTOR(CSpanImage) { Clear(); }

    void Clear() {
        delete[] spans;
        spans = nullptr;
        reserved = 0;
        spanCount = 0;
        attr = 1;
        width = 0;
        height = 0;
    }

    uint32_t spanCount;
    uint32_t reserved;
    uint8_t* spans;
};

/* Raw image record: `height` rows of exactly `width` 16-bit pixels. The
 * pixels belong to the host; the library only reads them. */
class CRawImage : public CImage {
public:
    CRawImage() : pixels(nullptr) { kind = IMAGE_RAW16; }
    VC15_VIRTUAL_DESTRUCTOR(CRawImage) {}

    uint16_t* pixels;
};

/* One span described by reference. `pixels` is owned by the node (released
 * with free()) unless set to null before the node is destroyed. Not copyable
 * (a compile error): a copy would share `pixels` and free it twice, and a
 * node's links belong to its list. */
class CSpanNode : public CListNode {
public:
    CSpanNode() : x(0), y(0), count(0), pixels(nullptr) {}
    CSpanNode(const CSpanNode&) = delete;
    CSpanNode& operator=(const CSpanNode&) = delete;
    VC15_VIRTUAL_DESTRUCTOR(CSpanNode) {
        if (pixels) ::free(pixels);
    }

    uint16_t x;
    uint16_t y;
    uint32_t count;
    uint16_t* pixels;
};

/* ---- Enumeration nodes (filled by the vdxGet... functions) -------------- */
class CDDrawDriverNode : public CListNode {
public:
    CDDrawDriverNode() : monitor(nullptr) {
        ::memset(name, 0, sizeof name);
        ::memset(description, 0, sizeof description);
        ::memset(&guid, 0, sizeof guid);
        ::memset(&caps, 0, sizeof caps);
    }
    VC15_VIRTUAL_DESTRUCTOR(CDDrawDriverNode) {}

    char name[64];
    char description[64];
    GUID guid; /* all zero for the driver reported without a GUID */
    DDCAPS caps;
    HMONITOR monitor;
};

class CDisplayModeNode : public CListNode {
public:
    CDisplayModeNode() { ::memset(&mode, 0, sizeof mode); }
    VC15_VIRTUAL_DESTRUCTOR(CDisplayModeNode) {}

    DDSURFACEDESC2 mode;
};

class CZBufferFormatNode : public CListNode {
public:
    CZBufferFormatNode() { ::memset(&format, 0, sizeof format); }
    VC15_VIRTUAL_DESTRUCTOR(CZBufferFormatNode) {}

    DDPIXELFORMAT format;
};

class CD3DDeviceNode : public CListNode {
public:
    CD3DDeviceNode() {
        ::memset(name, 0, sizeof name);
        ::memset(description, 0, sizeof description);
        ::memset(&desc, 0, sizeof desc);
    }
    VC15_VIRTUAL_DESTRUCTOR(CD3DDeviceNode) {}

    char name[64];
    char description[64];
    D3DDEVICEDESC7 desc;
};

/* ---- Interfaces --------------------------------------------------------- */
class VC15_API IVUnknown {
public:
    IVUnknown();
    IVUnknown(const IVUnknown& other);
    IVUnknown& operator=(const IVUnknown& other);

    virtual int32_t QueryInterface(uint32_t iid, void** out) = 0; /* slot 0 */
    virtual uint32_t AddRef() = 0;                                /* slot 1 */
    virtual uint32_t Release() = 0;                               /* slot 2 */
};

/* The canvas. Results are 0 for success and -1 for failure unless stated.
 *
 * QueryInterface(iid, out): VC15_IID_CANVAS or VC15_IID_CANVAS15 store the
 *   canvas in *out, add a reference and give 0; any other iid stores null
 *   and gives -1. A null out gives -1 and takes no reference.
 * AddRef / Release: the count after the change (atomic, any thread). The
 *   Release that gives 0 destroyed the canvas: never use it after that.
 * Create(desc): sizes the canvas to desc->width x desc->height pixels (not
 *   cleared; row pitch = width), sets the clip rectangle to the whole canvas
 *   and, with CANVAS_DEPTHPLANE in desc->flags, adds a depth plane filled
 *   with 255. Frees the previous pixels and plane, so a pointer from
 *   GetBuffer dies here. -1 for a null desc (nothing changed). A size not
 *   above 0, beyond VC15_MAX_CANVAS_SIDE / VC15_MAX_CANVAS_BYTES, or without
 *   memory: 0 and a 0 x 0 canvas without pixels, which draws nothing. A
 *   plane without memory is simply absent.
 * FillRect(desc): fills the rectangle with desc->color (R, G, B; the top
 *   five bits of each become RGB555), clipped to the canvas but not to the
 *   clip rectangle. -1 for a null desc; 0 otherwise, also when nothing was
 *   written (empty rectangle, no pixels, no memory for the colour row).
 * SetClipRect(rect): the rectangle every Draw writes within (right and
 *   bottom exclusive). The canvas keeps its part inside (0, 0, width,
 *   height); an inverted or empty result draws nothing. Create resets it.
 *   -1 for a null rect (the clip rectangle unchanged).
 * Draw(x, y, image, effect): draws a span-list sprite (CSpanImage) or a raw
 *   image (CRawImage) with its box's top-left corner at (x, y), anywhere, even
 *   far outside: only what lies inside the clip rectangle is written. effect
 *   null: a plain copy; otherwise EFFECT_* above (span-list images only).
 *   With a null image and an effect whose params hold DEPTH_CLEAR, it only
 *   clears the depth plane (the effect's code is not read). A raw image
 *   whose pixels are null draws nothing and gives 0, like an empty one.
 *   -1 and nothing drawn for: no pixels; image and
 *   effect both null; a kind not IMAGE_SPANLIST or IMAGE_RAW16; an effect on
 *   a raw image or an unknown code; a negative box; a depth effect without
 *   depth plane, params or depth image; a clear without DEPTH_CLEAR or
 *   plane. (Raw images need no memory of their own: they never fail.) The
 *   records themselves are trusted: spanCount, the span
 *   data and every record's place inside the box are read as given, and a
 *   sprite wholly inside the clip rectangle is drawn without testing its
 *   records. Check sprites from files or other untrusted sources once with
 *   spnValidate / spnValidateDepth; drawing one unchecked is the host's
 *   risk.
 * GetBuffer(out): *out = the pixels (null before Create or without pixels),
 *   width x height 16-bit values, row pitch = width; the host may read and
 *   write them until the next Create or the last Release. -1 for a null out.
 * CopyToSurface(surface): locks the whole surface (DDLOCK_WAIT), copies the
 *   rows and columns that both the canvas and the surface have (by the
 *   locked descriptor's dwWidth, dwHeight and lPitch), unlocks it. The 16
 *   bits of each pixel are copied unconverted: the canvas keeps RGB555,
 *   while DirectDraw's 16-bit display surfaces are often RGB565 (green mask
 *   0x07E0); convert such frames with RGB555_RGB565 yourself. -1 for: a null
 *   surface or a canvas without pixels (no Lock); a failed Lock (no Unlock);
 *   a surface whose pixels are not 16 bits wide, that gives no memory
 *   pointer, or whose lPitch is negative or smaller than its own row
 *   (dwWidth * 2 bytes), as vcPresent rules too (nothing written, unlocked);
 *   a failed Unlock (after the copy).
 * GetWidth / GetHeight: the size (0 before Create or without pixels). */
class VC15_API ICanvas : public IVUnknown {
public:
    ICanvas();
    ICanvas(const ICanvas& other);
    ICanvas& operator=(const ICanvas& other);

    virtual int32_t Create(const CanvasDesc* desc) = 0;                                            /* 3 */
    virtual int32_t FillRect(const FillRectDesc* desc) = 0;                                        /* 4 */
    virtual int32_t SetClipRect(const ClipRect* rect) = 0;                                         /* 5 */
    virtual int32_t Draw(int32_t x, int32_t y, const CImage* image, const DrawEffect* effect) = 0; /* 6 */
    virtual int32_t GetBuffer(uint16_t** out) = 0;                                                 /* 7 */
    virtual int32_t CopyToSurface(IDirectDrawSurface7* surface) = 0;                               /* 8 */
    virtual int32_t GetWidth() = 0;                                                                /* 9 */
    virtual int32_t GetHeight() = 0;                                                               /* 10 */
};

/* Same table as ICanvas. */
class VC15_API ICanvas15 : public ICanvas {
public:
    ICanvas15();
    ICanvas15(const ICanvas15& other);
    ICanvas15& operator=(const ICanvas15& other);
};

/* Not implemented by this library: exported as abstract classes only. */
class VC15_API IVFile32 : public IVUnknown {
public:
    IVFile32();
    IVFile32(const IVFile32& other);
    IVFile32& operator=(const IVFile32& other);

    virtual int32_t Open(const char* path, uint32_t mode) = 0;
    virtual int32_t Close() = 0;
    virtual int32_t Read(void* buffer, uint32_t bytes) = 0;
    virtual int32_t Write(const void* buffer, uint32_t bytes) = 0;
    virtual int32_t Seek(int32_t offset, uint32_t origin) = 0;
    virtual int32_t Tell() = 0;
    virtual int32_t GetSize() = 0;
    virtual int32_t Flush() = 0;
};

class VC15_API IVFont : public IVUnknown {
public:
    IVFont();
    IVFont(const IVFont& other);
    IVFont& operator=(const IVFont& other);

    virtual int32_t Load(const char* path) = 0;
    virtual int32_t Unload() = 0;
    virtual int32_t SetHeight(int32_t pixels) = 0;
    virtual int32_t GetHeight() = 0;
    virtual int32_t SetColor(uint16_t pixel) = 0;
    virtual int32_t MeasureText(const char* text) = 0;
    virtual int32_t RenderText(ICanvas* canvas, int32_t x, int32_t y, const char* text) = 0;
    virtual int32_t GetGlyphWidth(uint32_t character) = 0;
    virtual int32_t SetSpacing(int32_t pixels) = 0;
};

/* ---- Sprite building helpers -------------------------------------------- */
/* Inline, so the span data is allocated by the host's own new[] and matches
 * the delete[] of CSpanImage::Clear. */
#include <new>

/* Turns width x height pixels (rows pitchPixels apart) into span records:
 * one record per maximal run of pixels other than colorKey, row by row, left
 * to right. `out` is cleared first and gets the width x height box.
 * 0, or -1 (out untouched) for null pointers, negative sizes, a pitch below
 * the width, sizes above 65536 or no memory. */
inline int32_t spnBuildFromPixels(CSpanImage* out, const uint16_t* pixels, int32_t width, int32_t height,
                                  int32_t pitchPixels, uint16_t colorKey) {
    if (!out || width < 0 || height < 0 || width > 65536 || height > 65536 || pitchPixels < width) return -1;
    if (!pixels && width > 0 && height > 0) return -1;
    const int32_t rows = width > 0 ? height : 0;
    uint64_t bytes = 0;
    uint32_t records = 0;
    for (int32_t pass = 0; pass < 2; ++pass) {
        uint8_t* spans = nullptr;
        if (pass == 1 && bytes > 0) {
            if (bytes != (uint64_t)(size_t)bytes) return -1; /* beyond the address space */
            spans = new (std::nothrow) uint8_t[(size_t)bytes];
            if (!spans) return -1;
        }
        uint8_t* p = spans;
        for (int32_t y = 0; y < rows; ++y) {
            const uint16_t* row = pixels + (size_t)y * (size_t)pitchPixels;
            int32_t x = 0;
            while (x < width) {
                if (row[x] == colorKey) {
                    ++x;
                    continue;
                }
                int32_t end = x;
                while (end < width && row[end] != colorKey) ++end;
                const uint32_t n = (uint32_t)(end - x);
                if (pass == 0) {
                    bytes += sizeof(SpanRecord) + 2u * (uint64_t)n;
                    ++records;
                } else {
                    const SpanRecord head = {(uint16_t)x, (uint16_t)y, n};
                    memcpy(p, &head, sizeof head);
                    memcpy(p + sizeof head, row + x, 2u * (size_t)n);
                    p += sizeof head + 2u * (size_t)n;
                }
                x = end;
            }
        }
        if (pass == 1) {
            out->Clear();
            out->width = width;
            out->height = height;
            out->spanCount = records;
            out->spans = spans;
        }
    }
    return 0;
}

/* Builds the depth image that goes with a colour image: one record per
 * colour record, same order, x, y and count, each sample taken from the
 * depth values (one byte per pixel, rows pitchBytes apart) at the record's
 * pixels. `out` is cleared first and gets the colour image's box.
 * 0, or -1 (out untouched) for null pointers (spans too, with records), a
 * pitch below the colour image's width or no memory. The colour image's
 * records must lie inside its box (spnValidate). */
inline int32_t spnBuildDepthFromPixels(CSpanImage* out, const CSpanImage* color, const uint8_t* depth,
                                       int32_t pitchBytes) {
    if (!out || !color || out == color || pitchBytes < color->width) return -1;
    if ((!depth || !color->spans) && color->spanCount > 0) return -1;
    uint64_t bytes = 0;
    const uint8_t* c = color->spans;
    for (uint32_t i = 0; i < color->spanCount; ++i) {
        SpanRecord head;
        memcpy(&head, c, sizeof head);
        bytes += sizeof head + (uint64_t)head.count;
        c += sizeof head + 2u * (size_t)head.count;
    }
    uint8_t* spans = nullptr;
    if (bytes > 0) {
        if (bytes != (uint64_t)(size_t)bytes) return -1; /* beyond the address space */
        spans = new (std::nothrow) uint8_t[(size_t)bytes];
        if (!spans) return -1;
    }
    uint8_t* p = spans;
    c = color->spans;
    for (uint32_t i = 0; i < color->spanCount; ++i) {
        SpanRecord head;
        memcpy(&head, c, sizeof head);
        memcpy(p, &head, sizeof head);
        memcpy(p + sizeof head, depth + (size_t)head.y * (size_t)pitchBytes + head.x, head.count);
        p += sizeof head + (size_t)head.count;
        c += sizeof head + 2u * (size_t)head.count;
    }
    out->Clear();
    out->width = color->width;
    out->height = color->height;
    out->spanCount = color->spanCount;
    out->spans = spans;
    return 0;
}

/* ---- BMP loader record -------------------------------------------------- */
struct ImgData {
    uint8_t* pixels; /* top-down rows of R,G,B; release with imgFreeBMP */
    int32_t width;
    int32_t height;
    uint32_t reserved1;
    uint32_t format; /* FORMAT_RGB888 */
    uint32_t reserved2;
};

/* ---- Exported functions ------------------------------------------------- */
extern "C" {

/* Canvas factory: a canvas with a count of 1, or null without memory. */
VC15_API ICanvas15* VC15_CALL CreateInstance(void);

/* Pixel converters: count pixels from src to dst; count <= 0, or a null dst
 * or src, does nothing. dst may equal src; otherwise the two must not
 * overlap. dst needs room for count 16-bit values, src holds count pixels. */
VC15_API void VC15_CALL RGB555_RGB565(uint16_t* dst, const uint16_t* src, int32_t count);
VC15_API void VC15_CALL RGB565_RGB555(uint16_t* dst, const uint16_t* src, int32_t count);
VC15_API void VC15_CALL RGB888_RGB565(uint16_t* dst, const uint8_t* src, int32_t count);
VC15_API void VC15_CALL RGB888_RGB555(uint16_t* dst, const uint8_t* src, int32_t count);
VC15_API void VC15_CALL RGBA8888_ARGB1555(uint16_t* dst, const uint8_t* src, int32_t count);
VC15_API void VC15_CALL RGBA8888_ARGB4444(uint16_t* dst, const uint8_t* src, int32_t count);

/* BMP loader: an uncompressed 24-bit BMP into top-down R,G,B rows of
 * stride 3 * width + (width & 3) bytes (padding bytes kept). True when the
 * record was filled; the record is untouched on false. Release the pixel
 * block with imgFreeBMP, never with free() or delete, and never read it
 * after that.
 * Only bottom-up 24-bit files (positive height) decode as pictures: pixels
 * are always taken from offset 54, and nothing but the width (offset 18)
 * and height (offset 22) is read: no "BM" signature, bit count,
 * compression or palette check, so any file "loads".
 *   false: a null filename or record (nothing opened).
 * Hostile files never make the loader read or write out of bounds:
 *   false: the file cannot be opened (missing, no access, a directory or
 *          device), is larger than 1 GiB, has width < 0 with height > 0, or
 *          needs a pixel block above 256 MiB; or memory runs out.
 *   true, pixels null: height <= 0 or width 0 (fields set as stored).
 *   true: a file shorter than its rows needs: missing bytes read as 0.
 * (docs/bmp-hostile-files.md has the full table.) */
VC15_API bool VC15_CALL imgLoadBMP(const char* filename, ImgData* record);
/* Frees record->pixels (null allowed) and sets it to null. */
VC15_API void VC15_CALL imgFreeBMP(ImgData* record);

/* The allocator of the library's memory blocks (canvas pixels, depth planes,
 * temporaries, the BMP loader's pixel blocks): `alloc` returns a block of
 * at least `bytes` bytes aligned for any type, or null when memory cannot be
 * had (the calling function then gives its failure result); `release` frees
 * a block `alloc` made (never called with null). Both null: back to
 * malloc/free. 0, or -1 (nothing changed) when only one is null, or when
 * the pair would change while any block of the current one is alive (a
 * canvas with pixels, a BMP block not yet freed): a block must go back to the
 * allocator that made it. Installing the pair already in place is accepted.
 * Objects (the canvas, list nodes) still come from the C++ runtime's
 * operator new. Install it at start-up, and not while another thread uses
 * the library. Ours, beyond the original's list. */
VC15_API int32_t VC15_CALL vcSetAllocator(void* (*alloc)(size_t bytes), void (*release)(void* block));

/* Sprite validation, for hosts that load span data from files or other
 * untrusted sources; Draw itself checks no record (see the guide).
 * spnValidate: 0 when `image` is a span-list image (kind IMAGE_SPANLIST, box
 * not negative) whose spanCount records all fit in the first `bytes` bytes
 * of `spans` and lie inside its box (x + count <= width, y < height); -1
 * otherwise, or for a null image. Reads only; `spans` may be null with no
 * records.
 * spnValidateDepth: 0 when both images pass that check (16-bit pixels in
 * `colorBytes`, 8-bit samples in `depthBytes`) and the depth image pairs with
 * its sprite: the same box and record count, and each record with the
 * sprite's x, y and count, as spnBuildDepthFromPixels makes it; -1 otherwise
 * or for a null image. */
VC15_API int32_t VC15_CALL spnValidate(const CSpanImage* image, size_t bytes);
VC15_API int32_t VC15_CALL spnValidateDepth(const CSpanImage* color, size_t colorBytes, const CSpanImage* depth,
                                            size_t depthBytes);

/* DirectDraw enumeration into host-owned lists. Each appends one node per
 * item after the nodes already there (the list is not emptied); the nodes
 * are the host's from then on (vcDeleteNode). 0, or -1 when the platform's
 * enumeration call failed (nodes appended before stay) or for a null list,
 * object or device node (nothing called).
 * vdxGetDDrawDrivers: drivers (flags: DDENUM_*, passed through), at most 256
 *   per enumeration into an empty list. vdxGetVideoModes: the display modes
 *   of one DirectDraw object, with refresh rates (at most 256).
 *   vdxGetD3DDrivers: the 3-D devices of one Direct3D object.
 *   vdxGetZBufferFormats: the depth-buffer formats of one of those devices
 *   (at most 256 in the life of the process). */
VC15_API int32_t VC15_CALL vdxGetDDrawDrivers(uint32_t flags, CNodeList* list);
VC15_API int32_t VC15_CALL vdxGetVideoModes(IDirectDraw7* ddraw, CNodeList* list);
VC15_API int32_t VC15_CALL vdxGetZBufferFormats(IDirect3D7* d3d, CD3DDeviceNode* device, CNodeList* list);
VC15_API int32_t VC15_CALL vdxGetD3DDrivers(IDirect3D7* d3d, CNodeList* list);

/* Creation: 0, or -1 as soon as a platform call failed; objects made before
 * the failure stay in their out-pointers for the host to release. A null
 * object, node, class id, target or out-pointer gives -1 before any platform
 * call (vdxCreateFrameBufferExclusive needs backBuffer only with a count).
 * The created objects are the host's (Release them). Call
 * IDirectDraw7::SetCooperativeLevel on the new object before creating any
 * surface: DDSCL_NORMAL for a window (vdxCreateFrameBufferNormal), with
 * DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN (and a display mode) for a flipping
 * chain (vdxCreateFrameBufferExclusive).
 * vdxCreateDDraw: the DirectDraw object of a driver node.
 * vdxCreateFrameBufferExclusive: the primary surface, with backBufferCount
 *   back buffers (flipping chain) and the first of them in *backBuffer.
 * vdxCreateFrameBufferNormal: the primary surface (windowed).
 * vdxCreateOffScreenSurface: a width x height surface in the display's
 *   format, in video memory when videoMemory is not 0, filled with the raw
 *   value 0x7000 (unconverted, whatever the format).
 * vdxCreateZBuffer: a depth buffer in video memory in a listed format; the
 *   host attaches it.
 * vdxCreateD3D / vdxCreateD3DDevice: the Direct3D interface of a
 *   DirectDraw object; a 3-D device of a class (usually
 *   &node->desc.deviceGUID) rendering into a surface. */
VC15_API int32_t VC15_CALL vdxCreateDDraw(CDDrawDriverNode* driver, IDirectDraw7** out);
VC15_API int32_t VC15_CALL vdxCreateFrameBufferExclusive(IDirectDraw7* ddraw, uint32_t backBufferCount,
                                                         IDirectDrawSurface7** primary,
                                                         IDirectDrawSurface7** backBuffer);
VC15_API int32_t VC15_CALL vdxCreateFrameBufferNormal(IDirectDraw7* ddraw, IDirectDrawSurface7** primary);
VC15_API int32_t VC15_CALL vdxCreateOffScreenSurface(IDirectDraw7* ddraw, IDirectDrawSurface7** out, uint32_t width,
                                                     uint32_t height, uint8_t videoMemory);
VC15_API int32_t VC15_CALL vdxCreateZBuffer(IDirectDraw7* ddraw, IDirectDrawSurface7** out, CZBufferFormatNode* format,
                                            uint32_t width, uint32_t height);
VC15_API int32_t VC15_CALL vdxCreateD3D(IDirectDraw7* ddraw, IDirect3D7** out);
VC15_API int32_t VC15_CALL vdxCreateD3DDevice(IDirect3D7* d3d, const GUID* deviceClass, IDirectDrawSurface7* target,
                                              IDirect3DDevice7** out);

/* Colours on a surface of any pixel format.
 * vdxColorMatch: the surface's own pixel value for a COLORREF, found by
 *   letting GDI draw it into the pixel at (0, 0) and reading it back (the
 *   pixel is put back); 0xFFFFFFFF when the surface cannot be locked or is
 *   null.
 * vdxSetColorKey: makes the matched value the source colour key; the
 *   platform's result (DDERR_INVALIDPARAMS for a null surface).
 * vdxFillColor: fills the whole surface with the matched colour; true when
 *   the fill succeeded, false for a null surface. */
VC15_API uint32_t VC15_CALL vdxColorMatch(IDirectDrawSurface7* surface, COLORREF color);
VC15_API HRESULT VC15_CALL vdxSetColorKey(IDirectDrawSurface7* surface, COLORREF color);
VC15_API bool VC15_CALL vdxFillColor(IDirectDrawSurface7* surface, uint8_t red, uint8_t green, uint8_t blue);

/* Message for a DirectDraw result code; "0" for unknown codes. Never null. */
VC15_API const char* VC15_CALL vdxDirectDrawErrorCode(HRESULT code);

} /* extern "C" */

/* ---- Presenting a frame (this library's own additions) --------------------
 * The canvas keeps RGB555 (FillRect and every blend assume it). CopyToSurface
 * moves those 16 bits unchanged, which is right for 555 surfaces and hosts
 * written for the original; these two convert for everything else. Each
 * 5-bit channel v becomes 8 bits as (v << 3) | (v >> 2) (31 -> 255), the
 * 5-bit green becomes 6 bits as (g << 1) | (g >> 4) (white stays 0xFFFF);
 * bit 15 of a canvas pixel is ignored. */
#define VC15_FORMAT_RGB555 1u   /* 16 bits, a plain copy */
#define VC15_FORMAT_RGB565 2u   /* 16 bits, green widened */
#define VC15_FORMAT_XRGB8888 3u /* 32-bit value 0xFFRRGGBB */
#define VC15_FORMAT_BGR888 4u   /* 3 bytes in memory order blue, green, red */
#define VC15_FORMAT_RGBA8888 5u /* 4 bytes in memory order red, green, blue, 255 (a web canvas's ImageData) */

extern "C" {

/* Writes every canvas row, converted to `format`, to dst: row r starts at
 * dst + r * pitch. 0; -1 and nothing written for a null canvas or dst, an
 * unknown format, a pitch smaller than one converted row, or a canvas
 * without pixels. dst must not overlap the canvas's pixels. */
VC15_API int32_t VC15_CALL vcCopyToBuffer(ICanvas15* canvas, void* dst, int32_t pitch, uint32_t format);

/* Locks the surface, converts the canvas into it as vcCopyToBuffer does for
 * the surface's format (read from the locked descriptor: 16-bit 555 or 565,
 * 24-bit or 32-bit RGB with red mask 0xFF0000), only the rows and columns
 * both have, and unlocks it. 0; -1 for a null argument, a canvas without
 * pixels or a failed lock or unlock; -1 with the surface's memory untouched
 * for a format it cannot write (palettised, other masks) or an lPitch that is
 * negative or smaller than the surface's own row, as CopyToSurface rules. */
VC15_API int32_t VC15_CALL vcPresent(ICanvas15* canvas, IDirectDrawSurface7* surface);

} /* extern "C" */

/* ---- Layout checks -------------------------------------------------------
 * The records and classes above are shared with the library byte for byte;
 * these fail the host's build if its compiler lays any of them out
 * differently (32-bit and 64-bit layouts). */
#define VC15_LAYOUT(type, size32, size64) \
    static_assert(sizeof(type) == (sizeof(void*) == 4 ? (size32) : (size64)), "layout of " #type)
VC15_LAYOUT(ClipRect, 16, 16);
VC15_LAYOUT(CanvasDesc, 12, 12);
VC15_LAYOUT(FillRectDesc, 20, 20);
VC15_LAYOUT(DepthParams, 12, 16);
VC15_LAYOUT(DrawEffect, 12, 16);
VC15_LAYOUT(SpanRecord, 8, 8);
VC15_LAYOUT(CImage, 20, 24);
VC15_LAYOUT(CSpanImage, 32, 40);
VC15_LAYOUT(CRawImage, 24, 32);
VC15_LAYOUT(CListNode, 16, 32);
VC15_LAYOUT(CSpanNode, 28, 48);
VC15_LAYOUT(CNodeList, 12, 24);
VC15_LAYOUT(ImgData, 24, 32);
VC15_LAYOUT(GUID, 16, 16);
VC15_LAYOUT(DDPIXELFORMAT, 32, 32);
VC15_LAYOUT(DDSURFACEDESC2, 124, 136);
VC15_LAYOUT(DDCAPS, 380, 380);
VC15_LAYOUT(DDBLTFX, 100, 128);
VC15_LAYOUT(D3DDEVICEDESC7, 236, 236);
VC15_LAYOUT(CDDrawDriverNode, 544, 568);
VC15_LAYOUT(CDisplayModeNode, 140, 168);
VC15_LAYOUT(CZBufferFormatNode, 48, 64);
VC15_LAYOUT(CD3DDeviceNode, 380, 400);
static_assert(offsetof(FillRectDesc, x) == 4, "FillRectDesc.x");
static_assert(offsetof(DrawEffect, level) == 6, "DrawEffect.level");
static_assert(offsetof(DepthParams, bias) == 4, "DepthParams.bias");
static_assert(offsetof(ImgData, format) == sizeof(void*) + 12, "ImgData.format");
static_assert(offsetof(DDSURFACEDESC2, lpSurface) == (sizeof(void*) == 4 ? 36 : 40), "lpSurface");
static_assert(offsetof(DDSURFACEDESC2, ddpfPixelFormat) == (sizeof(void*) == 4 ? 72 : 80), "ddpfPixelFormat");
static_assert(offsetof(D3DDEVICEDESC7, deviceGUID) == 196, "deviceGUID");
#undef VC15_LAYOUT

#endif /* VEXACANVAS15_H */
