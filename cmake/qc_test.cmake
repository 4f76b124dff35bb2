# qc_test(NAME [TIMEOUT SECONDS] SOURCES...): one GoogleTest program and its
# run under ctest, the same call in both trees, so that each test list is
# written once (tests/<layer>/CMakeLists.txt). Natively ctest lists every
# case on its own (a TIMEOUT bounds each); in the web tree the program is
# WebAssembly, run whole under Node.js with the machine's files at hand.
function(qc_test name)
  cmake_parse_arguments(QC_TEST "" "TIMEOUT" "" ${ARGN})
  add_executable(${name} ${QC_TEST_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE qc_build)
  if(QC_WEB)
    target_link_libraries(${name} PRIVATE gtest_main)
    # Linked without the optimiser's slow whole-module passes: the code under
    # test is compiled as for the engine, and the tests link quicker.
    target_link_options(${name} PRIVATE -sNODERAWFS=1 -sENVIRONMENT=node -sALLOW_MEMORY_GROWTH=1 -O1)
    add_test(NAME web_${name} COMMAND ${QC_NODE_RUN} $<TARGET_FILE:${name}>)
    set_tests_properties(web_${name} PROPERTIES LABELS web TIMEOUT 600)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
    if(QC_TEST_TIMEOUT)
      gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT ${QC_TEST_TIMEOUT})
    else()
      gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
    endif()
  endif()
endfunction()
