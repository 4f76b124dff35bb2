#include "tools/paint/picture_fit.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace paint {

namespace {

// For each output index, the input indexes it covers and their weights
// (summing to 1): the interval [i * scale, (i + 1) * scale) of the input.
struct Coverage {
    std::vector<int> first;
    std::vector<std::vector<float>> weights;
};

Coverage coverageOf(int inSize, int outSize) {
    Coverage c;
    c.first.resize(static_cast<std::size_t>(outSize));
    c.weights.resize(static_cast<std::size_t>(outSize));
    const double scale = static_cast<double>(inSize) / outSize;
    for (int i = 0; i < outSize; ++i) {
        const double from = i * scale;
        const double to = std::min<double>(inSize, (i + 1) * scale);
        const int first = std::min(inSize - 1, static_cast<int>(std::floor(from)));
        const int last = std::min(inSize - 1, std::max(first, static_cast<int>(std::ceil(to)) - 1));
        c.first[static_cast<std::size_t>(i)] = first;
        auto& w = c.weights[static_cast<std::size_t>(i)];
        for (int k = first; k <= last; ++k) {
            const double part = std::min<double>(to, k + 1) - std::max<double>(from, k);
            w.push_back(static_cast<float>(std::max(0.0, part) / (to - from)));
        }
    }
    return c;
}

int channelOf(std::uint32_t pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xFF); }

}  // namespace

bool canvasSizeFor(int pictureWidth, int pictureHeight, int fit, int width, int height, int& canvasWidth,
                   int& canvasHeight, std::string& error) {
    if (fit > 0) {
        if (fit > kMaxCanvasSide) {
            error = "--fit " + std::to_string(fit) + " is too large: the canvas is at most 1024 pixels a side";
            return false;
        }
        const double scale = static_cast<double>(fit) / std::max(pictureWidth, pictureHeight);
        canvasWidth = std::max(1, static_cast<int>(std::lround(pictureWidth * scale)));
        canvasHeight = std::max(1, static_cast<int>(std::lround(pictureHeight * scale)));
        return true;
    }
    if (width < 1 || height < 1 || width > kMaxCanvasSide || height > kMaxCanvasSide) {
        error = "--size " + std::to_string(width) + "x" + std::to_string(height) +
                " is out of range: the canvas is 1 to 1024 pixels a side";
        return false;
    }
    canvasWidth = width;
    canvasHeight = height;
    return true;
}

tools::Picture scaleByArea(const tools::Picture& picture, int width, int height) {
    const Coverage across = coverageOf(picture.width, width);
    const Coverage down = coverageOf(picture.height, height);
    // Rows first: picture.height rows of `width` pixels, three channels each.
    std::vector<float> rows(static_cast<std::size_t>(picture.height) * static_cast<std::size_t>(width) * 3);
    for (int y = 0; y < picture.height; ++y) {
        const std::uint32_t* in = picture.pixels.data() + static_cast<std::size_t>(y) * picture.width;
        float* out = rows.data() + static_cast<std::size_t>(y) * width * 3;
        for (int x = 0; x < width; ++x) {
            float r = 0, g = 0, b = 0;
            const auto& w = across.weights[static_cast<std::size_t>(x)];
            const int first = across.first[static_cast<std::size_t>(x)];
            for (std::size_t k = 0; k < w.size(); ++k) {
                const std::uint32_t p = in[first + static_cast<int>(k)];
                r += w[k] * static_cast<float>(channelOf(p, 0));
                g += w[k] * static_cast<float>(channelOf(p, 8));
                b += w[k] * static_cast<float>(channelOf(p, 16));
            }
            out[3 * x] = r;
            out[3 * x + 1] = g;
            out[3 * x + 2] = b;
        }
    }
    tools::Picture scaled;
    scaled.width = width;
    scaled.height = height;
    scaled.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    auto toByte = [](float v) { return static_cast<std::uint32_t>(std::clamp(std::lround(v), 0L, 255L)); };
    for (int y = 0; y < height; ++y) {
        const auto& w = down.weights[static_cast<std::size_t>(y)];
        const int first = down.first[static_cast<std::size_t>(y)];
        for (int x = 0; x < width; ++x) {
            float c[3] = {0, 0, 0};
            for (std::size_t k = 0; k < w.size(); ++k) {
                const float* in = rows.data() + (static_cast<std::size_t>(first) + k) * width * 3 + 3 * x;
                for (int i = 0; i < 3; ++i) c[i] += w[k] * in[i];
            }
            scaled.pixels[static_cast<std::size_t>(y) * width + x] = toByte(c[0]) | (toByte(c[1]) << 8) | (toByte(c[2]) << 16);
        }
    }
    return scaled;
}

}  // namespace paint
