// The session's own state, shared by the files of engine/session/ only: the player
// window it drives, where the records end, and the stroke being fed.
#pragma once

#include <cstdint>
#include <vector>

#include "drawing/records.h"
#include "format/format.h"
#include "platform/platform.h"
#include "platform/emu/desktop.h"

namespace session {

struct LiveStroke {
    bool active = false;
    StrokePosition previous{0, 0};
    std::vector<format::PointWords> points;  // the record's points, the first one first
};

struct State {
    HWND window = nullptr;
    std::uint32_t recordsEnd = 0;
    LiveStroke stroke;
    std::uint64_t serial = 0;     // of the checkpoint saved or restored last
    std::uint64_t opened = 0;     // counts opens, so that a checkpoint knows its session
};

extern State state;

// The window's client pixels and the backing bitmap's, both in window
// coordinates; the canvas lies at (canvasLeft, canvasTop) in each.
emu::SurfaceView windowSurface();
emu::SurfaceView backingSurface();

}  // namespace session
