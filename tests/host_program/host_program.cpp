// A host program written the way an application uses the library: it
// includes the public header, links the import library (or the shared
// object) and uses the canvas through its interface with ordinary virtual
// calls. The same source is built
//   - natively against libVexaCanvas15.so,
//   - with mingw-w64 against libVexaCanvas15.dll.a,
//   - with clang for the Microsoft C++ ABI against VexaCanvas15.lib, without
//     a C++ runtime (VC15_HOST_NO_CRT): then it imports the interface
//     classes' members under their MSVC-decorated names.
#include <stdint.h>
#include <stdio.h>
#include <string.h>

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
    void* other = nullptr;
    CHECK(canvas->QueryInterface(VC15_IID_CANVAS, &other) == 0);
    CHECK(other == canvas);
    CHECK(canvas->Release() == 1);
    CHECK(canvas->QueryInterface(0x12345678u, &other) == -1);
    CHECK(other == nullptr);

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
