// Entry points that let a host built with MSVC use the exported interface
// classes. Such a host imports the constructors, copy constructors,
// assignment operators and tables of operations under MSVC-decorated names
// and calls the members with its own convention (on 32-bit x86: __thiscall,
// `this` in ECX, the callee removing stack arguments, a constructor returning
// `this`). The module-definition files export these functions and tables
// under those names; GCC hosts keep using the ordinary members.
#include <cstdint>

#include "VexaCanvas15.h"

// The runtime's handler for a call through a pure virtual slot.
extern "C" void __cxa_pure_virtual();

#if defined(__i386__)
#define VC15_MSVC_MEMBER __attribute__((thiscall))
#else
#define VC15_MSVC_MEMBER
#endif

using VC15Slot = void (*)();

// Tables of operations as an MSVC host sees them: one pointer per pure
// virtual operation, in declaration order. Exported as data.
#define VC15_PURE_TABLE(name, slots)                           \
    extern "C" const VC15Slot vc15_msvc_vftable_##name[slots]; \
    extern "C" const VC15Slot vc15_msvc_vftable_##name[slots] = {VC15_PURE_SLOTS_##slots};
#define VC15_PURE_SLOTS_3 __cxa_pure_virtual, __cxa_pure_virtual, __cxa_pure_virtual
#define VC15_PURE_SLOTS_11                                                                             \
    VC15_PURE_SLOTS_3, __cxa_pure_virtual, __cxa_pure_virtual, __cxa_pure_virtual, __cxa_pure_virtual, \
        __cxa_pure_virtual, __cxa_pure_virtual, __cxa_pure_virtual, __cxa_pure_virtual
#define VC15_PURE_SLOTS_12 VC15_PURE_SLOTS_11, __cxa_pure_virtual

VC15_PURE_TABLE(IVUnknown, 3)
VC15_PURE_TABLE(ICanvas, 11)
VC15_PURE_TABLE(ICanvas15, 11)
VC15_PURE_TABLE(IVFile32, 11)
VC15_PURE_TABLE(IVFont, 12)

static_assert(sizeof(void*) == sizeof(VC15Slot), "a table slot is one pointer");

// Constructor and copy constructor of each class: install the class's table,
// return the object (the copy constructor ignores its argument).
#define VC15_MSVC_CONSTRUCTORS(name)                                                                         \
    extern "C" void* VC15_MSVC_MEMBER vc15_msvc_##name##_construct(void* self) {                             \
        *static_cast<const VC15Slot**>(self) = vc15_msvc_vftable_##name;                                     \
        return self;                                                                                         \
    }                                                                                                        \
    extern "C" void* VC15_MSVC_MEMBER vc15_msvc_##name##_copy_construct(void* self, const void* /*other*/) { \
        *static_cast<const VC15Slot**>(self) = vc15_msvc_vftable_##name;                                     \
        return self;                                                                                         \
    }

extern "C" {
void* VC15_MSVC_MEMBER vc15_msvc_IVUnknown_construct(void* self);
void* VC15_MSVC_MEMBER vc15_msvc_IVUnknown_copy_construct(void* self, const void* other);
void* VC15_MSVC_MEMBER vc15_msvc_ICanvas_construct(void* self);
void* VC15_MSVC_MEMBER vc15_msvc_ICanvas_copy_construct(void* self, const void* other);
void* VC15_MSVC_MEMBER vc15_msvc_ICanvas15_construct(void* self);
void* VC15_MSVC_MEMBER vc15_msvc_ICanvas15_copy_construct(void* self, const void* other);
void* VC15_MSVC_MEMBER vc15_msvc_IVFile32_construct(void* self);
void* VC15_MSVC_MEMBER vc15_msvc_IVFile32_copy_construct(void* self, const void* other);
void* VC15_MSVC_MEMBER vc15_msvc_IVFont_construct(void* self);
void* VC15_MSVC_MEMBER vc15_msvc_IVFont_copy_construct(void* self, const void* other);
void* VC15_MSVC_MEMBER vc15_msvc_assign(void* self, const void* other);
}

VC15_MSVC_CONSTRUCTORS(IVUnknown)
VC15_MSVC_CONSTRUCTORS(ICanvas)
VC15_MSVC_CONSTRUCTORS(ICanvas15)
VC15_MSVC_CONSTRUCTORS(IVFile32)
VC15_MSVC_CONSTRUCTORS(IVFont)

// The assignment operator of all five classes: they have no data, so it
// copies nothing and returns the target.
extern "C" void* VC15_MSVC_MEMBER vc15_msvc_assign(void* self, const void* /*other*/) { return self; }
