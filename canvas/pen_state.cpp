#include "canvas/pen_state.h"

#include "canvas/pen_modes.h"

namespace {

constexpr std::int16_t kLoadDensity = 1000;

constexpr PenState loadPenState() {
    PenState state{};
    state.penMode = Blend;
    state.density = kLoadDensity;
    return state;
}

}  // namespace

PenState penState = loadPenState();

HDC canvasDc = nullptr;
HBITMAP backingBitmap = nullptr;
int canvasLeft = 0;
int canvasTop = 0;
int canvasWidth = 0;
int canvasHeight = 0;
int borderWidth = 0;
int borderHeight = 0;
RECT clipRect = {0, 0, 0, 0};
RECT touchedRect = {0, 0, 0, 0};
std::uint64_t pixelDecisions = 0;

void resetPenState() {
    penState = loadPenState();
    canvasDc = nullptr;
    backingBitmap = nullptr;
    canvasLeft = canvasTop = canvasWidth = canvasHeight = 0;
    borderWidth = borderHeight = 0;
    clipRect = RECT{0, 0, 0, 0};
    touchedRect = RECT{0, 0, 0, 0};
    pixelDecisions = 0;
}
