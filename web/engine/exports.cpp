// The entry points of the engine module, as the page's glue calls them
// (web/site/shared/engine-worker.js). One module serves one worker, and one
// drawing at a time: the last one opened. Text results stay valid until the
// next call.
#include <emscripten.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/files/files.h"
#include "web/engine/show.h"

namespace {

web::OpenedShow opened;
bool isOpen = false;
std::string message;
double showSeconds = 0;
std::vector<std::uint8_t> output;

// Each change goes to the worker's Module.onFrame, with its pixels copied
// out of the module's memory.
EM_JS(void, postFrameChange,
      (double seconds, int x, int y, int width, int height, int pictureWidth, int pictureHeight,
       const std::uint8_t* rgba),
      {
          Module.onFrame(seconds, x, y, width, height, pictureWidth, pictureHeight,
                         HEAPU8.slice(rgba, rgba + width * height * 4));
      });

void postChange(const web::FrameChange& c) {
    postFrameChange(c.seconds, c.x, c.y, c.width, c.height, c.pictureWidth, c.pictureHeight, c.rgba);
}

// 0: the show did not run; 1: it ran to its end; 2: a bound stopped it;
// 3: the player's start-up check refused it.
int report(const web::ShowResult& result) {
    message = result.message;
    showSeconds = result.seconds;
    if (result.corrupted) return 3;
    if (!result.played) return 0;
    return result.stopped ? 2 : 1;
}

}  // namespace

extern "C" {

// The largest file the tools accept.
EMSCRIPTEN_KEEPALIVE double qc_input_limit() { return static_cast<double>(tools::kMaxInputBytes); }

// Opens the file at `path` in the module's file system, `size` bytes long
// (the page leaves files over the limit out and passes their size only).
EMSCRIPTEN_KEEPALIVE int qc_open(const char* path, double size) {
    web::OpenedShow show;
    isOpen = web::openShow(path, static_cast<std::uint64_t>(size), show, message);
    if (isOpen) opened = std::move(show);
    return isOpen ? 1 : 0;
}

// The opened drawing's work bound, in millions of units (as --max-work);
// anything but a positive number leaves the renderer's bound.
EMSCRIPTEN_KEEPALIVE void qc_set_work_limit(double millions) {
    if (millions > 0) opened.workLimit = static_cast<std::uint64_t>(millions * 1e6) + 1;
}

EMSCRIPTEN_KEEPALIVE const char* qc_message() { return message.c_str(); }
EMSCRIPTEN_KEEPALIVE double qc_seconds() { return showSeconds; }
EMSCRIPTEN_KEEPALIVE int qc_canvas_width() { return opened.canvasWidth; }
EMSCRIPTEN_KEEPALIVE int qc_canvas_height() { return opened.canvasHeight; }
EMSCRIPTEN_KEEPALIVE int qc_is_player() { return opened.isPlayer ? 1 : 0; }

// Plays the opened drawing to its end; one change carries the finished window.
EMSCRIPTEN_KEEPALIVE int qc_finish() {
    if (!isOpen) return 0;
    return report(web::finishShow(opened, postChange));
}

// Records the opened drawing's whole show, fps changes a second at most.
EMSCRIPTEN_KEEPALIVE int qc_record(double fps, int withSplashes, double holdSeconds) {
    if (!isOpen) return 0;
    return report(web::recordShow(opened, fps, withSplashes != 0, holdSeconds, postChange));
}

// Writes the opened drawing into a copy of the player in `bytes`; the new
// player is then at qc_output(), qc_output_size() bytes.
EMSCRIPTEN_KEEPALIVE int qc_write_player(const std::uint8_t* bytes, double size) {
    if (!isOpen) return 0;
    const std::vector<std::uint8_t> player(bytes, bytes + static_cast<std::size_t>(size));
    return web::writePlayer(opened, player, output, message) ? 1 : 0;
}

// The opened drawing's block, for saving it as a drawing file.
EMSCRIPTEN_KEEPALIVE int qc_take_drawing() {
    if (!isOpen) return 0;
    output = opened.block;
    return 1;
}

EMSCRIPTEN_KEEPALIVE const std::uint8_t* qc_output() { return output.data(); }
EMSCRIPTEN_KEEPALIVE double qc_output_size() { return static_cast<double>(output.size()); }

}  // extern "C"
