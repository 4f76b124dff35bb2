#include "tools/paint/painting_style.h"

#include "format/format.h"

namespace paint {

namespace {

Layer layer(int level, float blur, int grid, float step, int maxPoints) {
    Layer l;
    l.level = level;
    l.blurSigma = blur;
    l.grid = grid;
    l.step = step;
    l.maxPoints = maxPoints;
    return l;
}

// Broad strokes on a blurred picture first, then ever finer ones that follow
// the forms more closely; the larger brushes taper at both ends.
Recipe impressionist() {
    Phase phase;
    phase.penMode = format::kBlend;
    phase.layers = {layer(4, 6, 6, 9, 16), layer(4, 3, 5, 8, 16), layer(3, 2, 4, 6, 14), layer(2, 1.2f, 3, 5, 12),
                    layer(1, 0.7f, 2, 3, 10), layer(0, 0, 2, 2, 8)};
    for (Layer& l : phase.layers) l.taper = l.level >= 2;
    return Recipe{false, {phase}};
}

// A toned ground in a few broad Blend strokes, then short dabs of three
// colours scattered by Speckle, large to small.
Recipe pointillist() {
    Phase ground;
    ground.penMode = format::kBlend;
    ground.share = 0.15;
    ground.layers = {layer(4, 6, 8, 10, 16)};
    Phase phase;
    phase.penMode = format::kSpeckle;
    phase.layers = {layer(4, 3, 5, 4, 2), layer(3, 2, 4, 3, 2), layer(2, 1, 3, 3, 2), layer(1, 0.5f, 2, 2, 2)};
    for (Layer& l : phase.layers) {
        l.colour = StrokeColour::Speckle;
        l.minPoints = 2;
        l.bend = 0;
    }
    return Recipe{false, {ground, phase}};
}

// A light wash in broad strokes on paper, then Darken lines along the edges
// and hatching where the picture is dark.
Recipe sketch() {
    Phase wash;
    wash.penMode = format::kBlend;
    wash.target = PhaseTarget::Wash;
    wash.share = 0.3;
    wash.layers = {layer(4, 5, 6, 10, 16), layer(3, 2.5f, 5, 7, 12)};
    Phase lines;
    lines.penMode = format::kDarken;
    Layer contour = layer(1, 1, 3, 4, 16);
    contour.colour = StrokeColour::Dark;
    Layer fine = layer(0, 0.7f, 2, 3, 12);
    fine.colour = StrokeColour::Dark;
    Layer hatch = layer(1, 1.5f, 4, 12, 3);
    hatch.colour = StrokeColour::Dark;
    hatch.direction = StrokeDirection::Hatch;
    hatch.bend = 0;
    lines.layers = {contour, hatch, fine};
    return Recipe{true, {wash, lines}};
}

}  // namespace

bool styleNamed(const std::string& name, Style& style) {
    if (name == "impressionist") {
        style = Style::Impressionist;
    } else if (name == "pointillist") {
        style = Style::Pointillist;
    } else if (name == "sketch") {
        style = Style::Sketch;
    } else {
        return false;
    }
    return true;
}

const char* styleName(Style style) {
    switch (style) {
        case Style::Pointillist:
            return "pointillist";
        case Style::Sketch:
            return "sketch";
        case Style::Impressionist:
            break;
    }
    return "impressionist";
}

Recipe recipeFor(Style style) {
    switch (style) {
        case Style::Pointillist:
            return pointillist();
        case Style::Sketch:
            return sketch();
        case Style::Impressionist:
            break;
    }
    return impressionist();
}

}  // namespace paint
