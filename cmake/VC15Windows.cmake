# Windows specifics of VexaCanvas15.dll: the module-definition file that fixes
# the export table, the entry points for hosts built with MSVC, the version
# resource and the import library for MSVC-built hosts.

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(VC15_DEF_FILE ${PROJECT_SOURCE_DIR}/canvas/exports/VexaCanvas15_x86.def)
  set(VC15_DLLTOOL_MACHINE i386)
else()
  set(VC15_DEF_FILE ${PROJECT_SOURCE_DIR}/canvas/exports/VexaCanvas15_x64.def)
  set(VC15_DLLTOOL_MACHINE i386:x86-64)
endif()

find_program(VC15_LLVM_DLLTOOL NAMES llvm-dlltool-14 llvm-dlltool)

function(vc15_windows_dll_setup target)
  # No "lib" prefix: the DLL is VexaCanvas15.dll, its mingw import library
  # libVexaCanvas15.dll.a.
  set_target_properties(${target} PROPERTIES PREFIX "" IMPORT_PREFIX "lib" IMPORT_SUFFIX ".dll.a"
                                             LINK_DEPENDS ${VC15_DEF_FILE})
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/canvas/exports/msvc_abi.cpp ${VC15_DEF_FILE})
  set_source_files_properties(${PROJECT_SOURCE_DIR}/canvas/exports/msvc_abi.cpp PROPERTIES
    INCLUDE_DIRECTORIES "${PROJECT_SOURCE_DIR}/include;${PROJECT_SOURCE_DIR}"
    COMPILE_DEFINITIONS VC15_BUILDING_LIBRARY)
  vc15_warnings(${target})

  configure_file(${PROJECT_SOURCE_DIR}/cmake/VexaCanvas15.rc.in ${CMAKE_CURRENT_BINARY_DIR}/VexaCanvas15.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/VexaCanvas15.rc)

  # Import library for MSVC-built hosts. The module-definition file's aliases
  # ("name = internal") mean nothing to an importer, so they are dropped.
  if(VC15_LLVM_DLLTOOL)
    file(STRINGS ${VC15_DEF_FILE} def_lines)
    set(import_def "")
    foreach(line IN LISTS def_lines)
      string(REGEX REPLACE " = [A-Za-z0-9_]+" "" line "${line}")
      string(APPEND import_def "${line}\n")
    endforeach()
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/VexaCanvas15.import.def "${import_def}")
    add_custom_command(
      OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/VexaCanvas15.lib
      COMMAND ${VC15_LLVM_DLLTOOL} -m ${VC15_DLLTOOL_MACHINE} -D VexaCanvas15.dll
              -d ${CMAKE_CURRENT_BINARY_DIR}/VexaCanvas15.import.def -l ${CMAKE_CURRENT_BINARY_DIR}/VexaCanvas15.lib
      DEPENDS ${VC15_DEF_FILE}
      COMMENT "Import library for MSVC-built hosts")
    add_custom_target(${target}_msvc_implib ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/VexaCanvas15.lib)
    set(VC15_MSVC_IMPLIB ${CMAKE_CURRENT_BINARY_DIR}/VexaCanvas15.lib CACHE INTERNAL "")
  else()
    message(STATUS "llvm-dlltool not found: no VexaCanvas15.lib for MSVC-built hosts")
    set(VC15_MSVC_IMPLIB "" CACHE INTERNAL "")
  endif()
endfunction()
