# The board server's own tests: its layers one by one (GoogleTest), then the
# real server on a loopback port driven over HTTP (server/run.sh, node:test).
add_executable(board_server_tests store_test.cpp util_test.cpp http_pages_test.cpp)
target_link_libraries(board_server_tests PRIVATE qc_board_store qc_board_security qc_board_app qc_board_pages
  qc_board_http GTest::gtest_main)
target_link_libraries(board_server_tests PRIVATE qc_build)
gtest_discover_tests(board_server_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 60)
