// Uses the built library only as a foreign host does: loads it at run time,
// looks up CreateInstance by name and calls every canvas operation through
// the table of operations by slot number, with raw function-pointer casts.
// The DirectDraw surface handed to CopyToSurface is a host-side object with
// a hand-made table (Lock at slot 25, Unlock at slot 32).
//
// Usage: host_view <path of the library>
#include <cstdint>
#include <cstdio>
#include <cstring>
#if !defined(_WIN32)
#include <typeinfo>
#endif

#include "VexaCanvas15.h"

#if defined(_WIN32)
// windows.h came with the public header.
#else
#include <dlfcn.h>
#endif

#if defined(_WIN32) && defined(__i386__)
#define HV_MEMBER __attribute__((thiscall))  // canvas operations
#define HV_COM __attribute__((stdcall))      // DirectDraw methods
#else
#define HV_MEMBER
#define HV_COM
#endif

namespace {

int g_failures = 0;
int g_checks = 0;

#define CHECK(cond)                                                       \
    do {                                                                  \
        ++g_checks;                                                       \
        if (!(cond)) {                                                    \
            ++g_failures;                                                 \
            std::printf("FAILED %s:%d: %s\n", __FILE__, __LINE__, #cond); \
        }                                                                 \
    } while (0)

// ---- Calls by slot number ---------------------------------------------------
using Table = void* const*;

Table TableOf(void* object) { return *static_cast<Table*>(object); }

template <typename Fn>
Fn Slot(void* object, int slot) {
    return reinterpret_cast<Fn>(TableOf(object)[slot]);
}

int32_t QueryInterface(void* c, uint32_t iid, void** out) {
    return Slot<int32_t(HV_MEMBER*)(void*, uint32_t, void**)>(c, 0)(c, iid, out);
}
uint32_t AddRef(void* c) { return Slot<uint32_t(HV_MEMBER*)(void*)>(c, 1)(c); }
uint32_t Release(void* c) { return Slot<uint32_t(HV_MEMBER*)(void*)>(c, 2)(c); }
int32_t Create(void* c, const CanvasDesc* d) { return Slot<int32_t(HV_MEMBER*)(void*, const CanvasDesc*)>(c, 3)(c, d); }
int32_t FillRect(void* c, const FillRectDesc* d) {
    return Slot<int32_t(HV_MEMBER*)(void*, const FillRectDesc*)>(c, 4)(c, d);
}
int32_t SetClipRect(void* c, const ClipRect* r) {
    return Slot<int32_t(HV_MEMBER*)(void*, const ClipRect*)>(c, 5)(c, r);
}
int32_t Draw(void* c, int32_t x, int32_t y, const void* image, const DrawEffect* effect) {
    return Slot<int32_t(HV_MEMBER*)(void*, int32_t, int32_t, const void*, const DrawEffect*)>(c, 6)(c, x, y, image,
                                                                                                    effect);
}
int32_t GetBuffer(void* c, uint16_t** out) { return Slot<int32_t(HV_MEMBER*)(void*, uint16_t**)>(c, 7)(c, out); }
int32_t CopyToSurface(void* c, void* surface) { return Slot<int32_t(HV_MEMBER*)(void*, void*)>(c, 8)(c, surface); }
int32_t GetWidth(void* c) { return Slot<int32_t(HV_MEMBER*)(void*)>(c, 9)(c); }
int32_t GetHeight(void* c) { return Slot<int32_t(HV_MEMBER*)(void*)>(c, 10)(c); }

// ---- A host-side DirectDraw surface -----------------------------------------
constexpr int kSurfaceSlots = 49;  // IDirectDrawSurface7 has 49 methods
constexpr int kLockSlot = 25;
constexpr int kUnlockSlot = 32;

struct FakeSurface {
    void* const* table;
    uint8_t* memory;
    int32_t pitch;
    uint32_t width;  // in pixels, as the descriptor reports it
    uint32_t rows;
    int32_t lockResult = 0;
    int32_t unlockResult = 0;
    int locks = 0;
    int unlocks = 0;
    int otherCalls = 0;
    uint32_t lockFlags = 0;
    uint32_t descSize = 0;
    bool lockRectWasNull = false;
    bool unlockRectWasNull = false;
    uint32_t bits = 16;
};

HRESULT HV_COM FakeLock(FakeSurface* self, void* rect, DDSURFACEDESC2* desc, DWORD flags, HANDLE event) {
    ++self->locks;
    self->lockFlags = flags;
    self->descSize = desc->dwSize;
    self->lockRectWasNull = rect == nullptr && event == nullptr;
    if (self->lockResult != 0) return self->lockResult;
    // Described as DirectDraw's Lock describes a 16-bit RGB555 surface.
    desc->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_LPSURFACE;
    desc->dwWidth = self->width;
    desc->dwHeight = self->rows;
    desc->lpSurface = self->memory;
    desc->lPitch = self->pitch;
    desc->ddpfPixelFormat.dwSize = sizeof desc->ddpfPixelFormat;
    desc->ddpfPixelFormat.dwFlags = DDPF_RGB;
    desc->ddpfPixelFormat.dwRGBBitCount = self->bits;
    desc->ddpfPixelFormat.dwRBitMask = 0x7C00;
    desc->ddpfPixelFormat.dwGBitMask = 0x03E0;
    desc->ddpfPixelFormat.dwBBitMask = 0x001F;
    return 0;
}

HRESULT HV_COM FakeUnlock(FakeSurface* self, void* rect) {
    ++self->unlocks;
    self->unlockRectWasNull = rect == nullptr;
    return self->unlockResult;
}

// Any other slot: counted. Called with differing argument counts it would
// upset the stack under stdcall, so a call here is reported and the test
// stops with a failure at its next check.
HRESULT HV_COM FakeOther(FakeSurface* self) {
    ++self->otherCalls;
    return 0;
}

struct SurfaceTable {
#if !defined(_WIN32)
    // The two words before an Itanium C++ table: offset to the top of the
    // object and its type. Only a checking build of the library (UBSan's
    // dynamic type check) reads them.
    void* prefix[2] = {nullptr, const_cast<std::type_info*>(&typeid(IDirectDrawSurface7))};
#endif
    void* slots[kSurfaceSlots];
    SurfaceTable() {
        for (auto& s : slots) s = reinterpret_cast<void*>(&FakeOther);
        slots[kLockSlot] = reinterpret_cast<void*>(&FakeLock);
        slots[kUnlockSlot] = reinterpret_cast<void*>(&FakeUnlock);
    }
};

// ---- Library loading ----------------------------------------------------------
struct Library {
#if defined(_WIN32)
    HMODULE handle = nullptr;
    explicit Library(const char* path) { handle = LoadLibraryA(path); }
    ~Library() {
        if (handle) FreeLibrary(handle);
    }
    void* Find(const char* name) const { return reinterpret_cast<void*>(GetProcAddress(handle, name)); }
#else
    void* handle = nullptr;
    explicit Library(const char* path) { handle = dlopen(path, RTLD_NOW | RTLD_LOCAL); }
    ~Library() {
        if (handle) dlclose(handle);
    }
    void* Find(const char* name) const { return dlsym(handle, name); }
#endif
};

void TestReferencesAndIdentity(void* c) {
    CHECK(AddRef(c) == 2);
    CHECK(Release(c) == 1);

    void* out = reinterpret_cast<void*>(1);
    CHECK(QueryInterface(c, 0x882C5413u, &out) == 0);
    CHECK(out == c);
    void* out2 = nullptr;
    CHECK(QueryInterface(c, 0x8841051Bu, &out2) == 0);
    CHECK(out2 == c);
    CHECK(TableOf(out2) == TableOf(c));
    // Two successful queries took two references.
    CHECK(AddRef(c) == 4);
    CHECK(Release(c) == 3);
    CHECK(Release(c) == 2);
    CHECK(Release(c) == 1);

    const uint32_t others[] = {0u, 1u, 0x882C5414u, 0x8841051Au, 0xFFFFFFFFu};
    for (uint32_t iid : others) {
        void* o = reinterpret_cast<void*>(2);
        CHECK(QueryInterface(c, iid, &o) == -1);
        CHECK(o == nullptr);
    }
    CHECK(AddRef(c) == 2);  // unchanged by the refused queries
    CHECK(Release(c) == 1);
}

// Pixels of the W x H canvas that differ from want(x, y).
template <typename Want>
int CountWrong(const uint16_t* px, int32_t W, int32_t H, const Want& want) {
    int wrong = 0;
    for (int32_t y = 0; y < H; ++y)
        for (int32_t x = 0; x < W; ++x) wrong += px[y * W + x] != want(x, y);
    return wrong;
}

void TestSurfaceOperations(void* c) {
    CHECK(GetWidth(c) == 0);
    CHECK(GetHeight(c) == 0);
    CHECK(Create(c, nullptr) == -1);

    const int32_t W = 37, H = 23;
    CanvasDesc desc{CANVAS_DEPTHPLANE, W, H};
    CHECK(Create(c, &desc) == 0);
    CHECK(GetWidth(c) == W);
    CHECK(GetHeight(c) == H);
    uint16_t* px = nullptr;
    CHECK(GetBuffer(c, &px) == 0);
    CHECK(px != nullptr);
    if (!px) return;
    for (int32_t i = 0; i < W * H; ++i) px[i] = static_cast<uint16_t>(0x8000u | i);

    // FillRect: exactly the rectangle, colour converted to 5-5-5.
    CHECK(FillRect(c, nullptr) == -1);
    FillRectDesc fill{{0xFF, 0x87, 0x0C}, 0, 2, 3, 5, 4};
    CHECK(FillRect(c, &fill) == 0);
    CHECK(CountWrong(px, W, H, [&](int32_t x, int32_t y) {
              const bool inside = x >= 2 && x < 7 && y >= 3 && y < 7;
              return inside ? 0x7E01 : static_cast<uint16_t>(0x8000u | (y * W + x));
          }) == 0);

    // Draw: a refused request (no image, no effect) draws nothing; a raw
    // image across the right and top edges of the clip rectangle draws only
    // the part inside it.
    CHECK(Draw(c, 0, 0, nullptr, nullptr) == -1);
    ClipRect clip{4, 5, 30, 20};
    CHECK(SetClipRect(c, &clip) == 0);
    for (int32_t i = 0; i < W * H; ++i) px[i] = 0x1111;
    const int32_t IW = 9, IH = 6, ox = 25, oy = 2;
    uint16_t imagePixels[IW * IH];
    for (int32_t i = 0; i < IW * IH; ++i) imagePixels[i] = static_cast<uint16_t>(0x4000 + i);
    CRawImage raw;
    raw.width = IW;
    raw.height = IH;
    raw.pixels = imagePixels;
    CHECK(Draw(c, ox, oy, &raw, nullptr) == 0);
    CHECK(CountWrong(px, W, H, [&](int32_t x, int32_t y) {
              const bool inImage = x >= ox && x < ox + IW && y >= oy && y < oy + IH;
              const bool inClip = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
              return inImage && inClip ? imagePixels[(y - oy) * IW + (x - ox)] : static_cast<uint16_t>(0x1111);
          }) == 0);

    // CopyToSurface into the host's surface: rows of W * 2 bytes at the
    // surface's pitch; the rest of each surface row untouched.
    for (int32_t i = 0; i < W * H; ++i) px[i] = static_cast<uint16_t>(i * 7 + 3);
    CHECK(CopyToSurface(c, nullptr) == -1);
    static SurfaceTable table;
    const int32_t pitch = W * 2 + 10;
    static uint8_t memory[(37 * 2 + 10) * 23];
    std::memset(memory, 0xAB, sizeof memory);
    FakeSurface surface{table.slots, memory, pitch, W, H};
    CHECK(CopyToSurface(c, &surface) == 0);
    CHECK(surface.locks == 1);
    CHECK(surface.unlocks == 1);
    CHECK(surface.otherCalls == 0);
    CHECK(surface.lockFlags == DDLOCK_WAIT);
    CHECK(surface.descSize == sizeof(DDSURFACEDESC2));
    CHECK(surface.lockRectWasNull);
    CHECK(surface.unlockRectWasNull);
    int wrong = 0;
    for (int32_t y = 0; y < H; ++y) {
        for (int32_t x = 0; x < W; ++x) {
            uint16_t v;
            std::memcpy(&v, memory + y * pitch + x * 2, 2);
            if (v != px[y * W + x]) ++wrong;
        }
        for (int32_t b = W * 2; b < pitch; ++b)
            if (memory[y * pitch + b] != 0xAB) ++wrong;
    }
    CHECK(wrong == 0);

    // A failed Lock: -1 and no Unlock. A failed Unlock: -1 after the copy.
    FakeSurface locked{table.slots, memory, pitch, W, H};
    locked.lockResult = static_cast<int32_t>(0x887601C2u);
    CHECK(CopyToSurface(c, &locked) == -1);
    CHECK(locked.locks == 1);
    CHECK(locked.unlocks == 0);
    std::memset(memory, 0, sizeof memory);
    FakeSurface unlockFails{table.slots, memory, pitch, W, H};
    unlockFails.unlockResult = static_cast<int32_t>(0x887601C2u);
    CHECK(CopyToSurface(c, &unlockFails) == -1);
    CHECK(unlockFails.unlocks == 1);
    uint16_t first;
    std::memcpy(&first, memory + (H - 1) * pitch + (W - 1) * 2, 2);
    CHECK(first == px[(H - 1) * W + (W - 1)]);

    // A second Create with other sizes, without a depth plane.
    desc.flags = 0;
    desc.width = 5;
    desc.height = 3;
    CHECK(Create(c, &desc) == 0);
    CHECK(GetWidth(c) == 5);
    CHECK(GetHeight(c) == 3);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::printf("usage: %s <library>\n", argv[0]);
        return 2;
    }
    Library lib(argv[1]);
    if (!lib.handle) {
        std::printf("FAILED: cannot load %s\n", argv[1]);
        return 1;
    }
    using Factory = void*(VC15_CALL*)();
    auto factory = reinterpret_cast<Factory>(lib.Find("CreateInstance"));
    CHECK(factory != nullptr);
    if (!factory) return 1;

    void* canvas = factory();
    CHECK(canvas != nullptr);
    if (!canvas) return 1;
    TestReferencesAndIdentity(canvas);
    TestSurfaceOperations(canvas);
    CHECK(Release(canvas) == 0);

    // A canvas that never got buffers is destroyed cleanly by its last Release.
    void* bare = factory();
    CHECK(bare != nullptr);
    if (bare) CHECK(Release(bare) == 0);

    std::printf("host view: %d checks, %d failed\n", g_checks, g_failures);
    return g_failures == 0 ? 0 : 1;
}
