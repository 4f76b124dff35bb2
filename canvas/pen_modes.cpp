// The pixel decision: whether a brush pixel is drawn and in which colour,
// by pen mode, gated by draws from the RandomTable.
#include "canvas/pen_modes.h"

#include "canvas/canvas.h"
#include "canvas/pen_state.h"
#include "canvas/random_table.h"

namespace {

// One draw; passes when it lies above the density's threshold.
bool passesDensityGate() {
    const std::int32_t threshold = densityThreshold(penState.density);
    return nextRandom() > threshold;
}

}  // namespace

bool Canvas::decidePixel(HDC dc, int x, int y, int column, int row, std::uint32_t& colour, bool isEdge) {
    ++pixelDecisions;
    switch (penState.penMode) {
    case Blend:
        if (!passesDensityGate()) return false;
        // Only edge pixels soften into what is there.
        if (isEdge) colour = averageColour(colour, GetPixel(dc, x, y));
        return true;
    case Darken:
        if (!passesDensityGate()) return false;
        colour = darkerColour(colour, GetPixel(dc, x, y));
        return true;
    case Smudge:
        if (nextRandom() < kOneThird) return false;
        if (nextRandom() < kOneHalf) return true;
        colour = averageColour(colour, GetPixel(dc, x, y));
        return true;
    case Speckle: {
        if (!passesDensityGate()) return false;
        // The colour pattern is fixed for the stroke; only the gate varies.
        const std::int32_t v = penState.speckleMatrix[column * 8 + row];
        if (v < kOneThird) {
            colour = penState.penColour;
        } else if (v <= kTwoThirds) {
            colour = penState.thirdColour;
        } else {
            colour = penState.secondColour;
        }
        return true;
    }
    default:
        return false;
    }
}
