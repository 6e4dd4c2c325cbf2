# Consumer test: install into a temporary prefix, then build and run hosts
# against the installed copy only (find_package, pkg-config, and on Windows
# both import libraries). Not for sanitized builds (a sanitized library needs
# a sanitized host).
if(VC15_SANITIZE)
  return()
endif()
set(vc15_consumer_args ${CMAKE_BINARY_DIR} ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/consumer-scratch
                       ${CMAKE_GENERATOR})
if(CMAKE_CROSSCOMPILING)
  list(APPEND vc15_consumer_args ${CMAKE_TOOLCHAIN_FILE} ${CMAKE_CROSSCOMPILING_EMULATOR})
endif()
add_test(NAME consumer_package COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/consumer/run_consumer.sh ${vc15_consumer_args})
set_tests_properties(consumer_package PROPERTIES TIMEOUT 300)
if(WIN32 AND CMAKE_CROSSCOMPILING)
  set_tests_properties(consumer_package PROPERTIES LABELS "wine")
endif()
if(EMSCRIPTEN)
  # The hosts are built with this build's flags (threads, memory growth): a
  # wasm module links only objects made for the same memory model.
  set_tests_properties(consumer_package PROPERTIES
    ENVIRONMENT "CXXFLAGS=${CMAKE_CXX_FLAGS};LDFLAGS=${CMAKE_EXE_LINKER_FLAGS};NODE_PATH=$ENV{NODE_PATH}")
endif()
