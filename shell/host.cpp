#include "shell/host.h"

#include <algorithm>

#include "drawing/block.h"
#include "drawing/prologue.h"
#include "drawing/reader.h"
#include "shell/playback.h"
#include "shell/player_window.h"
#include "shell/state.h"

void resetPlayer() {
    resetShellState();
    resetDrawingReader();
    resetPrologue();
    resetPenState();
}

void startHostedShow(HWND window) {
    KillTimer(window, kPlaybackTimer);
    firstTick = 0;
    setUpDrawing(window);
}

std::uint32_t readerPosition() { return drawingCursor; }

void skipReaderTo(std::uint32_t offset) {
    drawingCursor = std::max(drawingCursor, std::min(offset, format::kDrawingBlockSize));
}

void returnReaderTo(std::uint32_t offset) {
    drawingCursor = std::min(offset, format::kDrawingBlockSize);
}

int drawingWidth() { return drawingHeader.width; }
int drawingHeight() { return drawingHeader.height; }
bool drawingCarriesPressure() { return pressureEncoding; }

const std::uint8_t* drawingBytes() { return drawingBlock; }

bool writeDrawingBytes(std::uint32_t offset, const std::uint8_t* bytes, std::size_t size) {
    if (offset > format::kDrawingBlockSize || size > format::kDrawingBlockSize - offset) return false;
    std::copy(bytes, bytes + size, drawingBlock + offset);
    return true;
}

bool clearDrawingBytes(std::uint32_t offset, std::size_t size) {
    if (offset > format::kDrawingBlockSize || size > format::kDrawingBlockSize - offset) return false;
    std::fill(drawingBlock + offset, drawingBlock + offset + size, std::uint8_t{0});
    return true;
}

const PenState& currentPen() { return penState; }
void restorePen(const PenState& pen) { penState = pen; }

RECT takeTouchedArea() {
    const RECT touched = touchedRect;
    touchedRect = RECT{0, 0, 0, 0};
    return touched;
}

std::uint64_t pixelDecisionCount() { return pixelDecisions; }
