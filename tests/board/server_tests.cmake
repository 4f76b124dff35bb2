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

# Moving a board between stores (board/transfer), into SQLite and into
# PostgreSQL (a cluster of its own, started once by the one process).
add_executable(board_migrate_tests migrate_test.cpp)
target_link_libraries(board_migrate_tests PRIVATE qc_board_transfer qc_board_store qc_board_security GTest::gtest_main)
target_compile_definitions(board_migrate_tests PRIVATE QC_PG_CLUSTER="${CMAKE_CURRENT_SOURCE_DIR}/pg_cluster.sh")
target_link_libraries(board_migrate_tests PRIVATE qc_build)
add_test(NAME board_migrate COMMAND board_migrate_tests)
set_tests_properties(board_migrate PROPERTIES TIMEOUT 120)
# The migration's process tests (migrate/run.sh) grow their board with this.
add_executable(board_test_make_board migrate/make_board.cpp)
target_link_libraries(board_test_make_board PRIVATE qc_board_store qc_board_security)
target_link_libraries(board_test_make_board PRIVATE qc_build)
