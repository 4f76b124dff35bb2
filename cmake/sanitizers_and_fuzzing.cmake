# Trees for finding faults, kept apart from the product builds:
#  QC_SANITIZE=ON  every native target under AddressSanitizer and
#                  UndefinedBehaviorSanitizer (build-asan/); any report fails.
#  QC_FUZZ=ON      clang with libFuzzer; only the fuzz targets and what they
#                  link are meant to be built (build-fuzz/).
option(QC_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(QC_FUZZ "Build the libFuzzer targets (needs clang)" OFF)

set(QC_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)

if(QC_SANITIZE AND NOT QC_FUZZ)
  add_compile_options(${QC_SANITIZER_FLAGS})
  add_link_options(-fsanitize=address,undefined)
endif()

if(QC_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "QC_FUZZ needs clang: -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang")
  endif()
  # Coverage for every library; the fuzzer's own main comes with the targets.
  add_compile_options(${QC_SANITIZER_FLAGS} -fsanitize=fuzzer-no-link
    -fsanitize-coverage-ignorelist=${PROJECT_SOURCE_DIR}/fuzz/coverage_ignore.txt)
  add_link_options(-fsanitize=address,undefined)
endif()
