# DirectDraw tests that need a display: depth-buffer formats, depth buffers,
# a 3-D device and a whole frame through a flipping chain. Built for Windows
# only; under Wine they run with an Xvfb server of their own, started by
# ddraw_display/run-with-xvfb.sh on a free display number.
#
# The DirectDraw unit tests are compiled in as well: with a display they run
# the cases that headless Wine refuses (video memory, depth buffers, flipping
# chains) instead of skipping them.
if(WIN32)
  file(GLOB VC15_DDRAW_UNIT_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/ddraw_*_test.cpp)
  add_executable(vc15_ddraw_display_tests ${CMAKE_CURRENT_SOURCE_DIR}/ddraw_display/display_test.cpp
                                          ${VC15_DDRAW_UNIT_SOURCES} ${CMAKE_CURRENT_SOURCE_DIR}/test_hooks_support.cpp)
  target_link_libraries(vc15_ddraw_display_tests PRIVATE vc15_core ${VC15_GTEST})
  target_include_directories(vc15_ddraw_display_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  vc15_link_platform(vc15_ddraw_display_tests)
  vc15_warnings(vc15_ddraw_display_tests)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME vc15_ddraw_display_tests
             COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/ddraw_display/run-with-xvfb.sh ${CMAKE_CROSSCOMPILING_EMULATOR}
                     $<TARGET_FILE:vc15_ddraw_display_tests> --gtest_brief=1)
    # The 32-bit DLL's run may be emulated (qemu-user), about four times slower.
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      set_tests_properties(vc15_ddraw_display_tests PROPERTIES TIMEOUT 1200)
    else()
      set_tests_properties(vc15_ddraw_display_tests PROPERTIES TIMEOUT 300)
    endif()
  else()
    add_test(NAME vc15_ddraw_display_tests COMMAND vc15_ddraw_display_tests --gtest_brief=1)
  endif()
endif()
