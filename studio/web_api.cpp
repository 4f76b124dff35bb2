// The studio module's entry points for the page: plain C functions over one
// Recorder, called through the module's cwrap. Numbers and pointers into the
// module's memory only; the page copies bytes in with the module's malloc and
// reads results where these functions leave them. The engine's canvas is
// read in place (qs_pixels, qs_stride: 0x00BBGGRR words).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "drawing/palette_image.h"
#include "engine/session/session.h"
#include "studio/drawing_files.h"
#include "studio/recorder.h"

#ifdef __EMSCRIPTEN__
#include <emscripten/emscripten.h>
#define QS_EXPORT extern "C" EMSCRIPTEN_KEEPALIVE
#else
#define QS_EXPORT extern "C"
#endif

namespace {

studio::Recorder recorder;
std::string lastError;
std::string lastText;
std::vector<std::uint8_t> lastBytes;

std::vector<std::uint8_t> bytesAt(const std::uint8_t* p, int size) {
    return size > 0 && p ? std::vector<std::uint8_t>(p, p + size) : std::vector<std::uint8_t>{};
}

int result(bool ok, const std::string& error) {
    lastError = ok ? std::string() : error;
    return ok ? 1 : 0;
}

}  // namespace

QS_EXPORT const char* qs_error() { return lastError.c_str(); }

// The standard palette, the one a player without a drawing makes, as 256
// words 0x00BBGGRR into out.
QS_EXPORT void qs_standard_palette(std::uint32_t* out) {
    std::uint8_t image[format::kPaletteImageSize];
    fillPlaceholderPalette(image);
    const std::vector<std::uint32_t> colours = format::paletteColours(image);
    for (std::size_t i = 0; i < colours.size() && i < 256; ++i) out[i] = colours[i];
}

// palette: 256 words 0x00BBGGRR.
QS_EXPORT int qs_open_new(int width, int height, const std::uint32_t* palette, int pressure) {
    std::string error;
    const std::vector<std::uint32_t> colours(palette, palette + 256);
    return result(recorder.openNew(width, height, colours, pressure != 0, error), error);
}

// Whether a file holds a drawing, read as qs_open_file reads it but without
// opening it (so that the page can ask before the open drawing goes).
QS_EXPORT int qs_check_file(const std::uint8_t* bytes, int size, const char* name) {
    std::vector<std::uint8_t> block;
    std::string error;
    return result(studio::readDrawingFile(bytesAt(bytes, size), name, block, error), error);
}

// A drawing file, a script or a player; name is what a message calls it.
// Nothing changes when it cannot be opened.
QS_EXPORT int qs_open_file(const std::uint8_t* bytes, int size, const char* name) {
    std::vector<std::uint8_t> block;
    std::string error;
    if (!studio::readDrawingFile(bytesAt(bytes, size), name, block, error)) return result(false, error);
    // Opening ends the current session even when it fails (a canvas too large
    // to hold): then the drawing that was open is opened again.
    const bool wasOpen = session::isOpen();
    const std::vector<std::uint8_t> previous = wasOpen ? recorder.block() : std::vector<std::uint8_t>{};
    if (recorder.open(block, error)) return result(true, error);
    std::string again;
    if (wasOpen) recorder.open(previous, again);
    return result(false, std::string(name) + ": " + error);
}

// The open drawing's palette, 256 words 0x00BBGGRR into out.
QS_EXPORT void qs_palette(std::uint32_t* out) {
    const std::vector<std::uint32_t> colours = session::palette();
    for (std::size_t i = 0; i < colours.size() && i < 256; ++i) out[i] = colours[i];
}

QS_EXPORT int qs_width() { return recorder.width(); }
QS_EXPORT int qs_height() { return recorder.height(); }
QS_EXPORT const std::uint32_t* qs_pixels() { return session::pixels(); }
QS_EXPORT int qs_stride() { return session::stride(); }
QS_EXPORT int qs_pressure() { return recorder.carriesPressure() ? 1 : 0; }
// 1 while a new, empty drawing's first stroke may still take pressure on.
QS_EXPORT int qs_pressure_pending() { return recorder.takesPressureOnFirstStroke() ? 1 : 0; }

QS_EXPORT void qs_set_pen(std::uint32_t colour, std::uint32_t second, std::uint32_t third, int mode, int level,
                          int density) {
    studio::PenChoice pen;
    pen.colour = colour;
    pen.second = second;
    pen.third = third;
    pen.mode = mode;
    pen.level = level;
    pen.density = density;
    recorder.setPen(pen);
}

QS_EXPORT void qs_set_options(double smoothing, double tolerance) {
    studio::RecordingOptions options;
    options.smoothing = smoothing;
    options.tolerance = tolerance;
    recorder.setOptions(options);
}

QS_EXPORT void qs_begin(double x, double y, int pressure, int pressurePen) {
    recorder.beginStroke(x, y, pressure, pressurePen != 0);
}
QS_EXPORT void qs_to(double x, double y, int pressure) { recorder.strokeTo(x, y, pressure); }
// 0 kept, 1 nothing to end, 2 refused: it did not fit.
QS_EXPORT int qs_end() { return static_cast<int>(recorder.endStroke()); }
QS_EXPORT void qs_cancel() { recorder.cancelStroke(); }
QS_EXPORT int qs_stroking() { return recorder.isStroking() ? 1 : 0; }
QS_EXPORT int qs_fill() { return recorder.fill() ? 1 : 0; }
QS_EXPORT int qs_undo() { return recorder.undo() ? 1 : 0; }
QS_EXPORT int qs_redo() { return recorder.redo() ? 1 : 0; }
QS_EXPORT int qs_can_undo() { return recorder.canUndo() ? 1 : 0; }
QS_EXPORT int qs_can_redo() { return recorder.canRedo() ? 1 : 0; }

QS_EXPORT int qs_bytes_used() { return static_cast<int>(recorder.bytesUsed()); }
QS_EXPORT int qs_bytes_free() { return static_cast<int>(recorder.bytesFree()); }
QS_EXPORT int qs_strokes_left() { return static_cast<int>(recorder.strokesLeft()); }
QS_EXPORT int qs_stroke_bytes() { return static_cast<int>(recorder.strokeBytes()); }
QS_EXPORT int qs_stroke_fits() { return recorder.strokeFits() ? 1 : 0; }
QS_EXPORT std::uint32_t qs_colour_at(int x, int y) { return recorder.colourAt(x, y); }

// The undo history, to keep beside the drawing: where it starts in the
// block, its actions (qs_action leaves one's records as a result), how many
// are done; and a kept action played again as the newest one.
QS_EXPORT int qs_history_start() { return static_cast<int>(recorder.historyStart()); }
QS_EXPORT int qs_action_count() { return static_cast<int>(recorder.history().actions().size()); }
QS_EXPORT int qs_done_count() { return static_cast<int>(recorder.history().actionCount()); }
QS_EXPORT const std::uint8_t* qs_action(int i) {
    const auto& actions = recorder.history().actions();
    lastBytes = i >= 0 && static_cast<std::size_t>(i) < actions.size() ? actions[static_cast<std::size_t>(i)]
                                                                        : std::vector<std::uint8_t>{};
    return lastBytes.data();
}
QS_EXPORT int qs_replay_action(const std::uint8_t* bytes, int size) {
    return recorder.replayAction(bytesAt(bytes, size)) ? 1 : 0;
}

// The results below stay where they are until the next such call.
QS_EXPORT int qs_result_size() { return static_cast<int>(lastBytes.size()); }

QS_EXPORT const std::uint8_t* qs_block() {
    lastBytes = recorder.block();
    return lastBytes.data();
}

QS_EXPORT const char* qs_script(const char* source) {
    lastText = studio::drawingScript(recorder.block(), source);
    return lastText.c_str();
}

// The player with the drawing written in and sealed; null, with qs_error.
QS_EXPORT const std::uint8_t* qs_player(const std::uint8_t* player, int size) {
    std::string error;
    std::vector<std::uint8_t> out;
    if (!studio::playerWithDrawing(bytesAt(player, size), recorder.block(), out, error)) {
        result(false, error);
        return nullptr;
    }
    lastBytes = std::move(out);
    return lastBytes.data();
}
