// The three looks a picture can be painted in, each a recipe of phases and
// brush layers: which pen mode and brush level, how blurred a reference the
// strokes follow, how long and how curved they may grow, how their colours
// are chosen. The search (painter.h) is the same for all of them.
#pragma once

#include <string>
#include <vector>

namespace paint {

enum class Style { Impressionist, Pointillist, Sketch };

// "impressionist", "pointillist", "sketch"; false for any other name.
bool styleNamed(const std::string& name, Style& style);
const char* styleName(Style style);

enum class StrokeColour {
    Mean,     // the picture's mean under the stroke
    Speckle,  // pen, second and third colours around that mean
    Dark,     // darker than the picture under the stroke, for Darken lines
};

enum class StrokeDirection {
    AlongEdges,  // normal to the gradient, as a painter follows the forms
    Hatch,       // straight, at one slant, for shading
};

struct Layer {
    int level = 4;          // brush level 0..4
    float blurSigma = 0;    // of the reference the strokes follow
    int grid = 4;           // candidate starts, one a cell of grid x grid pixels
    int minPoints = 2;
    int maxPoints = 16;
    float step = 6;         // pixels between stroke points
    float bend = 0.7f;      // how far a step turns toward the new direction, 0..1
    bool taper = false;     // first and last segments a level lighter
    StrokeColour colour = StrokeColour::Mean;
    StrokeDirection direction = StrokeDirection::AlongEdges;
};

// The picture a phase aims at.
enum class PhaseTarget {
    Picture,  // the picture itself
    Wash,     // the picture lightened toward the paper
};

struct Phase {
    int penMode = 1;          // Blend 1, Darken 2, Speckle 4
    PhaseTarget target = PhaseTarget::Picture;
    double share = 1.0;       // of the budget, at most; what a phase leaves goes to the next
    std::vector<Layer> layers;
};

struct Recipe {
    bool paperGround = false;  // fill with paper white instead of the picture's mean
    std::vector<Phase> phases;
};

Recipe recipeFor(Style style);

}  // namespace paint
