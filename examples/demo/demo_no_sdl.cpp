// Builds without SDL2 (Windows, or Linux without its development files):
// there is no SDL2 output.
#include <cstdio>

#include "demo.h"

namespace demo {

std::unique_ptr<Output> MakeSdlOutput(const Options&) {
    std::fprintf(stderr, "demo: built without SDL2\n");
    return nullptr;
}

}  // namespace demo
