# Shared build helpers.

function(vc15_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra)
  endif()
  if(VC15_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                             -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
  if(VC15_SANITIZE_THREAD)
    target_compile_options(${target} PRIVATE -fsanitize=thread -fno-omit-frame-pointer -g)
    target_link_options(${target} PRIVATE -fsanitize=thread)
  endif()
endfunction()

# Each kernel level's files end in its suffix, and that suffix is the only
# place its instruction-set flags are given, so no other code can use
# instructions the processor may lack. Adding a level: one line here.
#   suffix | architecture | flags (GCC and Clang, comma-separated)
set(VC15_LEVEL_RULES
  "sse2|X86|-msse2"
  "ssse3|X86|-mssse3"
  "avx2|X86|-mavx2"
  "avx512|X86|-mavx2,-mavx512f,-mavx512bw,-mavx512vl,-mavx512vbmi2"
  "neon|ARM64|-march=armv8-a+simd"
  "simd128|WASM|-msimd128")

# Adds library sources to vc15_core. A file named *_<suffix>.cpp of a level
# rule is compiled only for that rule's architecture, with its flags.
function(vc15_sources)
  foreach(src IN LISTS ARGN)
    get_filename_component(abs ${src} ABSOLUTE)
    set(skip OFF)
    foreach(rule IN LISTS VC15_LEVEL_RULES)
      string(REPLACE "|" ";" rule "${rule}")
      list(GET rule 0 suffix)
      list(GET rule 1 arch)
      list(GET rule 2 isa)
      string(REPLACE "," ";" isa "${isa}")
      if(abs MATCHES "_${suffix}\\.cpp$")
        if(NOT arch STREQUAL VC15_ARCH)
          set(skip ON)
        elseif(NOT MSVC)
          # 64-bit Windows keeps the stack 16-byte aligned and GCC cannot
          # realign it there, yet it gives 32- and 64-byte register spills
          # aligned moves: the assembler makes them unaligned ones (the same
          # speed on aligned addresses), so a spill can never fault.
          if(MINGW AND suffix MATCHES "^avx")
            list(APPEND isa "-Wa,-muse-unaligned-vector-move")
          endif()
          set_source_files_properties(${abs} TARGET_DIRECTORY vc15_core PROPERTIES COMPILE_OPTIONS "${isa}")
        endif()
      endif()
    endforeach()
    if(NOT skip)
      target_sources(vc15_core PRIVATE ${abs})
    endif()
  endforeach()
endfunction()

# System libraries the library needs on each platform.
function(vc15_link_platform target)
  if(WIN32)
    target_link_libraries(${target} PRIVATE ddraw dxguid gdi32 user32)
    if(NOT MSVC)
      # The DLL must depend on nothing but system DLLs.
      target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
    endif()
  endif()
endfunction()

# Windows DLL specifics (module-definition file, version resource) live in
# cmake/VC15Windows.cmake.
function(vc15_windows_dll target)
  include(VC15Windows OPTIONAL RESULT_VARIABLE found)
  if(found AND COMMAND vc15_windows_dll_setup)
    vc15_windows_dll_setup(${target})
  endif()
endfunction()

# White-box test programs (unit tests, fuzzers, benchmarks): the library's
# objects, and off Windows the stand-in built with the tests' journal and
# failure knobs.
function(vc15_link_core_for_tests target)
  target_link_libraries(${target} PRIVATE vc15_core)
  if(TARGET vc15_standin_hooks)
    target_link_libraries(${target} PRIVATE vc15_standin_hooks)
  endif()
endfunction()
