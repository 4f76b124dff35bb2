#include "engine/player/headless_player.h"

#include <algorithm>

#include "canvas/canvas.h"
#include "drawing/block.h"
#include "format/format.h"
#include "platform/emu/desktop.h"
#include "resources/compiled_resources.h"
#include "shell/host.h"
#include "shell/player_window.h"
#include "shell/win_main.h"

namespace tools {

namespace {

constexpr std::uint64_t kProgressEveryMs = 2000;
constexpr int kPlaceholderCanvas = 200;  // the player's canvas for a block without a drawing

Picture toPicture(emu::Image image) {
    Picture picture;
    picture.width = image.width;
    picture.height = image.height;
    picture.pixels = std::move(image.pixels);
    return picture;
}

// The window, or the whole screen, as the setup asks.
Picture pictureFor(const ShowSetup& setup) { return setup.captureScreen ? screenPicture() : windowPicture(); }

// Takes the picture and asks the player to close: the show ends as if the
// window were closed from outside, without the closing splash.
void captureAndClose(const ShowSetup& setup, ShowOutcome& outcome) {
    if (outcome.captured) return;
    outcome.captured = true;
    outcome.endMs = emu::now();
    outcome.picture = pictureFor(setup);
    if (HWND window = playerWindow()) PostMessageA(window, WM_CLOSE, 0, 0);
}

// After a show was cut short: the picture as it stands (when asked), then
// the player window goes the way it would on WM_CLOSE, so that its
// WM_DESTROY frees the Canvas, the palettes and the buffers. The quit message it posts is never
// read: the next show starts from a fresh desktop.
void endCutShow(const ShowSetup& setup, ShowOutcome& outcome, bool takePicture) {
    if (takePicture && !outcome.captured) {
        outcome.captured = true;
        outcome.endMs = emu::now();
        outcome.picture = pictureFor(setup);
    }
    emu::setShowLimits(0, 0);
    if (HWND window = playerWindow()) DestroyWindow(window);
}

}  // namespace

const char* describeStop(ShowStop stop) {
    switch (stop) {
        case ShowStop::TimeLimit:
            return "--max-seconds";
        case ShowStop::WorkLimit:
            return "the work limit";
        case ShowStop::None:
            break;
    }
    return "its end";
}

HWND playerWindow() { return emu::findWindowByClass(kPlayerClassName); }

Picture windowPicture() {
    HWND window = playerWindow();
    return window ? toPicture(emu::captureClient(window)) : Picture{};
}

Picture screenPicture() { return toPicture(emu::captureDesktop()); }

double shareOfDrawingRead() { return static_cast<double>(readerPosition()) / format::kDrawingBlockSize; }

bool isDrawingDone() { return !isDrawingPresent() || isDrawingUsedUp(); }

void drawingCanvasSize(const std::vector<std::uint8_t>& block, int& width, int& height) {
    width = kPlaceholderCanvas;
    height = kPlaceholderCanvas;
    if (block.size() != format::kDrawingBlockSize || block[0] == format::kPlaceholderByte) return;
    const format::Drawing prologue = format::parsePrologue(block.data());
    width = format::headerWidth(prologue);
    height = format::headerHeight(prologue);
}

bool isCanvasHeld(int width, int height) { return emu::isSurfaceBacked(width + 2 * kFrameBorder, height + 2 * kFrameBorder); }

ShowOutcome runShow(const ShowSetup& setup) {
    ShowOutcome outcome;
    if (setup.block.size() != format::kDrawingBlockSize) {
        outcome.message = "a drawing is exactly 451000 bytes";
        return outcome;
    }
    resetPlayer();
    emu::resetDesktop(setup.screenWidth, setup.screenHeight);
    emu::setTimerResolution(setup.timerResolutionNs);
    loadDrawingBlock(setup.block.data());
    HINSTANCE module = emu::createModule(compiledResources(), compiledResourcesSize(),
                                         setup.programPath.empty() ? nullptr : setup.programPath.c_str());

    if (setup.captureAtMs >= 0) {
        emu::scheduleCall(static_cast<std::uint64_t>(setup.captureAtMs), [&] { captureAndClose(setup, outcome); });
    }
    // Nothing left to wait for but the viewer: the show is finished.
    bool finishedAsked = false;
    emu::setIdleHandler([&] {
        if (outcome.captured) return false;
        if (setup.onFinished && !finishedAsked) {
            finishedAsked = true;
            if (setup.onFinished()) return true;
        }
        captureAndClose(setup, outcome);
        return true;
    });
    // Progress is told from the ticks themselves: a call scheduled ahead
    // would keep the finished show waiting for it, and so lengthen it.
    std::uint64_t progressDueMs = 0;
    emu::setDispatchObserver([&setup, &progressDueMs](const MSG& msg) {
        if (msg.message != WM_TIMER || !msg.hwnd || msg.hwnd != playerWindow()) return;
        if (setup.afterTick) setup.afterTick();
        if (setup.progress && emu::now() >= progressDueMs) {
            setup.progress(shareOfDrawingRead());
            progressDueMs = emu::now() + kProgressEveryMs;
        }
    });
    if (setup.onStart) setup.onStart();
    emu::setShowLimits(setup.maxShowMs, setup.workLimit);

    try {
        outcome.exitCode = WinMain(module, nullptr, nullptr, SW_SHOWNORMAL);
    } catch (const emu::BlockedForever& e) {
        outcome.message = std::string("the show stopped: ") + e.what();
        endCutShow(setup, outcome, false);
    } catch (const emu::LimitReached& e) {
        outcome.stop = e.limit == emu::Limit::Time ? ShowStop::TimeLimit : ShowStop::WorkLimit;
        endCutShow(setup, outcome, true);
    }
    emu::setShowLimits(0, 0);
    emu::setIdleHandler(nullptr);
    emu::setDispatchObserver(nullptr);

    if (emu::messageBoxCount() > 0) {
        outcome.corrupted = true;
        outcome.message = emu::lastMessageBoxText();
    }
    outcome.decisions = pixelDecisionCount();
    outcome.canvasWidth = drawingWidth();
    outcome.canvasHeight = drawingHeight();
    if (setup.progress && outcome.captured) setup.progress(shareOfDrawingRead());
    return outcome;
}

}  // namespace tools
