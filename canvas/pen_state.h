// The process-wide drawing state beside the one Canvas: the PenState that the
// brush engine reads and writes, and the canvas geometry with the canvas
// memory context. The engine reaches both without a Canvas reference.
#pragma once

#include <cstdint>

#include "platform/platform.h"

struct PenPoint {
    std::int32_t x;
    std::int32_t y;
};

struct PenState {
    std::uint32_t penColour;
    std::uint32_t secondColour;
    std::uint32_t thirdColour;
    std::int16_t penMode;
    std::int16_t density;
    std::int16_t brushLevel;
    std::int16_t minBrushLevel;
    std::int32_t beginStroke;    // set at the start of a stroke, cleared by its first traced point
    std::int32_t levelUpdated;   // set by setPressure, cleared by every stamp
    PenPoint lastPoint;          // centre of the previous stamp
    PenPoint samplePoint;        // where Smudge picks up its next colour
    std::uint32_t canvasColour;  // colour of the last clear or fill
    std::int32_t randomIndex;    // next RandomTable entry, 0..199
    std::int32_t speckleMatrix[64];
};

extern PenState penState;

// Canvas geometry and drawing objects, in window coordinates.
extern HDC canvasDc;              // memory context holding the backing bitmap
extern HBITMAP backingBitmap;     // the off-screen copy of the whole window
extern int canvasLeft;
extern int canvasTop;
extern int canvasWidth;
extern int canvasHeight;
extern int borderWidth;
extern int borderHeight;
extern RECT clipRect;             // the canvas area; empty until the first repaint

// The window area drawn into since a host last emptied it (engine/session/): each
// segment adds its ends' box widened by the brush's reach, each clear or
// fill the canvas area. Left to right and top to bottom, exclusive; not
// clipped. Nothing that draws reads it.
extern RECT touchedRect;

// Pixel decisions made since the start (or the last reset): a figure for the
// tools' statistics and benchmarks, read by nothing that draws.
extern std::uint64_t pixelDecisions;

// Puts the PenState and the geometry back to their load values (pen mode 1,
// density 1000, everything else zero), for a new run in the same process.
// It releases nothing.
void resetPenState();
