#include "engine/session/session.h"

#include <algorithm>

#include "canvas/pen_state.h"
#include "drawing/block.h"
#include "format/format.h"
#include "platform/emu/clock_model.h"
#include "resources/compiled_resources.h"
#include "engine/session/session_state.h"
#include "shell/host.h"
#include "shell/player_window.h"
#include "shell/state.h"
#include "shell/timing.h"

namespace session {

State state;

namespace {

std::uint16_t clampWord(int v) {
    return static_cast<std::uint16_t>(static_cast<std::int16_t>(std::clamp(v, -32768, 32767)));
}

}  // namespace

emu::SurfaceView windowSurface() {
    HDC dc = GetDC(state.window);
    const emu::SurfaceView view = emu::surfaceOf(dc);
    ReleaseDC(state.window, dc);
    return view;
}

emu::SurfaceView backingSurface() { return emu::surfaceOf(canvasDc); }

void close() {
    if (state.window) DestroyWindow(state.window);
    state.window = nullptr;
    state.stroke = LiveStroke{};
    state.recordsEnd = 0;
    resetPlayer();
    emu::resetDesktop();
}

bool isOpen() { return state.window != nullptr; }

bool open(const std::vector<std::uint8_t>& block, std::string& error) {
    close();
    if (block.size() != format::kDrawingBlockSize) {
        error = "a drawing is exactly 451000 bytes, this is " + std::to_string(block.size());
        return false;
    }
    loadDrawingBlock(block.data());
    HINSTANCE module = emu::createModule(compiledResources(), compiledResourcesSize(), nullptr);
    if (!createPlayerWindow(module, SW_SHOWNORMAL)) {
        error = "the player window could not be made";
        close();
        return false;
    }
    HWND window = emu::findWindowByClass(kPlayerClassName);
    startHostedShow(window);
    state.window = window;
    if (!windowSurface().pixels || !backingSurface().pixels) {
        error = "the canvas is " + std::to_string(drawingWidth()) + "x" + std::to_string(drawingHeight()) +
                ", too large to hold";
        close();
        return false;
    }
    state.recordsEnd = isDrawingPresent() ? format::recordsEnd(drawingBytes(), readerPosition()) : readerPosition();
    state.serial = 0;
    ++state.opened;
    takeTouchedArea();
    return true;
}

bool openNew(int width, int height, const std::vector<std::uint32_t>& palette, bool pressure, std::string& error) {
    if (width < 1 || height < 1 || width > 65535 || height > 65535) {
        error = "a canvas is 1 to 65535 pixels each way";
        return false;
    }
    // Without pressure the marker is 0: no extra words.
    const std::uint16_t marker = pressure ? format::kMarkerPressure : 0;
    return open(format::BlockWriter(static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height), marker,
                                    palette)
                    .block(),
                error);
}

int width() { return isOpen() ? drawingWidth() : 0; }
int height() { return isOpen() ? drawingHeight() : 0; }
bool carriesPressure() { return drawingCarriesPressure(); }

PenSettings pen() {
    const PenState& penState = currentPen();
    PenSettings p;
    p.colour = penState.penColour;
    p.secondColour = penState.secondColour;
    p.thirdColour = penState.thirdColour;
    p.mode = penState.penMode;
    p.level = penState.brushLevel;
    p.minLevel = penState.minBrushLevel;
    p.density = penState.density;
    return p;
}

std::vector<std::uint32_t> palette() {
    if (!paletteBuffer) return {};
    return format::paletteColours(paletteBuffer);
}

std::vector<std::uint8_t> block() { return std::vector<std::uint8_t>(drawingBytes(), drawingBytes() + format::kDrawingBlockSize); }
std::uint32_t cursor() { return readerPosition(); }
std::uint32_t recordsEnd() { return state.recordsEnd; }
std::uint64_t clockNs() { return emu::nowNs(); }

std::uint64_t strokeTickNs() { return std::uint64_t{kTickInterval} * 1'000'000 + emu::kCallPrices.tick; }

std::uint32_t room() { return isOpen() ? format::kDrawingBlockSize - state.recordsEnd : 0; }

int play(std::uint32_t end, int maxStrokes) {
    if (!isOpen() || state.stroke.active || !isDrawingPresent()) return 0;
    end = std::min(end, state.recordsEnd);
    int strokes = 0;
    std::int16_t opcode = 0;
    while (readerPosition() < end && (maxStrokes < 0 || strokes < maxStrokes) && playNextRecord(state.window, opcode)) {
        if (opcode == format::StrokeRecord) ++strokes;
    }
    return strokes;
}

bool append(const std::uint8_t* bytes, std::size_t size) {
    if (!isOpen() || state.stroke.active || readerPosition() != state.recordsEnd || !isDrawingPresent()) return false;
    if (size > room() || !writeDrawingBytes(state.recordsEnd, bytes, size)) return false;
    state.recordsEnd += static_cast<std::uint32_t>(size);
    play(state.recordsEnd);
    return true;
}

void beginStroke(int x, int y) {
    if (!isOpen()) return;
    state.stroke = LiveStroke{};
    state.stroke.active = true;
    const std::uint16_t xWord = clampWord(x);
    const std::uint16_t yWord = clampWord(y);
    state.stroke.points.push_back(format::PointWords{xWord, yWord});
    state.stroke.previous = startStroke(static_cast<std::int16_t>(xWord), static_cast<std::int16_t>(yWord));
}

void strokeTo(int x, int y, int pressure) {
    if (!state.stroke.active) return;
    std::uint16_t xWord = clampWord(x);
    if (drawingCarriesPressure()) xWord = format::pressurePointWord(x, pressure);
    const std::uint16_t yWord = clampWord(y);
    state.stroke.points.push_back(format::PointWords{xWord, yWord});
    playStrokePoint(state.window, xWord, yWord, state.stroke.previous);
}

bool isStroking() { return state.stroke.active; }

std::uint32_t strokeBytes() {
    if (!state.stroke.active) return 0;
    return static_cast<std::uint32_t>(format::strokeRecordSize(static_cast<std::int32_t>(state.stroke.points.size())));
}

bool endStroke() {
    if (!state.stroke.active) return false;
    const std::vector<std::uint8_t> record =
        format::RecordWriter()
            .strokeWords(static_cast<std::int32_t>(state.stroke.points.size()), state.stroke.points)
            .take();
    state.stroke = LiveStroke{};
    if (readerPosition() != state.recordsEnd || record.size() > room()) return false;
    if (!writeDrawingBytes(state.recordsEnd, record.data(), record.size())) return false;
    state.recordsEnd += static_cast<std::uint32_t>(record.size());
    // Drawn already, point by point: the reader only steps over it.
    skipReaderTo(state.recordsEnd);
    return true;
}

const std::uint32_t* pixels() {
    const emu::SurfaceView view = windowSurface();
    if (!view.pixels) return nullptr;
    return view.pixels + static_cast<std::size_t>(canvasTop) * static_cast<std::size_t>(view.width) +
           static_cast<std::size_t>(canvasLeft);
}

int stride() { return windowSurface().width; }

namespace {

template <int N>
void readPixels(int x, int y, int w, int h, std::uint8_t* out) {
    const std::uint32_t* from = pixels();
    if (!from || w <= 0 || h <= 0) return;
    const int s = stride();
    const int left = std::max(x, 0);
    const int right = std::min(x + w, width());
    for (int row = 0; row < h; ++row) {
        const int cy = y + row;
        if (cy < 0 || cy >= height()) continue;
        const std::uint32_t* line = from + static_cast<std::size_t>(cy) * static_cast<std::size_t>(s);
        std::uint8_t* to = out + (static_cast<std::size_t>(row) * static_cast<std::size_t>(w) + (left - x)) * N;
        for (int cx = left; cx < right; ++cx, to += N) {
            const std::uint32_t c = line[cx];
            to[0] = static_cast<std::uint8_t>(c);
            to[1] = static_cast<std::uint8_t>(c >> 8);
            to[2] = static_cast<std::uint8_t>(c >> 16);
            if (N == 4) to[N - 1] = 0xFF;
        }
    }
}

}  // namespace

void readRgb(int x, int y, int w, int h, std::uint8_t* out) { readPixels<3>(x, y, w, h, out); }
void readRgba(int x, int y, int w, int h, std::uint8_t* out) { readPixels<4>(x, y, w, h, out); }

}  // namespace session
