// The whole show of an arbitrary DrawingBlock through the player's own
// WinMain on the emulated desktop. The input is the start of the block, the
// rest is zeros, so short inputs already reach every record kind.
#include <cstdlib>

#include "fuzz/properties.h"

namespace {

// A fraction of a second of drawing at most: a long stroke is cut short, yet
// every record kind is met early in the block.
constexpr std::uint64_t kFuzzWorkLimit = 100'000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!fuzz::replayHolds(data, size, kFuzzWorkLimit)) std::abort();
    return 0;
}
