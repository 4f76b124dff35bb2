// Checkpoints of the whole engine state of a session: the canvas pixels, the
// PenState (colours, mode, level, stroke flags and points, random cursor,
// speckle pattern), the reader's position, where the records end and the
// stroke being fed. Restoring one puts the engine back exactly, so playing
// the same records again draws the same pixels.
//
// Restore is cheap when nothing else was saved or restored in between: only
// the area drawn since (strokes' boxes, or the whole canvas after a fill) is
// copied back. A checkpoint holds no record bytes: restore it only while the
// block still holds the records it was taken after; those written later are
// dropped from the block.
#pragma once

#include <cstdint>
#include <vector>

#include "canvas/pen_state.h"
#include "engine/session/live_stroke.h"

namespace session {

struct Checkpoint {
    std::vector<std::uint32_t> pixels;  // the canvas area, row-major
    int width = 0;
    int height = 0;
    PenState pen{};
    std::uint32_t cursor = 0;
    std::uint32_t recordsEnd = 0;
    LiveStroke stroke;
    std::uint64_t serial = 0;   // 0: never saved
    std::uint64_t opened = 0;   // the session it belongs to

    std::size_t bytes() const {
        return pixels.size() * sizeof(std::uint32_t) + stroke.points.size() * sizeof(format::PointWords);
    }
};

// Takes the engine state into checkpoint (reusing its storage).
void save(Checkpoint& checkpoint);

// Puts the engine back as it was when checkpoint was saved. False, with
// nothing changed, for a checkpoint of another session or one taken after
// records that the block no longer holds.
bool restore(const Checkpoint& checkpoint);

}  // namespace session
