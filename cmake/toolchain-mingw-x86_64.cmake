# Cross-compiling for Windows (x86_64) with the mingw-w64 POSIX-thread compilers
# (GoogleTest needs std::thread, which the win32-thread flavour lacks).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VC15_MINGW_TRIPLE x86_64-w64-mingw32)

find_program(VC15_MINGW_CC ${VC15_MINGW_TRIPLE}-gcc-posix)
find_program(VC15_MINGW_CXX ${VC15_MINGW_TRIPLE}-g++-posix)
find_program(VC15_MINGW_RC ${VC15_MINGW_TRIPLE}-windres)
if(NOT VC15_MINGW_CC OR NOT VC15_MINGW_CXX OR NOT VC15_MINGW_RC)
  message(FATAL_ERROR "The mingw-w64 cross compilers for x86_64 were not found "
                      "(${VC15_MINGW_TRIPLE}-gcc-posix, -g++-posix, -windres). "
                      "Install them with: apt-get install g++-mingw-w64-x86-64")
endif()
set(CMAKE_C_COMPILER ${VC15_MINGW_CC})
set(CMAKE_CXX_COMPILER ${VC15_MINGW_CXX})
set(CMAKE_RC_COMPILER ${VC15_MINGW_RC})

# Extra roots (say, an installed package for Windows) can be given with
# -DCMAKE_FIND_ROOT_PATH=...
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${VC15_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine through a runner that keeps one wineserver alive;
# the top of the build tree (where the DLL is) is on their DLL search path.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh --path ${CMAKE_BINARY_DIR})
