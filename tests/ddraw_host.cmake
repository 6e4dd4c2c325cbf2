# A host's view of the DirectDraw functions on systems without DirectDraw: a
# program that links only the shared library and includes only the public
# header, and puts a canvas frame on a surface through the stand-in.
if(NOT WIN32)
  add_executable(vc15_ddraw_host_tests ${CMAKE_CURRENT_SOURCE_DIR}/ddraw_host/host_test.cpp)
  target_link_libraries(vc15_ddraw_host_tests PRIVATE VexaCanvas15 ${VC15_GTEST})
  vc15_warnings(vc15_ddraw_host_tests)
  vc15_register_tests(vc15_ddraw_host_tests)
endif()
