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
if(WIN32 AND CMAKE_CROSSCOMPILING)
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
set(msvc_exe ${CMAKE_BINARY_DIR}/vc15_msvc_host.exe)
file(GLOB msvc_inputs LIST_DIRECTORIES false ${CMAKE_CURRENT_SOURCE_DIR}/host_program/*)
add_custom_command(
  OUTPUT ${msvc_exe}
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/host_program/build_msvc_host.sh $<TARGET_FILE:VexaCanvas15>
          ${PROJECT_SOURCE_DIR}/include ${VC15_MSVC_IMPLIB} ${msvc_exe}
  DEPENDS ${msvc_inputs} ${CMAKE_CURRENT_SOURCE_DIR}/host_program/msvc_shim/new
          ${PROJECT_SOURCE_DIR}/include/VexaCanvas15.h VexaCanvas15_msvc_implib)
add_custom_target(vc15_msvc_host ALL DEPENDS ${msvc_exe} VexaCanvas15)
add_test(NAME msvc_host COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} ${msvc_exe})
set_tests_properties(msvc_host PROPERTIES LABELS "wine")
if(Python3_Interpreter_FOUND AND vc15_import_objdump)
  add_test(NAME imports_msvc_host
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/check_exports.py imports ${msvc_exe}
                   $<TARGET_FILE:VexaCanvas15> ${vc15_import_objdump})
  set_tests_properties(imports_msvc_host PROPERTIES LABELS "exports;static")
endif()
