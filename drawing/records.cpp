#include "drawing/records.h"

#include "canvas/canvas.h"
#include "canvas/pen_modes.h"
#include "drawing/prologue.h"
#include "drawing/reader.h"
#include "shell/state.h"

namespace {

// A payload field. A read that fails at the end of the block copies nothing;
// its record is then dropped, and the cursor stays where the read left it.
bool readValue(std::uint32_t& value) { return readDrawing(&value, format::kValueSize, 1); }

// A window context with the playback palette selected and realised, as every
// drawing call on the window needs; released when it goes out of scope.
class PlaybackDc {
public:
    explicit PlaybackDc(HWND window) : window_(window), dc_(GetDC(window)) {
        SelectPalette(dc_, playbackPalette, FALSE);
        RealizePalette(dc_);
    }
    ~PlaybackDc() { ReleaseDC(window_, dc_); }
    PlaybackDc(const PlaybackDc&) = delete;
    PlaybackDc& operator=(const PlaybackDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

void playColour() {
    std::uint32_t value = 0;
    if (!readValue(value)) return;
    const std::uint32_t selector = format::colourSelector(value);
    const std::uint32_t colour = (value & format::kColourMask) | format::kPaletteFlag;
    if (!canvas) return;
    if (selector == 0) canvas->setPenColour(colour);
    if (selector == 1) canvas->setSecondColour(colour);
    if (selector == 2) canvas->setThirdColour(colour);
}

void playFill(HWND window) {
    std::uint32_t unused = 0;
    if (!readValue(unused) || !canvas) return;
    PlaybackDc dc(window);
    canvas->fill(dc.get());
}

// Lets at most one waiting message run, so that the window stays responsive
// during a long stroke.
void pumpOneMessage() {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) return;
    if (GetMessageA(&msg, nullptr, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void playStroke(HWND window) {
    std::int32_t count = 0;
    std::int16_t first[2] = {0, 0};
    if (!readDrawing(&count, format::kStrokeCountSize, 1) || !readDrawing(first, format::kWordSize, 2)) return;
    StrokePosition previous = startStroke(first[0], first[1]);

    // Formed in 64 bits: a count of INT32_MIN has no 32-bit predecessor.
    const std::int64_t segments = std::int64_t{count} - 1;
    for (std::int64_t i = 0; i < segments && !stopFlag; ++i) {
        std::uint16_t point[2] = {0, 0};
        if (!readDrawing(point, format::kWordSize, 2)) return;
        playStrokePoint(window, point[0], point[1], previous);
    }
}

}  // namespace

StrokePosition startStroke(std::int16_t x, std::int16_t y) {
    if (canvas) canvas->beginStroke();
    return StrokePosition{x, y};
}

void playStrokePoint(HWND window, std::uint16_t xWord, std::uint16_t yWord, StrokePosition& previous) {
    std::int32_t x = static_cast<std::int16_t>(xWord);
    const std::int32_t y = static_cast<std::int16_t>(yWord);
    if (pressureEncoding) {
        if (canvas) canvas->setPressure(static_cast<std::int16_t>(format::pointPressure(xWord)));
        x = format::pointX(xWord);
    }
    // Canvas coordinates to the window's: the canvas lies inside the frame.
    if (canvas) {
        PlaybackDc dc(window);
        canvas->drawSegment(dc.get(), previous.x + kFrameBorder, previous.y + kFrameBorder, x + kFrameBorder,
                            y + kFrameBorder);
    }
    previous = StrokePosition{x, y};
    pumpOneMessage();
}

void playRecord(HWND window, std::int16_t opcode) {
    if (stopFlag) return;
    std::uint32_t value = 0;
    switch (opcode) {
        case format::ColourRecord:
            playColour();
            break;
        case format::PenModeRecord:
            if (readValue(value) && canvas) canvas->setPenMode(value);
            break;
        case format::StrokeRecord:
            playStroke(window);
            break;
        case format::BrushSizeRecord:
            if (readValue(value) && canvas) canvas->setBrushSize(value);
            break;
        case format::FillRecord:
            playFill(window);
            break;
        case format::DensityRecord:
            if (readValue(value) && canvas) canvas->setDensity(static_cast<std::int16_t>(value & 0xFFFF));
            break;
        default:
            break;
    }
}
