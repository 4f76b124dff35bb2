// The session's own state, shared by the files of engine/session/ only (no
// public header includes it): the player window it drives, where the records
// end, and the stroke being fed.
#pragma once

#include <cstdint>

#include "engine/session/live_stroke.h"
#include "platform/emu/desktop.h"
#include "platform/platform.h"

namespace session {

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
