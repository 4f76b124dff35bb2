// Between DrawingBlock bytes and the Drawing model. Decoding walks the block
// as the player reads it: the prologue that the FormatMarker lays out, then
// whole records until only zeros are left or a record no longer fits.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/script/drawing_model.h"

namespace script {

// Takes a 451000-byte block apart. Never fails: every block has a meaning.
Drawing decodeBlock(const std::uint8_t* block);

// The bytes of a drawing without the zero fill; longer than the block when
// the drawing does not fit.
std::vector<std::uint8_t> encodeDrawing(const Drawing& drawing);

// The drawing as a whole block. False, with how many bytes too many, when it
// does not fit.
bool encodeBlock(const Drawing& drawing, std::vector<std::uint8_t>& block, std::uint64_t& overBy);

// Bytes the prologue takes from block offset 8 on, and where records start.
std::uint32_t firstRecordOffset(const Drawing& drawing);

}  // namespace script
