# Install rules, the CMake package (find_package(VexaCanvas15) gives
# VexaCanvas15::VexaCanvas15), the pkg-config file, and the distribution
# archive target `vc15_package`.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(VC15_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/VexaCanvas15)

install(TARGETS VexaCanvas15 EXPORT VexaCanvas15Targets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_COMPONENT Development
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
# With it, DirectDraw's declarations for platforms without <ddraw.h> and,
# everywhere, the ready base for a host's own surface.
install(FILES ${PROJECT_SOURCE_DIR}/include/VexaCanvas15.h ${PROJECT_SOURCE_DIR}/include/VexaCanvas15_ddraw.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
if(WIN32 AND VC15_MSVC_IMPLIB)
  # Import library for hosts built with MSVC.
  install(FILES ${VC15_MSVC_IMPLIB} DESTINATION ${CMAKE_INSTALL_LIBDIR})
endif()

# The host's documentation travels with the library.
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/CHANGELOG.md DESTINATION ${CMAKE_INSTALL_DOCDIR}
        OPTIONAL)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR}
        FILES_MATCHING PATTERN "*.md" PATTERN "*.png")

install(EXPORT VexaCanvas15Targets NAMESPACE VexaCanvas15:: DESTINATION ${VC15_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/VexaCanvas15Config.cmake.in
                              ${CMAKE_CURRENT_BINARY_DIR}/VexaCanvas15Config.cmake
                              INSTALL_DESTINATION ${VC15_CMAKE_DIR})
# The ABI follows the major version.
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/VexaCanvas15ConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/VexaCanvas15Config.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/VexaCanvas15ConfigVersion.cmake
        DESTINATION ${VC15_CMAKE_DIR})

# pkg-config: the prefix is found relative to the .pc file, so the installed
# tree can be moved (or installed with `cmake --install --prefix`).
set(VC15_PC_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH VC15_PC_TO_PREFIX /root/${VC15_PC_DIR} /root)
string(REGEX REPLACE "/$" "" VC15_PC_TO_PREFIX "${VC15_PC_TO_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/vexacanvas15.pc.in ${CMAKE_CURRENT_BINARY_DIR}/vexacanvas15.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vexacanvas15.pc DESTINATION ${VC15_PC_DIR})

# Distribution archive: the installed tree of this build, as a zip for
# Windows and a tar.gz elsewhere.
if(WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(VC15_PACKAGE_NAME VexaCanvas15-${PROJECT_VERSION}-win32)
  else()
    set(VC15_PACKAGE_NAME VexaCanvas15-${PROJECT_VERSION}-win64)
  endif()
  set(VC15_PACKAGE_FILE ${CMAKE_BINARY_DIR}/${VC15_PACKAGE_NAME}.zip)
  set(VC15_PACKAGE_TAR_FLAGS cf)
  set(VC15_PACKAGE_FORMAT --format=zip)
else()
  set(VC15_PACKAGE_NAME VexaCanvas15-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR})
  set(VC15_PACKAGE_FILE ${CMAKE_BINARY_DIR}/${VC15_PACKAGE_NAME}.tar.gz)
  set(VC15_PACKAGE_TAR_FLAGS cfz)
  set(VC15_PACKAGE_FORMAT --format=gnutar)
endif()
set(VC15_STAGE ${CMAKE_BINARY_DIR}/package-stage)
add_custom_target(vc15_package
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${VC15_STAGE}
  COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --strip --prefix ${VC15_STAGE}/${VC15_PACKAGE_NAME}
  COMMAND ${CMAKE_COMMAND} -E chdir ${VC15_STAGE}
          ${CMAKE_COMMAND} -E tar ${VC15_PACKAGE_TAR_FLAGS} ${VC15_PACKAGE_FILE} ${VC15_PACKAGE_FORMAT} ${VC15_PACKAGE_NAME}
  COMMAND ${CMAKE_COMMAND} -E echo "package: ${VC15_PACKAGE_FILE}"
  DEPENDS VexaCanvas15
  VERBATIM)
if(TARGET VexaCanvas15_msvc_implib)
  add_dependencies(vc15_package VexaCanvas15_msvc_implib)
endif()
