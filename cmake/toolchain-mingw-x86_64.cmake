# Cross-compiling for 64-bit Windows with mingw-w64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VC15_MINGW_TRIPLE x86_64-w64-mingw32)
set(VC15_MINGW_PACKAGE g++-mingw-w64-x86-64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
