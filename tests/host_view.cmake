# Host-view test: loads the built library at run time and drives a canvas
# through its table of operations, as a foreign host would. It does not link
# the library.
add_executable(vc15_host_view ${CMAKE_CURRENT_SOURCE_DIR}/host_view/host_view.cpp)
target_include_directories(vc15_host_view PRIVATE ${PROJECT_SOURCE_DIR}/include)
target_link_libraries(vc15_host_view PRIVATE ${CMAKE_DL_LIBS})
vc15_warnings(vc15_host_view)
vc15_link_platform(vc15_host_view)
add_dependencies(vc15_host_view VexaCanvas15)
add_test(NAME host_view COMMAND vc15_host_view $<TARGET_FILE:VexaCanvas15>)
if(CMAKE_CROSSCOMPILING)
  set_tests_properties(host_view PROPERTIES LABELS "wine")
endif()
