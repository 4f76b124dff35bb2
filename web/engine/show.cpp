#include "web/engine/show.h"

#include <algorithm>
#include <cstdio>

#include "canvas/canvas.h"
#include "shell/seal.h"
#include "engine/files/files.h"
#include "engine/player/headless_player.h"
#include "engine/embed/embed.h"
#include "engine/player/show_clock.h"
#include "engine/timelapse/timelapse.h"
#include "engine/loader/load_drawing.h"
#include "web/engine/change_sink.h"

namespace web {

namespace {

// The smallest screen that holds either splash with a margin: with splashes
// the page shows such a screen round the player window.
constexpr int kSplashScreenWidth = 400;
constexpr int kSplashScreenHeight = 200;

tools::ShowSetup setupFor(const OpenedShow& show) {
    tools::ShowSetup setup;
    setup.block = show.block;
    setup.programPath = show.programPath;
    setup.workLimit = show.workLimit;
    return setup;
}

std::string describeStop(const tools::ShowOutcome& outcome, double seconds) {
    char text[160];
    std::snprintf(text, sizeof text, "stopped after %.3f s of the show: %s", seconds, tools::describeStop(outcome.stop));
    return text;
}

// What the outcome of a run says to the page, as quillcast-render says it.
void describe(const tools::ShowOutcome& outcome, ShowResult& result) {
    if (outcome.corrupted) {
        result.corrupted = true;
        result.message = outcome.message;
        return;
    }
    result.played = true;
    if (outcome.stop != tools::ShowStop::None) {
        result.stopped = true;
        result.message = describeStop(outcome, static_cast<double>(outcome.endMs) / 1000.0);
    }
}

bool isProgramFileIntact(const std::string& path) {
    std::vector<std::uint8_t> file;
    std::string error;
    return tools::readFile(path, file, error) && isSealIntact(file.data(), file.size());
}

}  // namespace

bool openShow(const std::string& path, std::uint64_t size, OpenedShow& show, std::string& error) {
    if (size > tools::kMaxInputBytes) {
        error = path + ": larger than 256 MiB, which no drawing, script or player is";
        return false;
    }
    script::DrawingSource source = script::DrawingSource::DrawingFile;
    if (!script::loadDrawing(path, show.block, source, error)) return false;
    show.isPlayer = source == script::DrawingSource::Player;
    show.workLimit = tools::kDefaultWorkLimit;
    show.programPath = show.isPlayer ? path : std::string();
    tools::drawingCanvasSize(show.block, show.canvasWidth, show.canvasHeight);
    if (!tools::isCanvasHeld(show.canvasWidth, show.canvasHeight)) {
        error = path + ": the canvas is " + std::to_string(show.canvasWidth) + "x" +
                std::to_string(show.canvasHeight) +
                ", too large to render (its framed window would exceed 256 MiB of pixels)";
        return false;
    }
    return true;
}

ShowResult finishShow(const OpenedShow& show, const FrameOut& out) {
    // The show's length runs from the empty framed canvas, after the first
    // tick, to the end of the last tick, as a recording measures it.
    std::int64_t originUs = -1;
    std::int64_t lastTickUs = 0;
    tools::ShowSetup setup = setupFor(show);
    setup.afterTick = [&] {
        lastTickUs = tools::showClockMicroseconds();
        if (originUs < 0) originUs = lastTickUs;
    };
    const tools::ShowOutcome outcome = tools::runShow(setup);
    ShowResult result;
    describe(outcome, result);
    if (!result.played) return result;
    if (!outcome.captured || outcome.picture.width <= 0) {
        result.played = false;
        result.message = outcome.message.empty() ? "the show ended before there was a picture" : outcome.message;
        return result;
    }
    if (originUs < 0) originUs = lastTickUs;
    // Cut short inside a tick: the show ran to where it stopped.
    if (result.stopped) lastTickUs = tools::showClockMicroseconds();
    result.seconds = static_cast<double>(lastTickUs - originUs) / 1e6;
    std::vector<std::uint8_t> rgba;
    ChangeSink::send(outcome.picture, tools::wholeOf(outcome.picture), result.seconds, rgba, out);
    return result;
}

ShowResult recordShow(const OpenedShow& show, double fps, bool withSplashes, double holdSeconds, const FrameOut& out,
                      std::size_t budgetBytes) {
    // A recording hands on the empty window before the player's check has
    // spoken; a player that fails it is played the plain way, which shows
    // nothing and gives the check's own message.
    if (show.isPlayer && !isProgramFileIntact(show.programPath)) return finishShow(show, out);
    tools::ShowSetup setup = setupFor(show);
    tools::TimelapseSettings settings;
    settings.fps = fps;
    settings.holdSeconds = holdSeconds;
    settings.includeSplash = withSplashes;
    settings.endOnFrame = false;
    if (withSplashes) {
        setup.screenWidth = std::max(show.canvasWidth + 2 * kFrameBorder, kSplashScreenWidth);
        setup.screenHeight = std::max(show.canvasHeight + 2 * kFrameBorder, kSplashScreenHeight);
    }
    ChangeSink sink(out, budgetBytes);
    tools::TimelapseResult recorded;
    const bool ok = tools::recordTimelapse(setup, settings, {&sink}, nullptr, recorded);
    // Frames come on a grid of the show's clock, and the end of the last
    // stroke may fall between two of them, after the last frame was taken:
    // the finished window follows at the show's end, so that the recording
    // ends on exactly what playing to the end shows, on the same clock.
    if (ok && !withSplashes && recorded.outcome.stop == tools::ShowStop::None && recorded.finished.width > 0) {
        sink.add(recorded.finished, recorded.seconds - holdSeconds);
    }
    ShowResult result;
    if (recorded.corrupted) {
        result.corrupted = true;
        result.message = recorded.message;
        return result;
    }
    if (sink.isFull()) {
        result.played = true;
        result.stopped = true;
        result.message = sink.error();
        result.seconds = sink.fullAt();
        return result;
    }
    if (!ok) {
        result.message = recorded.message;
        return result;
    }
    describe(recorded.outcome, result);
    result.seconds = recorded.seconds;
    return result;
}

bool writePlayer(const OpenedShow& show, const std::vector<std::uint8_t>& player, std::vector<std::uint8_t>& newPlayer,
                 std::string& error) {
    return embed::embedDrawing(player, show.block, false, newPlayer, error);
}

}  // namespace web
