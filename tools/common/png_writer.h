// PNG output for the tools (libpng): 8-bit RGB, from 0x00BBGGRR pixels.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

namespace tools {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00BBGGRR, row-major
};

// Writes the picture as a PNG to an open stream. False on a libpng error.
bool writePng(std::FILE* file, const Picture& picture);

// The part of a picture inside the rectangle, clipped to the picture.
Picture crop(const Picture& picture, int x, int y, int width, int height);

}  // namespace tools
