// What each fuzz target asks of one input, shared by the libFuzzer targets
// and the regression tests that replay their findings. Each returns false
// when the input breaks a promise that is not a crash (a crash is one too).
#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzz {

// The input is the start of a DrawingBlock, the rest zeros. Its show must end
// with a picture, within the given work bound, and must not run on past an
// hour of its clock: no block makes the player tick for ever.
bool replayHolds(const std::uint8_t* data, std::size_t size, std::uint64_t workLimit);

// The input is a script. When it builds, its block dumped and read again must
// give the same block.
bool scriptHolds(const std::uint8_t* data, std::size_t size);

// The input is a player file. When a drawing can be taken out of it, one can
// be written back, into a sealed player of the same size.
bool embedHolds(const std::uint8_t* data, std::size_t size);

}  // namespace fuzz
