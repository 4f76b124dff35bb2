# The board server's own tests: its layers one by one (GoogleTest), then the
# real server on a loopback port driven over HTTP (server/run.sh, node:test).
add_executable(board_server_tests util_test.cpp http_pages_test.cpp)
target_link_libraries(board_server_tests PRIVATE qc_board_store qc_board_security qc_board_app qc_board_pages
  qc_board_http GTest::gtest_main)
target_link_libraries(board_server_tests PRIVATE qc_build)
gtest_discover_tests(board_server_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 60)

# The store on both databases. One process runs them all, so that the
# throw-away PostgreSQL cluster it starts (pg_cluster.sh) is started once.
add_executable(board_store_tests store_test.cpp)
target_link_libraries(board_store_tests PRIVATE qc_board_store qc_board_security GTest::gtest_main)
target_compile_definitions(board_store_tests PRIVATE QC_PG_CLUSTER="${CMAKE_CURRENT_SOURCE_DIR}/pg_cluster.sh")
target_link_libraries(board_store_tests PRIVATE qc_build)
add_test(NAME board_store COMMAND board_store_tests)
set_tests_properties(board_store PROPERTIES TIMEOUT 180)
