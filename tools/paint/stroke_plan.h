// One candidate stroke: where it goes and in which colours, after
// Hertzmann's curved strokes. It starts where the canvas is furthest from
// the layer's reference, then steps along the normal of the gradient (along
// the edges), turning gently, until the canvas already matches the
// reference better than the stroke's colour would. Its colour is then the
// picture's mean under the path.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/paint/image_planes.h"
#include "tools/paint/painting_style.h"
#include "format/format.h"

namespace paint {

// A pressure that the player reads as brush level `level` (0..4).
int pressureForLevel(int level);

// What the strokes of one layer follow.
struct LayerGuide {
    const Layer* layer = nullptr;
    Plane reference;    // the phase's target, blurred for this layer
    Gradient gradient;  // of the reference's luminance
};

// The canvas as it stands, mirrored on the host's side: 0x00BBGGRR.
struct CanvasView {
    const std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * stride + x]; }
};

struct StrokePlan {
    std::vector<format::StrokePoint> points;  // canvas coordinates; pressures set the brush level per segment
    std::uint32_t colour = 0;           // pen colour, 0x00BBGGRR
    std::uint32_t second = 0;           // Speckle's second and third colours
    std::uint32_t third = 0;
    int left = 0, top = 0, right = 0, bottom = 0;  // the canvas area the stroke can touch, exclusive
};

// Plans the stroke that starts at (x, y). `random` is a generator state that
// the plan advances (for the direction in flat places). `target` is what the
// colour is taken from. Plans of fewer than two points draw nothing.
StrokePlan planStroke(const LayerGuide& guide, const Plane& target, const CanvasView& canvas, int x, int y,
                      std::uint64_t& random);

// A reproducible generator (splitmix64): the same seed gives the same
// numbers on every build, unlike the standard library's distributions.
std::uint64_t nextRandom64(std::uint64_t& state);

// Half the brush's width: how far a level's stamp reaches from its centre.
float brushReach(int level);

}  // namespace paint
