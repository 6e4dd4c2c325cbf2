# Consumer test: install into a temporary prefix, then build and run a
# separate project that finds the library with find_package and pkg-config.
# Native builds only (a sanitized library needs a sanitized host).
if(NOT CMAKE_CROSSCOMPILING AND NOT WIN32 AND NOT VC15_SANITIZE)
  add_test(NAME consumer_package
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/consumer/run_consumer.sh ${CMAKE_BINARY_DIR}
                   ${CMAKE_CURRENT_SOURCE_DIR}/consumer ${CMAKE_CURRENT_BINARY_DIR}/consumer-scratch
                   ${CMAKE_GENERATOR})
  set_tests_properties(consumer_package PROPERTIES TIMEOUT 300)
endif()
