# Export table check: the built library exports exactly the names hosts link
# against (and, on Windows, imports only system DLLs).
find_package(Python3 COMPONENTS Interpreter)
if(NOT Python3_Interpreter_FOUND)
  message(WARNING "python3 not found: the export check is not registered")
  return()
endif()

if(WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(vc15_export_arch x86)
  else()
    set(vc15_export_arch x64)
  endif()
  set(vc15_objdump ${CMAKE_OBJDUMP})
  if(NOT vc15_objdump AND DEFINED VC15_MINGW_TRIPLE)
    find_program(vc15_objdump ${VC15_MINGW_TRIPLE}-objdump)
  endif()
  add_test(NAME exports_dll
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/check_exports.py dll
                   $<TARGET_FILE:VexaCanvas15> ${vc15_objdump} ${vc15_export_arch})
  set_tests_properties(exports_dll PROPERTIES LABELS "exports;static")
elseif(EMSCRIPTEN)
  # A static archive of wasm objects: the target's own tools read it.
  find_program(VC15_LLVM_OBJDUMP NAMES llvm-objdump llvm-objdump-14)
  add_test(NAME exports_wasm
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/check_exports.py wasm
                   $<TARGET_FILE:VexaCanvas15> ${VC15_LLVM_OBJDUMP})
  set_tests_properties(exports_wasm PROPERTIES LABELS "exports;static")
elseif(NOT VC15_SANITIZE)
  # Sanitizer builds add instrumentation symbols of their own.
  find_program(VC15_NM NAMES nm)
  add_test(NAME exports_so
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/check_exports.py so
                   $<TARGET_FILE:VexaCanvas15> ${VC15_NM})
  set_tests_properties(exports_so PROPERTIES LABELS "exports;static")
endif()

# The instruction-set baseline where it is built without vector registers:
# the 32-bit DLL (SSE only in the level files, which run only after the
# processor check) and the aarch64 library (Advanced SIMD only in the NEON
# files).
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(vc15_isa_arch x86)
elseif(VC15_ARCH STREQUAL "ARM64" AND NOT MSVC)
  set(vc15_isa_arch arm64)
  set(vc15_objdump ${CMAKE_OBJDUMP})
endif()
if(vc15_isa_arch)
  add_test(NAME isa_baseline
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/check_isa.py ${vc15_isa_arch} ${vc15_objdump}
                   "$<TARGET_OBJECTS:vc15_core>"
           COMMAND_EXPAND_LISTS)
  set_tests_properties(isa_baseline PROPERTIES LABELS "static")
endif()

# The folders' layering: no file includes from a layer above its own.
add_test(NAME layers COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/check_layers.py ${PROJECT_SOURCE_DIR})
set_tests_properties(layers PROPERTIES LABELS "static")
