// What the session needs to know of the block's layout: where the records
// written so far end, how a new drawing's block starts, and a stroke's record.
#pragma once

#include <cstdint>
#include <vector>

namespace session {

// The offset after the last record that holds a non-zero byte, walking whole
// records from first (the first record's offset); the block's size when the
// last record runs past its end.
std::uint32_t findRecordsEnd(const std::uint8_t* block, std::uint32_t first);

// A block with a prologue and no record.
std::vector<std::uint8_t> newBlock(int width, int height, const std::vector<std::uint32_t>& palette, bool pressure);

// A StrokeRecord whose first point is (x, y) and whose further points are
// the given x and y words.
std::vector<std::uint8_t> strokeRecord(int x, int y, const std::vector<std::uint16_t>& words);

}  // namespace session
