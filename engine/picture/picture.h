// A picture as the tools pass it around: the window's pixels, row by row,
// with nothing tied to a file format, so that the web engine can use it too.
#pragma once

#include <cstdint>
#include <vector>

namespace tools {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00BBGGRR, row-major
};

// The part of a picture inside the rectangle, clipped to the picture.
Picture crop(const Picture& picture, int x, int y, int width, int height);

}  // namespace tools
