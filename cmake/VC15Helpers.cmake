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

# Adds library sources to vc15_core. Files named *_sse2.cpp / *_ssse3.cpp / *_avx2.cpp / *_avx512.cpp get
# the instruction-set flags of their suffix and nothing else does, so no
# other code can use instructions the processor may lack. SIMD files are only
# compiled on x86.
function(vc15_sources)
  foreach(src IN LISTS ARGN)
    get_filename_component(abs ${src} ABSOLUTE)
    if(abs MATCHES "_(sse2|ssse3|avx2|avx512)\\.cpp$")
      if(NOT VC15_X86)
        continue()
      endif()
      if(NOT MSVC)
        if(abs MATCHES "_sse2\\.cpp$")
          set_source_files_properties(${abs} TARGET_DIRECTORY vc15_core PROPERTIES COMPILE_OPTIONS "-msse2")
        elseif(abs MATCHES "_ssse3\\.cpp$")
          set_source_files_properties(${abs} TARGET_DIRECTORY vc15_core PROPERTIES COMPILE_OPTIONS "-mssse3")
        else()
          if(abs MATCHES "_avx2\\.cpp$")
            set(isa "-mavx2")
          else()
            set(isa "-mavx2;-mavx512f;-mavx512bw;-mavx512vl;-mavx512vbmi2")
          endif()
          # 64-bit Windows keeps the stack 16-byte aligned and GCC cannot
          # realign it there, yet it gives 32- and 64-byte register spills
          # aligned moves: the assembler makes them unaligned ones (the same
          # speed on aligned addresses), so a spill can never fault.
          if(MINGW)
            list(APPEND isa "-Wa,-muse-unaligned-vector-move")
          endif()
          set_source_files_properties(${abs} TARGET_DIRECTORY vc15_core PROPERTIES COMPILE_OPTIONS "${isa}")
        endif()
      endif()
    endif()
    target_sources(vc15_core PRIVATE ${abs})
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
