// The colours a drawing paints with: its DrawingPalette as the player reads
// it (the placeholder's palette for a block without a drawing).
#pragma once

#include <cstdint>
#include <vector>

namespace tools {

// Up to 256 colours, 0x00BBGGRR, in the palette's order.
std::vector<std::uint32_t> drawingPalette(const std::vector<std::uint8_t>& block);

}  // namespace tools
