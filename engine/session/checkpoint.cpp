#include "engine/session/checkpoint.h"

#include <algorithm>
#include <cstring>

#include "canvas/pen_state.h"
#include "engine/session/session_state.h"
#include "shell/host.h"

namespace session {

namespace {

std::uint64_t lastSerial = 0;  // grows over the whole process

// The canvas area, or the part of it that r covers, in window coordinates.
RECT canvasPart(const RECT& r) {
    return RECT{std::max<LONG>(r.left, canvasLeft), std::max<LONG>(r.top, canvasTop),
                std::min<LONG>(r.right, canvasLeft + canvasWidth), std::min<LONG>(r.bottom, canvasTop + canvasHeight)};
}

void copyIn(const Checkpoint& checkpoint, const emu::SurfaceView& to, const RECT& part) {
    if (!to.pixels || part.left >= part.right || part.top >= part.bottom) return;
    const auto count = static_cast<std::size_t>(part.right - part.left);
    for (LONG y = part.top; y < part.bottom; ++y) {
        const std::uint32_t* from = checkpoint.pixels.data() +
                                    static_cast<std::size_t>(y - canvasTop) * static_cast<std::size_t>(checkpoint.width) +
                                    static_cast<std::size_t>(part.left - canvasLeft);
        std::memcpy(to.pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(to.width) +
                        static_cast<std::size_t>(part.left),
                    from, count * sizeof(std::uint32_t));
    }
}

}  // namespace

void save(Checkpoint& checkpoint) {
    const emu::SurfaceView from = windowSurface();
    checkpoint.width = canvasWidth;
    checkpoint.height = canvasHeight;
    checkpoint.pixels.resize(static_cast<std::size_t>(canvasWidth) * static_cast<std::size_t>(canvasHeight));
    if (from.pixels) {
        for (int y = 0; y < canvasHeight; ++y) {
            std::memcpy(checkpoint.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(canvasWidth),
                        from.pixels + static_cast<std::size_t>(y + canvasTop) * static_cast<std::size_t>(from.width) +
                            static_cast<std::size_t>(canvasLeft),
                        static_cast<std::size_t>(canvasWidth) * sizeof(std::uint32_t));
        }
    }
    checkpoint.pen = currentPen();
    checkpoint.cursor = readerPosition();
    checkpoint.recordsEnd = state.recordsEnd;
    checkpoint.stroke = state.stroke;
    checkpoint.serial = ++lastSerial;
    checkpoint.opened = state.opened;
    state.serial = checkpoint.serial;
    takeTouchedArea();
}

bool restore(const Checkpoint& checkpoint) {
    if (checkpoint.serial == 0 || checkpoint.opened != state.opened || !state.window) return false;
    if (checkpoint.recordsEnd > state.recordsEnd) return false;

    // Since the last save or restore of this very checkpoint only the touched
    // area can differ; otherwise everything may.
    const bool onlyTouched = checkpoint.serial == state.serial;
    const RECT touched = takeTouchedArea();
    const RECT part = canvasPart(onlyTouched ? touched
                                             : RECT{canvasLeft, canvasTop, canvasLeft + canvasWidth,
                                                    canvasTop + canvasHeight});
    copyIn(checkpoint, windowSurface(), part);
    copyIn(checkpoint, backingSurface(), part);

    clearDrawingBytes(checkpoint.recordsEnd, state.recordsEnd - checkpoint.recordsEnd);
    restorePen(checkpoint.pen);
    returnReaderTo(checkpoint.cursor);
    state.recordsEnd = checkpoint.recordsEnd;
    state.stroke = checkpoint.stroke;
    state.serial = checkpoint.serial;
    return true;
}

}  // namespace session
