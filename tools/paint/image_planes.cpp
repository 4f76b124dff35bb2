#include "tools/paint/image_planes.h"

#include <algorithm>
#include <cmath>

namespace paint {

namespace {

std::uint32_t toByte(float v) { return static_cast<std::uint32_t>(std::clamp(std::lround(v), 0L, 255L)); }

float luminance(const Rgb& c) { return 0.299f * c.r + 0.587f * c.g + 0.114f * c.b; }

}  // namespace

std::uint32_t pixelOf(Rgb colour) { return toByte(colour.r) | (toByte(colour.g) << 8) | (toByte(colour.b) << 16); }

Rgb Plane::sample(float x, float y) const {
    x = std::clamp(x, 0.0f, static_cast<float>(width - 1));
    y = std::clamp(y, 0.0f, static_cast<float>(height - 1));
    const int x0 = static_cast<int>(x), y0 = static_cast<int>(y);
    const int x1 = std::min(x0 + 1, width - 1), y1 = std::min(y0 + 1, height - 1);
    const float fx = x - static_cast<float>(x0), fy = y - static_cast<float>(y0);
    const Rgb top = at(x0, y0) * (1 - fx) + at(x1, y0) * fx;
    const Rgb bottom = at(x0, y1) * (1 - fx) + at(x1, y1) * fx;
    return top * (1 - fy) + bottom * fy;
}

Plane planeOf(const tools::Picture& picture) {
    Plane plane;
    plane.width = picture.width;
    plane.height = picture.height;
    plane.pixels.reserve(picture.pixels.size());
    for (std::uint32_t p : picture.pixels) plane.pixels.push_back(rgbOf(p));
    return plane;
}

Plane blurred(const Plane& plane, float sigma) {
    if (sigma <= 0) return plane;
    const int radius = std::max(1, static_cast<int>(std::ceil(3 * sigma)));
    std::vector<float> kernel(static_cast<std::size_t>(2 * radius + 1));
    float sum = 0;
    for (int i = -radius; i <= radius; ++i) {
        kernel[static_cast<std::size_t>(i + radius)] = std::exp(-0.5f * static_cast<float>(i * i) / (sigma * sigma));
        sum += kernel[static_cast<std::size_t>(i + radius)];
    }
    for (float& k : kernel) k /= sum;
    const int w = plane.width, h = plane.height;
    Plane across = plane, result = plane;
    // Edges repeat the border pixel.
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            Rgb c;
            for (int i = -radius; i <= radius; ++i) {
                c = c + plane.at(std::clamp(x + i, 0, w - 1), y) * kernel[static_cast<std::size_t>(i + radius)];
            }
            across.pixels[static_cast<std::size_t>(y) * w + x] = c;
        }
    }
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            Rgb c;
            for (int i = -radius; i <= radius; ++i) {
                c = c + across.at(x, std::clamp(y + i, 0, h - 1)) * kernel[static_cast<std::size_t>(i + radius)];
            }
            result.pixels[static_cast<std::size_t>(y) * w + x] = c;
        }
    }
    return result;
}

Gradient gradientOf(const Plane& plane) {
    const int w = plane.width, h = plane.height;
    Gradient g;
    g.width = w;
    g.height = h;
    g.gx.assign(static_cast<std::size_t>(w) * h, 0);
    g.gy.assign(static_cast<std::size_t>(w) * h, 0);
    std::vector<float> lum(static_cast<std::size_t>(w) * h);
    for (std::size_t i = 0; i < lum.size(); ++i) lum[i] = luminance(plane.pixels[i]);
    auto l = [&](int x, int y) {
        return lum[static_cast<std::size_t>(std::clamp(y, 0, h - 1)) * w + std::clamp(x, 0, w - 1)];
    };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * w + x;
            g.gx[i] = (l(x + 1, y - 1) + 2 * l(x + 1, y) + l(x + 1, y + 1)) - (l(x - 1, y - 1) + 2 * l(x - 1, y) + l(x - 1, y + 1));
            g.gy[i] = (l(x - 1, y + 1) + 2 * l(x, y + 1) + l(x + 1, y + 1)) - (l(x - 1, y - 1) + 2 * l(x, y - 1) + l(x + 1, y - 1));
        }
    }
    return g;
}

}  // namespace paint
