#include "board/engine_bridge/thumbnail.h"

#include <algorithm>

namespace board::engine {

namespace {

Pixels grow(const Pixels& picture, int factor) {
    Pixels out;
    out.width = picture.width * factor;
    out.height = picture.height * factor;
    out.pixels.resize(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height));
    for (int y = 0; y < out.height; ++y) {
        const std::uint32_t* from = picture.pixels.data() + static_cast<std::size_t>(y / factor) * picture.width;
        std::uint32_t* to = out.pixels.data() + static_cast<std::size_t>(y) * out.width;
        for (int x = 0; x < out.width; ++x) to[x] = from[x / factor];
    }
    return out;
}

// Each output pixel is the mean of the source pixels whose centres fall in it.
Pixels shrink(const Pixels& picture, int width, int height) {
    Pixels out;
    out.width = width;
    out.height = height;
    out.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const int y0 = static_cast<int>(static_cast<long long>(y) * picture.height / height);
        const int y1 = std::max(y0 + 1, static_cast<int>(static_cast<long long>(y + 1) * picture.height / height));
        for (int x = 0; x < width; ++x) {
            const int x0 = static_cast<int>(static_cast<long long>(x) * picture.width / width);
            const int x1 = std::max(x0 + 1, static_cast<int>(static_cast<long long>(x + 1) * picture.width / width));
            std::uint64_t r = 0, g = 0, b = 0;
            for (int sy = y0; sy < y1; ++sy) {
                const std::uint32_t* row = picture.pixels.data() + static_cast<std::size_t>(sy) * picture.width;
                for (int sx = x0; sx < x1; ++sx) {
                    r += row[sx] & 0xFF;
                    g += (row[sx] >> 8) & 0xFF;
                    b += (row[sx] >> 16) & 0xFF;
                }
            }
            const std::uint64_t n = static_cast<std::uint64_t>(y1 - y0) * static_cast<std::uint64_t>(x1 - x0);
            const auto mean = [n](std::uint64_t sum) { return static_cast<std::uint32_t>((sum + n / 2) / n); };
            out.pixels[static_cast<std::size_t>(y) * width + x] = mean(r) | mean(g) << 8 | mean(b) << 16;
        }
    }
    return out;
}

}  // namespace

Pixels fitInto(const Pixels& picture, int maxWidth, int maxHeight) {
    if (picture.width <= 0 || picture.height <= 0 || maxWidth <= 0 || maxHeight <= 0) return {};
    if (picture.width <= maxWidth && picture.height <= maxHeight) {
        const int factor = std::min(maxWidth / picture.width, maxHeight / picture.height);
        return factor > 1 ? grow(picture, factor) : picture;
    }
    // The larger of the two shrink factors decides; the other side follows.
    const bool widthBinds = static_cast<long long>(picture.width) * maxHeight >=
                            static_cast<long long>(picture.height) * maxWidth;
    int width = maxWidth;
    int height = maxHeight;
    if (widthBinds) {
        height = static_cast<int>((static_cast<long long>(picture.height) * maxWidth + picture.width / 2) / picture.width);
    } else {
        width = static_cast<int>((static_cast<long long>(picture.width) * maxHeight + picture.height / 2) / picture.height);
    }
    return shrink(picture, std::max(width, 1), std::max(height, 1));
}

}  // namespace board::engine
