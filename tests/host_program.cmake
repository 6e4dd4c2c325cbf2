# A host program that links the library the ordinary way (shared object, or
# the mingw import library libVexaCanvas15.dll.a) and, on Windows, the same
# program built for the Microsoft C++ ABI with clang and lld-link against
# VexaCanvas15.lib, without any C++ runtime.
set(VC15_HOST_PROGRAM_SRC ${CMAKE_CURRENT_SOURCE_DIR}/host_program/host_program.cpp)

add_executable(vc15_host_program ${VC15_HOST_PROGRAM_SRC})
target_link_libraries(vc15_host_program PRIVATE VexaCanvas15)
vc15_warnings(vc15_host_program)
vc15_link_platform(vc15_host_program)
if(WIN32)
  # Next to the DLL, where Windows looks for it.
  set_target_properties(vc15_host_program PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
endif()
add_test(NAME host_program COMMAND vc15_host_program)
if(CMAKE_CROSSCOMPILING)
  set_tests_properties(host_program PROPERTIES LABELS "wine")
endif()

if(NOT WIN32)
  return()
endif()

# Every name the hosts import from the DLL is exported by it (also where the
# hosts cannot be run, as for 32-bit programs without a 32-bit Wine).
find_package(Python3 COMPONENTS Interpreter)
set(vc15_import_objdump ${CMAKE_OBJDUMP})
if(NOT vc15_import_objdump AND DEFINED VC15_MINGW_TRIPLE)
  find_program(vc15_import_objdump ${VC15_MINGW_TRIPLE}-objdump)
endif()
if(Python3_Interpreter_FOUND AND vc15_import_objdump)
  add_test(NAME imports_host_program
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/check_exports.py imports
                   $<TARGET_FILE:vc15_host_program> $<TARGET_FILE:VexaCanvas15> ${vc15_import_objdump})
  set_tests_properties(imports_host_program PROPERTIES LABELS "exports;static")
endif()

find_program(VC15_CLANG NAMES clang-14 clang)
find_program(VC15_LLD_LINK NAMES lld-link-14 lld-link)
if(NOT VC15_CLANG OR NOT VC15_LLD_LINK OR NOT VC15_LLVM_DLLTOOL OR NOT VC15_MSVC_IMPLIB)
  message(STATUS "clang-14, lld-link-14 or llvm-dlltool-14 missing: the MSVC-ABI host is not built")
  return()
endif()

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(msvc_triple i686-pc-windows-msvc)
  set(msvc_machine i386)
  set(msvc_defs -D_X86_=1)
  set(msvc_kernel32_def ${CMAKE_CURRENT_SOURCE_DIR}/host_program/kernel32_x86.def)
  set(msvc_headers /usr/i686-w64-mingw32/include)
else()
  set(msvc_triple x86_64-pc-windows-msvc)
  set(msvc_machine i386:x86-64)
  set(msvc_defs "")
  set(msvc_kernel32_def ${CMAKE_CURRENT_SOURCE_DIR}/host_program/kernel32_x64.def)
  set(msvc_headers /usr/x86_64-w64-mingw32/include)
endif()

set(msvc_dir ${CMAKE_CURRENT_BINARY_DIR}/msvc_host)
set(msvc_exe ${CMAKE_BINARY_DIR}/vc15_msvc_host.exe)
file(MAKE_DIRECTORY ${msvc_dir})
add_custom_command(
  OUTPUT ${msvc_dir}/msvcrt.lib ${msvc_dir}/kernel32.lib
  COMMAND ${VC15_LLVM_DLLTOOL} -m ${msvc_machine} -d ${CMAKE_CURRENT_SOURCE_DIR}/host_program/msvcrt.def
          -l ${msvc_dir}/msvcrt.lib
  COMMAND ${VC15_LLVM_DLLTOOL} -m ${msvc_machine} -k -d ${msvc_kernel32_def} -l ${msvc_dir}/kernel32.lib
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/host_program/msvcrt.def ${msvc_kernel32_def})
# The Windows SDK headers are not available: the mingw-w64 ones serve, with
# their GCC-style attributes enabled and their own printf wrappers off.
add_custom_command(
  OUTPUT ${msvc_dir}/host_program.obj
  COMMAND ${VC15_CLANG} --target=${msvc_triple} -fgnuc-version=12 ${msvc_defs} -D__USE_MINGW_ANSI_STDIO=0
          -DVC15_HOST_NO_CRT -std=c++20 -O1 -Wall -Wextra -Werror -fno-exceptions -fno-rtti -fno-stack-protector
          -mno-stack-arg-probe -isystem ${CMAKE_CURRENT_SOURCE_DIR}/host_program/msvc_shim -isystem ${msvc_headers}
          -I${PROJECT_SOURCE_DIR}/include -c ${VC15_HOST_PROGRAM_SRC} -o ${msvc_dir}/host_program.obj
  DEPENDS ${VC15_HOST_PROGRAM_SRC} ${PROJECT_SOURCE_DIR}/include/VexaCanvas15.h
          ${CMAKE_CURRENT_SOURCE_DIR}/host_program/msvc_shim/new)
add_custom_command(
  OUTPUT ${msvc_exe}
  COMMAND ${VC15_LLD_LINK} -nologo -nodefaultlib -entry:vc15_host_start -subsystem:console -out:${msvc_exe}
          ${msvc_dir}/host_program.obj ${VC15_MSVC_IMPLIB} ${msvc_dir}/msvcrt.lib ${msvc_dir}/kernel32.lib
  DEPENDS ${msvc_dir}/host_program.obj ${msvc_dir}/msvcrt.lib ${msvc_dir}/kernel32.lib VexaCanvas15_msvc_implib)
add_custom_target(vc15_msvc_host ALL DEPENDS ${msvc_exe} VexaCanvas15)
add_test(NAME msvc_host COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} ${msvc_exe})
set_tests_properties(msvc_host PROPERTIES LABELS "wine")
if(Python3_Interpreter_FOUND AND vc15_import_objdump)
  add_test(NAME imports_msvc_host
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/check_exports.py imports ${msvc_exe}
                   $<TARGET_FILE:VexaCanvas15> ${vc15_import_objdump})
  set_tests_properties(imports_msvc_host PROPERTIES LABELS "exports;static")
endif()
