// quillcast-render: plays a drawing on the emulated desktop, as the player
// would, and writes what the window shows as a PNG, or records the show as
// frames, an animated GIF or a video.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "canvas/canvas.h"
#include "tools/common/cli.h"
#include "tools/common/files.h"
#include "tools/common/headless_player.h"
#include "tools/common/png_writer.h"
#include "tools/common/show_input.h"
#include "tools/render/drawing_palette.h"
#include "tools/render/gif_writer.h"
#include "tools/render/options.h"
#include "tools/render/png_sequence.h"
#include "tools/common/progress_bar.h"
#include "tools/render/timelapse.h"
#include "tools/render/video_pipe.h"

namespace {

constexpr int kExitCorrupted = 1;
constexpr int kExitUsage = tools::kExitUsage;
constexpr int kExitStopped = 3;
constexpr double kVideoFps = 30;

int fail(const std::string& message) { return tools::reportError("quillcast-render", message, kExitUsage); }

void printStats(const tools::ShowOutcome& outcome) {
    std::fprintf(stderr, "canvas %dx%d, show %.3f s of virtual time, %llu pixel decisions\n", outcome.canvasWidth,
                 outcome.canvasHeight, static_cast<double>(outcome.endMs) / 1000.0,
                 static_cast<unsigned long long>(outcome.decisions));
}

// A show cut short by a bound is still written; this says where it stopped.
int reportStop(const tools::ShowOutcome& outcome) {
    if (outcome.stop == tools::ShowStop::None) return 0;
    std::fprintf(stderr, "quillcast-render: stopped after %.3f s of the show: %s\n",
                 static_cast<double>(outcome.endMs) / 1000.0, tools::describeStop(outcome.stop));
    return kExitStopped;
}

bool writePicture(const std::string& path, const tools::Picture& picture, std::string& error) {
    return tools::writeFileAtomically(path, [&](std::FILE* file) { return tools::writePng(file, picture); }, error);
}

int renderStill(const tools::RenderOptions& options, tools::ShowSetup setup, bool showProgress) {
    setup.captureScreen = options.screen;
    if (options.atSeconds >= 0) setup.captureAtMs = static_cast<std::int64_t>(options.atSeconds * 1000.0 + 0.5);
    tools::ProgressBar bar("quillcast-render", showProgress);
    setup.progress = [&bar](double share) { bar.update(share, 0); };
    const tools::ShowOutcome outcome = tools::runShow(setup);
    bar.done();
    if (outcome.corrupted) {
        std::fprintf(stderr, "quillcast-render: %s\n", outcome.message.c_str());
        return kExitCorrupted;
    }
    if (!outcome.captured || outcome.picture.width <= 0) {
        return fail(options.input + ": " +
                    (outcome.message.empty() ? "the show ended before there was a picture" : outcome.message));
    }
    if (options.stats) printStats(outcome);
    tools::Picture picture = outcome.picture;
    if (options.canvasOnly) {
        picture = tools::crop(picture, kFrameBorder, kFrameBorder, outcome.canvasWidth, outcome.canvasHeight);
    }
    std::string error;
    if (!writePicture(options.output, picture, error)) return fail(error);
    return reportStop(outcome);
}

int recordShow(const tools::RenderOptions& options, const tools::ShowSetup& setup, bool showProgress) {
    std::vector<std::unique_ptr<tools::FrameSink>> sinks;
    if (!options.framesDir.empty()) sinks.push_back(std::make_unique<tools::PngSequenceSink>(options.framesDir));
    if (!options.gifPath.empty())
        sinks.push_back(std::make_unique<tools::GifSink>(options.gifPath, tools::drawingPalette(setup.block)));
    if (!options.videoPath.empty()) {
        const double fps = options.timelapse.fps > 0 ? options.timelapse.fps : kVideoFps;
        sinks.push_back(std::make_unique<tools::VideoSink>(options.videoPath, fps));
    }
    std::vector<tools::FrameSink*> targets;
    for (auto& sink : sinks) targets.push_back(sink.get());

    tools::ProgressBar bar("quillcast-render", showProgress);
    tools::TimelapseResult result;
    const bool ok = tools::recordTimelapse(setup, options.timelapse, targets, bar, result);
    bar.done();
    if (result.corrupted) {
        std::fprintf(stderr, "quillcast-render: %s\n", result.message.c_str());
        return kExitCorrupted;
    }
    if (!ok) return fail(options.input + ": " + result.message);
    if (options.stats) printStats(result.outcome);
    std::string error;
    if (!options.output.empty() && !writePicture(options.output, result.finished, error)) return fail(error);
    if (!options.quiet) {
        std::fprintf(stderr, "quillcast-render: %ld frames, %.2f s", result.frames, result.seconds);
        if (result.speed != 1.0) std::fprintf(stderr, " at %.3gx speed", result.speed);
        std::fputs("\n", stderr);
    }
    return reportStop(result.outcome);
}

}  // namespace

int main(int argc, char** argv) {
    tools::RenderOptions options;
    const tools::ParseOutcome parsed = tools::parseRenderArguments(argc, argv, options);
    if (!parsed.run()) return tools::finishCommandLine("quillcast-render", parsed);

    std::string error;
    tools::ShowInput input;
    if (!tools::loadShowInput(options.input, input, error)) return fail(error);

    tools::ShowSetup setup;
    setup.block = input.block;
    if (input.isPlayer()) setup.programPath = options.input;
    setup.screenWidth = options.screenWidth;
    setup.screenHeight = options.screenHeight;
    setup.maxShowMs = static_cast<std::uint64_t>(options.maxSeconds * 1000.0 + 0.5);
    setup.workLimit = options.workLimit;
    setup.timerResolutionNs = static_cast<std::uint64_t>(options.timerResolutionMs * 1e6 + 0.5);

    // Said before anything runs: such a window would show nothing.
    int width = 0;
    int height = 0;
    tools::drawingCanvasSize(setup.block, width, height);
    if (!tools::isCanvasHeld(width, height)) {
        return fail(options.input + ": the canvas is " + std::to_string(width) + "x" + std::to_string(height) +
                    ", too large to render (its framed window would exceed 256 MiB of pixels)");
    }
    const bool showProgress = !options.quiet && ::isatty(STDERR_FILENO);
    return options.recordsShow() ? recordShow(options, setup, showProgress) : renderStill(options, setup, showProgress);
}
