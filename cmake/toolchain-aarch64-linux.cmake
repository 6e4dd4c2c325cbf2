# Cross-compiling for 64-bit ARM Linux with Debian's cross compilers; the
# test programs run under qemu-user with the cross toolchain's libraries.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

find_program(VC15_ARM64_CC aarch64-linux-gnu-gcc)
find_program(VC15_ARM64_CXX aarch64-linux-gnu-g++)
if(NOT VC15_ARM64_CC OR NOT VC15_ARM64_CXX)
  message(FATAL_ERROR "The aarch64 cross compilers were not found. Install them with: "
                      "apt-get install g++-aarch64-linux-gnu qemu-user")
endif()
set(CMAKE_C_COMPILER ${VC15_ARM64_CC})
set(CMAKE_CXX_COMPILER ${VC15_ARM64_CXX})

list(APPEND CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(VC15_QEMU_AARCH64 NAMES qemu-aarch64 qemu-aarch64-static)
if(VC15_QEMU_AARCH64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VC15_QEMU_AARCH64} -L /usr/aarch64-linux-gnu)
endif()

# pkg-config reads only the target's package files, never the build
# machine's (which would hand an aarch64 program x86_64 libraries).
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
