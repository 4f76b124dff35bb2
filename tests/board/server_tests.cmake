# The board server's own tests: its layers one by one (GoogleTest), then the
# real server on a loopback port driven over HTTP (server/run.sh, node:test).
add_executable(board_server_tests store_test.cpp util_test.cpp http_pages_test.cpp)
target_link_libraries(board_server_tests PRIVATE qc_board_store qc_board_security qc_board_app qc_board_pages
  qc_board_http GTest::gtest_main)
target_link_libraries(board_server_tests PRIVATE qc_build)
gtest_discover_tests(board_server_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 60)

# Moving a board between stores (board/transfer), into SQLite and, when
# QC_TEST_PG_URI names a test cluster, PostgreSQL.
add_executable(board_migrate_tests migrate_test.cpp)
target_link_libraries(board_migrate_tests PRIVATE qc_board_transfer qc_board_store qc_board_security GTest::gtest_main)
target_link_libraries(board_migrate_tests PRIVATE qc_build)
gtest_discover_tests(board_migrate_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 60)
# The migration's process tests (migrate/run.sh) grow their board with this.
add_executable(board_test_make_board migrate/make_board.cpp)
target_link_libraries(board_test_make_board PRIVATE qc_board_store qc_board_security)
target_link_libraries(board_test_make_board PRIVATE qc_build)
