#include "engine/picture/picture_scale.h"

#include <vector>

namespace tools {

Picture scaleNearest(const Picture& picture, int width, int height) {
    if (picture.width == width && picture.height == height) return picture;
    Picture out;
    if (picture.width <= 0 || picture.height <= 0 || width <= 0 || height <= 0) return out;
    out.width = width;
    out.height = height;
    out.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    // Each target pixel takes the source pixel its centre falls in.
    std::vector<int> column(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x)
        column[static_cast<std::size_t>(x)] =
            static_cast<int>((2LL * x + 1) * picture.width / (2LL * width));
    for (int y = 0; y < height; ++y) {
        const int sy = static_cast<int>((2LL * y + 1) * picture.height / (2LL * height));
        const std::uint32_t* source = picture.pixels.data() + static_cast<std::ptrdiff_t>(sy) * picture.width;
        std::uint32_t* target = out.pixels.data() + static_cast<std::ptrdiff_t>(y) * width;
        for (int x = 0; x < width; ++x) target[x] = source[column[static_cast<std::size_t>(x)]];
    }
    return out;
}

}  // namespace tools
