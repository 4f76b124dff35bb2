// Stroke tracing and brush stamping: the line walk visits each point of a
// segment, each point stamps the brush mask of the current level, and each
// mask pixel that needs deciding goes to the pen mode. The order of the
// steps fixes which RandomTable value each pixel gets.
#include <algorithm>
#include <cstdlib>

#include "canvas/brush_masks.h"
#include "canvas/canvas.h"
#include "canvas/pen_modes.h"
#include "canvas/pen_state.h"
#include "canvas/random_table.h"

namespace {

// The Canvas whose segment is being walked; the walk's own value is the dc.
Canvas* walkingCanvas = nullptr;

VOID CALLBACK traceLinePoint(int x, int y, LPARAM data) {
    walkingCanvas->traceStep(x, y, reinterpret_cast<HDC>(data));
}

// Grows touchedRect by the box that a segment's stamps can reach.
void touchSegment(int x1, int y1, int x2, int y2) {
    const RECT reach{std::min(x1, x2) - kMaskCentre, std::min(y1, y2) - kMaskCentre,
                     std::max(x1, x2) + kMaskCentre + 1, std::max(y1, y2) + kMaskCentre + 1};
    RECT& t = touchedRect;
    if (t.left >= t.right || t.top >= t.bottom) {
        t = reach;
        return;
    }
    t = RECT{std::min(t.left, reach.left), std::min(t.top, reach.top), std::max(t.right, reach.right),
             std::max(t.bottom, reach.bottom)};
}

// Smudge ignores points within this distance of its sample, in both axes.
constexpr int kSmudgeReach = 2;

}  // namespace

void Canvas::beginStroke() { penState.beginStroke = 1; }

void Canvas::setPressure(std::int16_t pressure) {
    std::int16_t level = 4;
    if (pressure <= 3) {
        level = 0;
    } else if (pressure <= 6) {
        level = 1;
    } else if (pressure <= 9) {
        level = 2;
    } else if (pressure <= 12) {
        level = 3;
    }
    if (level < penState.minBrushLevel) level = penState.minBrushLevel;
    penState.brushLevel = level;
    penState.levelUpdated = 1;
}

void Canvas::setBrushSize(std::int32_t value) {
    const auto level = static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
    penState.brushLevel = level;
    penState.minBrushLevel = level;
}

void Canvas::drawSegment(HDC dc, int x1, int y1, int x2, int y2) {
    if (!ready_) return;
    if (penState.penMode == Speckle && penState.beginStroke) refreshSpeckleMatrix();
    touchSegment(x1, y1, x2, y2);
    Canvas* const outer = walkingCanvas;
    walkingCanvas = this;
    LineDDA(x1, y1, x2, y2, traceLinePoint, reinterpret_cast<LPARAM>(dc));
    walkingCanvas = outer;
}

void Canvas::traceStep(int x, int y, HDC dc) {
    PenState& pen = penState;
    const bool smudge = pen.penMode == Smudge;
    const std::uint32_t keptColour = pen.penColour;
    if (smudge) {
        // The first point of a stroke only places the sample.
        if (pen.beginStroke) {
            pen.samplePoint = PenPoint{x, y};
            pen.beginStroke = 0;
            return;
        }
        if (std::abs(pen.samplePoint.x - x) <= kSmudgeReach && std::abs(pen.samplePoint.y - y) <= kSmudgeReach)
            return;
        // The failed-read colour keeps its value when the flag is added.
        pen.penColour = GetPixel(dc, pen.samplePoint.x, pen.samplePoint.y) | format::kPaletteFlag;
        pen.lastPoint = pen.samplePoint;
        pen.samplePoint = PenPoint{x, y};
        if (pen.penColour == pen.canvasColour || pen.penColour == kInvalidColour) {
            pen.penColour = keptColour;
            return;
        }
    }
    int dx = 0;
    int dy = 0;
    if (!pen.beginStroke) {
        dx = x - pen.lastPoint.x;
        dy = y - pen.lastPoint.y;
    }
    stampBrush(dc, x, y, dx, dy);
    if (smudge) pen.penColour = keptColour;
    pen.lastPoint = PenPoint{x, y};
    pen.beginStroke = 0;
    pen.levelUpdated = 0;
}

void Canvas::stampBrush(HDC dc, int x, int y, int dx, int dy) {
    // No mask exists outside 0..4: such a stamp draws nothing and costs no draw.
    if (!isBrushLevel(penState.brushLevel)) return;
    const auto& mask = brushMasks[penState.brushLevel];
    const bool full = penState.beginStroke || penState.levelUpdated || penState.penMode == Smudge;
    const RECT clip = clipRect;
    for (int row = 0; row < kMaskSize; ++row) {
        const int py = y - kMaskCentre + row;
        for (int column = 0; column < kMaskSize; ++column) {
            const int m = mask[row][column];
            if (m == kOutside) continue;
            if (!full && m == kEdge) {
                // Where this pixel sat in the previous stamp (same level).
                const int pr = row + dy;
                const int pc = column + dx;
                if (pr >= 0 && pr < kMaskSize && pc >= 0 && pc < kMaskSize && mask[pr][pc] != kOutside) continue;
            }
            const int px = x - kMaskCentre + column;
            if (px < clip.left || px >= clip.right || py < clip.top || py >= clip.bottom) continue;
            std::uint32_t colour = penState.penColour;
            if (decidePixel(dc, px, py, column, row, colour, m == kEdge)) plotPixel(dc, px, py, colour);
        }
    }
}

void Canvas::plotPixel(HDC dc, int x, int y, std::uint32_t colour) {
    SetPixel(dc, x, y, colour);
    SetPixel(canvasDc, x, y, colour);
}
