# Cross-compiling for 32-bit Windows with mingw-w64.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VC15_MINGW_TRIPLE i686-w64-mingw32)
set(VC15_MINGW_PACKAGE g++-mingw-w64-i686)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
