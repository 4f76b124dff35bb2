// The board's thumbnails: a picture made to fit a box. Shrinking averages
// each box of source pixels, so fine strokes stay visible as tints instead
// of vanishing or flickering; growing repeats pixels a whole number of
// times, so a small drawing stays crisp.
#pragma once

#include <cstdint>
#include <vector>

namespace board::engine {

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00BBGGRR, row by row
};

// The picture scaled to fit inside maxWidth x maxHeight, its proportions kept.
Pixels fitInto(const Pixels& picture, int maxWidth, int maxHeight);

}  // namespace board::engine
