// A host program written the way an application uses the library: it
// includes the public header, links the import library (or the shared
// object) and uses the canvas through its interface with ordinary virtual
// calls and through its table by slot number. The same source is built
//   - natively against libVexaCanvas15.so,
//   - with mingw-w64 against libVexaCanvas15.dll.a,
//   - with clang for the Microsoft C++ ABI against VexaCanvas15.lib, without
//     a C++ runtime (VC15_HOST_NO_CRT): then it imports the interface
//     classes' members under their MSVC-decorated names.
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#if !defined(_WIN32)
#include <typeinfo>
#endif

#include "VexaCanvas15.h"

#if defined(VC15_HOST_NO_CRT)
// No C++ runtime: the allocation operators come from the C runtime DLL.
namespace std {
const nothrow_t nothrow{};
}
void* operator new(size_t n) { return malloc(n ? n : 1); }
void* operator new[](size_t n) { return malloc(n ? n : 1); }
void* operator new(size_t n, const std::nothrow_t&) noexcept { return malloc(n ? n : 1); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return malloc(n ? n : 1); }
void operator delete(void* p) noexcept { free(p); }
void operator delete[](void* p) noexcept { free(p); }
void operator delete(void* p, size_t) noexcept { free(p); }
void operator delete[](void* p, size_t) noexcept { free(p); }
#endif

static int g_checks = 0;
static int g_failures = 0;

#define CHECK(cond)                                                  \
    do {                                                             \
        ++g_checks;                                                  \
        if (!(cond)) {                                               \
            ++g_failures;                                            \
            printf("FAILED %s:%d: %s\n", __FILE__, __LINE__, #cond); \
        }                                                            \
    } while (0)

// A canvas of the host's own, derived from the exported interface: its
// construction runs the library's (imported) constructor of ICanvas15.
class HostCanvas final : public ICanvas15 {
public:
    HostCanvas() : refs(1), w(3), h(2) {}
    HostCanvas(const HostCanvas& other) : ICanvas15(other), refs(1), w(other.w), h(other.h) {}
    HostCanvas& operator=(const HostCanvas& other) {
        ICanvas15::operator=(other);
        w = other.w;
        h = other.h;
        return *this;
    }

    int32_t QueryInterface(uint32_t iid, void** out) override {
        *out = iid == 7u ? this : nullptr;
        return *out ? 0 : -1;
    }
    uint32_t AddRef() override { return ++refs; }
    uint32_t Release() override { return --refs; }
    int32_t Create(const CanvasDesc* d) override {
        w = d->width;
        h = d->height;
        return 0;
    }
    int32_t FillRect(const FillRectDesc*) override { return 11; }
    int32_t SetClipRect(const ClipRect*) override { return 12; }
    int32_t Draw(int32_t x, int32_t y, const CImage*, const DrawEffect*) override { return x + y; }
    int32_t GetBuffer(uint16_t** out) override {
        *out = nullptr;
        return 13;
    }
    int32_t CopyToSurface(IDirectDrawSurface7*) override { return 14; }
    int32_t GetWidth() override { return w; }
    int32_t GetHeight() override { return h; }

    uint32_t refs;
    int32_t w;
    int32_t h;
};

static void TestLibraryCanvas() {
    ICanvas15* canvas = CreateInstance();
    CHECK(canvas != nullptr);
    if (!canvas) return;
    CanvasDesc desc = {CANVAS_DEPTHPLANE, 16, 8};
    CHECK(canvas->Create(&desc) == 0);
    CHECK(canvas->GetWidth() == 16);
    CHECK(canvas->GetHeight() == 8);
    uint16_t* px = nullptr;
    CHECK(canvas->GetBuffer(&px) == 0);
    if (!px) {
        canvas->Release();
        return;
    }
    FillRectDesc fill = {{0x10, 0x20, 0xF8}, 0, 0, 0, 16, 8};
    CHECK(canvas->FillRect(&fill) == 0);
    CHECK(px[0] == ((0x10 >> 3) << 10 | (0x20 >> 3) << 5 | (0xF8 >> 3)));
    CHECK(px[16 * 8 - 1] == px[0]);

    // A span-list sprite with one run of three pixels, clipped at the right.
    uint16_t run[3] = {0x0001, 0x0002, 0x0003};
    {
        CSpanImage sprite;  // its destructor frees the span data the helper made with new[]
        CHECK(spnBuildFromPixels(&sprite, run, 3, 1, 3, 0xFFFF) == 0);
        CHECK(sprite.spanCount == 1);
        CHECK(sprite.width == 3 && sprite.height == 1);
        CHECK(canvas->Draw(14, 2, &sprite, nullptr) == 0);
        CHECK(px[2 * 16 + 14] == 0x0001);
        CHECK(px[2 * 16 + 15] == 0x0002);
        CHECK(px[3 * 16 + 0] == px[0]);  // the clipped pixel did not wrap
    }

    CHECK(canvas->Release() == 0);
}

// ---- The canvas by slot number ----------------------------------------------
// The canvas driven through its table of operations with raw function-pointer
// casts, as a host built from the published slot order calls it; the
// DirectDraw surface it is given is a host-side object with a hand-made table
// (Lock at slot 25, Unlock at slot 32).
#if defined(_WIN32) && defined(__i386__)
#define HV_MEMBER __attribute__((thiscall))  // canvas operations
#define HV_COM __attribute__((stdcall))      // DirectDraw methods
#else
#define HV_MEMBER
#define HV_COM
#endif

namespace by_slot {

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
    return 0;
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
    SurfaceTable table;
    const int32_t pitch = W * 2 + 10;
    static uint8_t memory[(37 * 2 + 10) * 23];
    memset(memory, 0xAB, sizeof memory);
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
            memcpy(&v, memory + y * pitch + x * 2, 2);
            if (v != px[y * W + x]) ++wrong;
        }
        for (int32_t b = W * 2; b < pitch; ++b)
            if (memory[y * pitch + b] != 0xAB) ++wrong;
    }
    CHECK(wrong == 0);
}

void Run() {
    void* canvas = CreateInstance();
    CHECK(canvas != nullptr);
    if (!canvas) return;
    TestReferencesAndIdentity(canvas);
    TestSurfaceOperations(canvas);
    CHECK(Release(canvas) == 0);
}

}  // namespace by_slot

static void TestDerivedClass() {
    HostCanvas* mine = new HostCanvas;
    ICanvas15* asInterface = mine;
    CHECK(asInterface->GetWidth() == 3);
    CanvasDesc desc = {0, 40, 30};
    CHECK(asInterface->Create(&desc) == 0);
    CHECK(asInterface->GetHeight() == 30);
    CHECK(asInterface->Draw(5, 6, nullptr, nullptr) == 11);
    CHECK(asInterface->FillRect(nullptr) == 11);
    CHECK(asInterface->CopyToSurface(nullptr) == 14);
    CHECK(asInterface->AddRef() == 2);

    // Copy construction and assignment run the library's members of the base.
    HostCanvas copy(*mine);
    CHECK(copy.GetWidth() == 40);
    ICanvas15* copyAsInterface = &copy;
    CHECK(copyAsInterface->GetHeight() == 30);
    HostCanvas assigned;
    assigned = *mine;
    CHECK(static_cast<ICanvas15*>(&assigned)->GetWidth() == 40);
    // The base's assignment yields the target.
    ICanvas15& base = assigned;
    CHECK(&(base = copy) == &base);
    CHECK(static_cast<ICanvas*>(mine)->GetWidth() == 40);
    delete mine;
}

static void TestConvertersAndFiles() {
    uint8_t rgb[6] = {0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF};
    uint16_t out[2] = {0, 0};
    RGB888_RGB565(out, rgb, 2);
    CHECK(out[0] == 0xF800);
    CHECK(out[1] == 0x001F);
    ImgData img;
    memset(&img, 0x5A, sizeof img);
    CHECK(!imgLoadBMP("this-file-does-not-exist.bmp", &img));
    CHECK(img.width == 0x5A5A5A5A);  // untouched on failure
    CHECK(vdxDirectDrawErrorCode(0) != nullptr);
}

// Enumeration nodes belong to the host: a host built with MSVC destroys them
// with `delete`, which goes through the node's scalar deleting destructor.
static void TestEnumerationNodes() {
    CNodeList list;
    memset(&list, 0, sizeof list);
    int32_t result = vdxGetDDrawDrivers(0, &list);
    printf("driver enumeration: result %d, %d node(s)\n", (int)result, (int)list.GetCount());
    CHECK(result == 0);
    int walked = 0;
    CListNode* node = list.head;
    while (node) {
        CListNode* next = node->next;
        CHECK(node->owner == &list);
        CDDrawDriverNode* driver = static_cast<CDDrawDriverNode*>(node);
        CHECK(driver->description[sizeof driver->description - 1] == 0);
#if defined(_MSC_VER) || !defined(_WIN32)
        delete node;
#else
        vcDeleteNode(node);
#endif
        ++walked;
        node = next;
    }
    CHECK(walked == list.GetCount());
    CHECK(walked > 0);
}

#if defined(_WIN32)
// The exported tables and constructors under the names this compiler's
// hosts import, called the way such a host calls them.
#if defined(_MSC_VER)
#if defined(_M_IX86)
#define HOST_MEMBER __thiscall
static const char* const kMemberForm[] = {"QAE@XZ", "QAE@ABV0@@Z", "QAEAAV0@ABV0@@Z"};
#else
#define HOST_MEMBER
static const char* const kMemberForm[] = {"QEAA@XZ", "QEAA@AEBV0@@Z", "QEAAAEAV0@AEBV0@@Z"};
#endif
// The decorated names are put together from their parts, as the compiler does.
static void Join(char* out, const char* a, const char* b, const char* c, const char* d = "") {
    const char* parts[4] = {a, b, c, d};
    for (const char* p : parts) {
        memcpy(out, p, strlen(p));
        out += strlen(p);
    }
    *out = 0;
}

static void TestExportedMembers() {
    HMODULE lib = GetModuleHandleA("VexaCanvas15.dll");
    CHECK(lib != nullptr);
    if (!lib) return;
    struct Class {
        const char* name;
        int slots;
    };
    const Class classes[] = {{"IVUnknown", 3}, {"ICanvas", 11}, {"ICanvas15", 11}, {"IVFile32", 11}, {"IVFont", 12}};
    typedef void*(HOST_MEMBER * Ctor)(void*);
    typedef void*(HOST_MEMBER * Copy)(void*, const void*);
    void* firstSlot = nullptr;
    for (const Class& c : classes) {
        char names[4][64];
        Join(names[0], "??_7", c.name, "@@6B@");
        Join(names[1], "??0", c.name, "@@", kMemberForm[0]);
        Join(names[2], "??0", c.name, "@@", kMemberForm[1]);
        Join(names[3], "??4", c.name, "@@", kMemberForm[2]);
        void* const* table = reinterpret_cast<void* const*>(GetProcAddress(lib, names[0]));
        Ctor ctor = reinterpret_cast<Ctor>(GetProcAddress(lib, names[1]));
        Copy copy = reinterpret_cast<Copy>(GetProcAddress(lib, names[2]));
        Copy assign = reinterpret_cast<Copy>(GetProcAddress(lib, names[3]));
        CHECK(table && ctor && copy && assign);
        if (!table || !ctor || !copy || !assign) continue;
        // Every slot is the runtime's pure-virtual-call handler.
        if (!firstSlot) firstSlot = table[0];
        for (int i = 0; i < c.slots; ++i) CHECK(table[i] == firstSlot && firstSlot != nullptr);
        void* object[2] = {nullptr, reinterpret_cast<void*>(0x77)};
        void* source[2] = {reinterpret_cast<void*>(0x55), reinterpret_cast<void*>(0x66)};
        CHECK(ctor(object) == object);
        CHECK(object[0] == table);
        object[0] = nullptr;
        CHECK(copy(object, source) == object);
        CHECK(object[0] == table);
        CHECK(object[1] == reinterpret_cast<void*>(0x77));
        CHECK(assign(object, source) == object);
        CHECK(object[0] == table);
        CHECK(source[0] == reinterpret_cast<void*>(0x55));
    }
}
#else
static void TestExportedMembers() {}
#endif
#else
static void TestExportedMembers() {}
#endif

static int RunAll() {
    TestLibraryCanvas();
    by_slot::Run();
    TestDerivedClass();
    TestConvertersAndFiles();
    TestEnumerationNodes();
    TestExportedMembers();
    printf("host program: %d checks, %d failed\n", g_checks, g_failures);
    return g_failures == 0 ? 0 : 1;
}

#if defined(VC15_HOST_NO_CRT)
// Entry point of the program built without the C++ runtime.
extern "C" void vc15_host_start() { exit(RunAll()); }
#else
int main() { return RunAll(); }
#endif
