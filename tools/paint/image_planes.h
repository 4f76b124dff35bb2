// Pictures as floating-point RGB for the painting search: the target, its
// blurred references for each brush layer, and the luminance gradient whose
// normal the strokes follow.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/common/png_writer.h"

namespace paint {

struct Rgb {
    float r = 0, g = 0, b = 0;
};

inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb operator-(Rgb a, Rgb b) { return {a.r - b.r, a.g - b.g, a.b - b.b}; }
inline Rgb operator*(Rgb a, float k) { return {a.r * k, a.g * k, a.b * k}; }
inline float squaredLength(Rgb a) { return a.r * a.r + a.g * a.g + a.b * a.b; }

inline Rgb rgbOf(std::uint32_t pixel) {
    return {static_cast<float>(pixel & 0xFF), static_cast<float>((pixel >> 8) & 0xFF),
            static_cast<float>((pixel >> 16) & 0xFF)};
}
// 0x00BBGGRR, each channel rounded and held to 0..255.
std::uint32_t pixelOf(Rgb colour);

// Squared distance of a pixel to a colour, summed over the three channels.
inline float pixelError(std::uint32_t pixel, Rgb colour) { return squaredLength(rgbOf(pixel) - colour); }

struct Plane {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;

    const Rgb& at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    // The colour at a point between pixels, clamped to the plane.
    Rgb sample(float x, float y) const;
};

Plane planeOf(const tools::Picture& picture);

// A separable Gaussian blur; sigma 0 returns the plane unchanged.
Plane blurred(const Plane& plane, float sigma);

// The gradient of luminance (Sobel), one (gx, gy) pair a pixel.
struct Gradient {
    int width = 0;
    int height = 0;
    std::vector<float> gx, gy;
};
Gradient gradientOf(const Plane& plane);

}  // namespace paint
