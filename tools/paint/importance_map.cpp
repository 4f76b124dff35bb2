#include "tools/paint/importance_map.h"

#include <algorithm>
#include <cmath>

namespace paint {

namespace {

// Extra weight of an edge's error and of skin's, over a flat area's 1.
constexpr float kEdgeWeight = 0.5f;
constexpr float kSkinWeight = 2.0f;

}  // namespace

std::vector<float> importanceOf(const Plane& picture) {
    const Gradient g = gradientOf(blurred(picture, 1.0f));
    std::vector<float> edges(g.gx.size());
    for (std::size_t i = 0; i < edges.size(); ++i) edges[i] = std::sqrt(g.gx[i] * g.gx[i] + g.gy[i] * g.gy[i]);
    std::vector<float> sorted = edges;
    const std::size_t high = sorted.size() * 9 / 10;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(high), sorted.end());
    const float scale = std::max(1.0f, sorted[high]);
    Plane map;  // edges in r, skin in g
    map.width = picture.width;
    map.height = picture.height;
    map.pixels.resize(edges.size());
    for (std::size_t i = 0; i < edges.size(); ++i) {
        const Rgb& c = picture.pixels[i];
        const float cb = 128 - 0.168736f * c.r - 0.331264f * c.g + 0.5f * c.b;
        const float cr = 128 + 0.5f * c.r - 0.418688f * c.g - 0.081312f * c.b;
        const bool skin = cb >= 77 && cb <= 127 && cr >= 137 && cr <= 173;
        map.pixels[i] = Rgb{std::min(1.0f, edges[i] / scale), skin ? 1.0f : 0.0f, 0};
    }
    // Skin spreads further, over the eyes and mouth that it surrounds.
    const Plane nearEdges = blurred(map, 2.0f);
    const Plane nearSkin = blurred(map, 6.0f);
    std::vector<float> weights(edges.size());
    for (std::size_t i = 0; i < weights.size(); ++i) {
        weights[i] = 1 + kEdgeWeight * nearEdges.pixels[i].r + kSkinWeight * std::min(1.0f, 1.5f * nearSkin.pixels[i].g);
    }
    return weights;
}

}  // namespace paint
