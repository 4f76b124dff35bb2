// The engine's side of the bridge: what "quillcast-board __engine VERB" does
// in its child process. It reads its input from standard input, plays the
// drawing on the emulated desktop and sends its answer as fields
// (board/engine_bridge/answer.h) on standard output.
//
//   check NAME WORK   the posted file NAME: drawing, picture, thumbnail, width,
//                     height, show_seconds; or error
//   gif WORK, mp4 WORK  the time-lapse: progress fields, then file; or error
//   script            the drawing's text form: text; or error
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "board/engine_bridge/answer.h"
#include "board/engine_bridge/bridge.h"
#include "board/engine_bridge/thumbnail.h"
#include "format/format.h"
#include "platform/emu/clock_model.h"
#include "shell/seal.h"
#include "engine/files/files.h"
#include "engine/player/headless_player.h"
#include "tools/common/png_writer.h"
#include "engine/embed/embed.h"
#include "tools/render/drawing_palette.h"
#include "tools/render/gif_writer.h"
#include "engine/timelapse/timelapse.h"
#include "tools/render/video_pipe.h"
#include "engine/script/drawing_summary.h"
#include "engine/loader/load_drawing.h"
#include "engine/script/script_writer.h"

namespace board::engine {

namespace {

constexpr int kOut = STDOUT_FILENO;
constexpr std::size_t kMaxInputBytes = std::size_t{64} << 20;
constexpr int kThumbnailWidth = 320;
constexpr int kThumbnailHeight = 240;
constexpr char kTooLong[] = "this drawing takes too long to play";

// The time-lapse: about ten seconds, the finished picture first.
constexpr double kTimelapseSeconds = 10;
constexpr double kTimelapseHold = 2;
constexpr double kGifFps = 20;
constexpr double kVideoFps = 30;
// The H.264 preset: about three times faster than ffmpeg's default, for a
// file a little larger, so a new post's video is ready within seconds.
constexpr char kVideoPreset[] = "veryfast";

int refuse(const std::string& message) {
    sendText(kOut, "error", message);
    return 1;
}

bool readInput(Bytes& bytes) {
    std::uint8_t chunk[65536];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        bytes.insert(bytes.end(), chunk, chunk + n);
        if (bytes.size() > kMaxInputBytes) return false;
    }
}

std::uint64_t workLimitFrom(const char* text) {
    const unsigned long long units = text ? std::strtoull(text, nullptr, 10) : 0;
    return units > 0 ? units : tools::kDefaultWorkLimit;
}

bool pngBytes(const tools::Picture& picture, Bytes& out) {
    char* data = nullptr;
    std::size_t size = 0;
    std::FILE* stream = ::open_memstream(&data, &size);
    if (!stream) return false;
    const bool ok = tools::writePng(stream, picture);
    std::fclose(stream);
    if (ok) out.assign(data, data + size);
    std::free(data);
    return ok;
}

tools::Picture thumbnailOf(const tools::Picture& picture) {
    const Pixels fitted = fitInto(Pixels{picture.width, picture.height, picture.pixels}, kThumbnailWidth, kThumbnailHeight);
    return tools::Picture{fitted.width, fitted.height, fitted.pixels};
}

// The posted file as a drawing block, or a message naming what is wrong.
bool takeUpload(const Bytes& upload, const std::string& name, Bytes& block, std::string& error) {
    script::DrawingSource source;
    if (!script::loadDrawingBytes(upload, name, block, source, error)) return false;
    if (source == script::DrawingSource::Player) {
        if (!isSealIntact(upload.data(), upload.size())) {
            error = name + ": a corrupted player (it fails its integrity check: it was changed after it was made)";
            return false;
        }
        // Stored as a drawing file is: the seal bytes zero, so that writing it
        // into a player again gives the same player.
        if (!embed::extractDrawing(upload, block, error)) {
            error = name + ": " + error;
            return false;
        }
    }
    if (block.size() != format::kDrawingBlockSize || block[0] == format::kPlaceholderByte) {
        error = name + ": an empty drawing (it carries no drawing, only the placeholder)";
        return false;
    }
    const script::DrawingSummary summary = script::summarize(format::parseBlock(block.data()));
    if (summary.records == 0) {
        error = name + ": an empty drawing (it has no strokes)";
        return false;
    }
    return true;
}

int check(const std::string& name, std::uint64_t workLimit) {
    Bytes upload;
    if (!readInput(upload)) return refuse(name + ": the file could not be read");
    Bytes block;
    std::string error;
    if (!takeUpload(upload, name, block, error)) return refuse(error);

    int canvasWidth = 0;
    int canvasHeight = 0;
    tools::drawingCanvasSize(block, canvasWidth, canvasHeight);
    if (!tools::isCanvasHeld(canvasWidth, canvasHeight)) {
        return refuse(name + ": the canvas is " + std::to_string(canvasWidth) + "x" + std::to_string(canvasHeight) +
                      ", too large to play");
    }

    tools::ShowSetup setup;
    setup.block = block;
    setup.workLimit = workLimit;
    // The first tick ends the start-up with the empty framed canvas; the show
    // proper runs from there to the last stroke.
    std::uint64_t firstTickNs = 0;
    std::uint64_t lastTickNs = 0;
    bool ticked = false;
    tools::Picture empty;
    setup.afterTick = [&] {
        lastTickNs = emu::nowNs();
        if (ticked) return;
        ticked = true;
        firstTickNs = lastTickNs;
        empty = tools::windowPicture();
    };
    const tools::ShowOutcome outcome = tools::runShow(setup);
    if (outcome.stop != tools::ShowStop::None) return refuse(kTooLong);
    if (outcome.corrupted) return refuse(name + ": the player refuses it: " + outcome.message);
    if (!outcome.captured || outcome.picture.width <= 0) {
        return refuse(name + ": " + (outcome.message.empty() ? "the show ended before there was a picture" : outcome.message));
    }
    if (ticked && empty.width == outcome.picture.width && empty.height == outcome.picture.height &&
        empty.pixels == outcome.picture.pixels) {
        return refuse(name + ": an empty drawing (its strokes leave the canvas as it was)");
    }

    Bytes picture;
    Bytes thumbnail;
    if (!pngBytes(outcome.picture, picture) || !pngBytes(thumbnailOf(outcome.picture), thumbnail))
        return refuse("the picture could not be written");
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", static_cast<double>(lastTickNs - firstTickNs) / 1e9);
    const bool sent = sendField(kOut, "drawing", block.data(), block.size()) &&
                      sendField(kOut, "picture", picture.data(), picture.size()) &&
                      sendField(kOut, "thumbnail", thumbnail.data(), thumbnail.size()) &&
                      sendText(kOut, "width", std::to_string(outcome.picture.width)) &&
                      sendText(kOut, "height", std::to_string(outcome.picture.height)) &&
                      sendText(kOut, "show_seconds", seconds);
    return sent ? 0 : 1;
}

// Passes frames on and tells the parent how far the recording has come.
class ProgressSink : public tools::FrameSink {
public:
    ProgressSink(tools::FrameSink& inner, double seconds) : inner_(inner), seconds_(seconds) {}
    bool open() override { return forward(inner_.open()); }
    bool add(const tools::Picture& frame, double at) override { return tell(at) && forward(inner_.add(frame, at)); }
    bool addChanged(const tools::Picture& frame, double at, const tools::PictureRect& changed) override {
        return tell(at) && forward(inner_.addChanged(frame, at, changed));
    }
    bool finish(double at) override { return forward(inner_.finish(at)); }

private:
    bool forward(bool ok) {
        if (!ok) error_ = inner_.error();
        return ok;
    }
    bool tell(double at) {
        const int percent = static_cast<int>(100.0 * at / seconds_);
        if (percent > told_) {
            told_ = percent;
            char text[16];
            std::snprintf(text, sizeof text, "%.2f", std::min(percent, 100) / 100.0);
            sendText(kOut, "progress", text);
        }
        return true;
    }

    tools::FrameSink& inner_;
    double seconds_;
    int told_ = -1;
};

int timelapse(bool video, std::uint64_t workLimit) {
    Bytes block;
    if (!readInput(block) || block.size() != format::kDrawingBlockSize) return refuse("a drawing is exactly 451000 bytes");

    // The sinks write files; a private folder holds them, gone with the child.
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/quillcast-engine-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data())) return refuse("no room for the time-lapse's file");
    const std::filesystem::path dir(name.data());
    const std::string path = (dir / (video ? "timelapse.mp4" : "timelapse.gif")).string();
    struct Cleanup {
        std::filesystem::path dir;
        ~Cleanup() {
            std::error_code ignored;
            std::filesystem::remove_all(dir, ignored);
        }
    } cleanup{dir};

    tools::ShowSetup setup;
    setup.block = block;
    setup.workLimit = workLimit;
    tools::TimelapseSettings settings;
    settings.durationSeconds = kTimelapseSeconds;
    settings.holdSeconds = kTimelapseHold;
    settings.finalFirst = true;
    settings.fps = video ? kVideoFps : kGifFps;

    std::unique_ptr<tools::FrameSink> sink;
    if (video) {
        sink = std::make_unique<tools::VideoSink>(path, kVideoFps, kVideoPreset);
    } else {
        sink = std::make_unique<tools::GifSink>(path, tools::drawingPalette(block));
    }
    ProgressSink reporting(*sink, kTimelapseSeconds);
    tools::TimelapseResult result;
    if (!tools::recordTimelapse(setup, settings, {&reporting}, {}, result)) {
        if (result.outcome.stop != tools::ShowStop::None) return refuse(kTooLong);
        return refuse(result.message.empty() ? "the time-lapse could not be made" : result.message);
    }
    if (result.outcome.stop != tools::ShowStop::None) return refuse(kTooLong);
    Bytes file;
    std::string error;
    if (!tools::readFile(path, file, error)) return refuse(error);
    sendText(kOut, "progress", "1");
    return sendField(kOut, "file", file.data(), file.size()) ? 0 : 1;
}

int script() {
    Bytes block;
    if (!readInput(block) || block.size() != format::kDrawingBlockSize) return refuse("a drawing is exactly 451000 bytes");
    return sendText(kOut, "text", script::writeScript(format::parseBlock(block.data()))) ? 0 : 1;
}

}  // namespace

int runChild(int argc, char** argv) {
    // argv: program, "__engine", verb, arguments.
    const std::string verb = argc > 2 ? argv[2] : "";
    const char* first = argc > 3 ? argv[3] : nullptr;
    const char* second = argc > 4 ? argv[4] : nullptr;
    if (verb == "check" && first) return check(first, workLimitFrom(second));
    if (verb == "gif") return timelapse(false, workLimitFrom(first));
    if (verb == "mp4") return timelapse(true, workLimitFrom(first));
    if (verb == "script") return script();
    std::fprintf(stderr, "quillcast-board: __engine: unknown work '%s'\n", verb.c_str());
    return 2;
}

}  // namespace board::engine
