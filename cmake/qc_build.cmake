# qc_build: what every target of ours links PRIVATE, and nothing else needs.
# It carries the include root, from which every source includes its headers
# by path ("drawing/reader.h"), so the path says where a thing lives; and the
# warnings: a warning is a fault to mend, not to keep.
add_library(qc_build INTERFACE)
target_include_directories(qc_build INTERFACE ${CMAKE_CURRENT_LIST_DIR}/..)
target_compile_options(qc_build INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
