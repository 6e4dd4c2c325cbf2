# Shared part of the mingw-w64 toolchain files: the caller sets
# CMAKE_SYSTEM_PROCESSOR, VC15_MINGW_TRIPLE and VC15_MINGW_PACKAGE first.
# The POSIX-thread compilers are used because GoogleTest needs std::thread,
# which the win32-thread flavour lacks.
set(CMAKE_SYSTEM_NAME Windows)

find_program(VC15_MINGW_CC ${VC15_MINGW_TRIPLE}-gcc-posix)
find_program(VC15_MINGW_CXX ${VC15_MINGW_TRIPLE}-g++-posix)
find_program(VC15_MINGW_RC ${VC15_MINGW_TRIPLE}-windres)
if(NOT VC15_MINGW_CC OR NOT VC15_MINGW_CXX OR NOT VC15_MINGW_RC)
  message(FATAL_ERROR "The mingw-w64 cross compilers for ${CMAKE_SYSTEM_PROCESSOR} were not found "
                      "(${VC15_MINGW_TRIPLE}-gcc-posix, -g++-posix, -windres). "
                      "Install them with: apt-get install ${VC15_MINGW_PACKAGE}")
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
