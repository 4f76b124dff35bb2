// The script reader on arbitrary text, and the round trip of what it accepts.
#include <cstdlib>

#include "fuzz/properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!fuzz::scriptHolds(data, size)) std::abort();
    return 0;
}
