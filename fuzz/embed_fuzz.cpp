// quillcast-embed's reading of a player file on arbitrary bytes: malformed
// and truncated PE files.
#include <cstdlib>

#include "fuzz/properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!fuzz::embedHolds(data, size)) std::abort();
    return 0;
}
