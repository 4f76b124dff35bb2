// Runs the player's own WinMain on the emulated desktop, headless and under
// the virtual clock, for the tools and the tests. One show at a time; every
// run starts from the program's start values.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "engine/picture/picture.h"

namespace tools {

// Work units (emu/desktop.h: a line point, or 1024 pixels filled or copied)
// a show may spend by default: far more than any sample needs, yet a hostile
// drawing stops within about fifteen seconds instead of hours.
constexpr std::uint64_t kDefaultWorkLimit = 200'000'000;

// Where a show stopped short of its own end.
enum class ShowStop { None, TimeLimit, WorkLimit };

struct ShowSetup {
    std::vector<std::uint8_t> block;  // the DrawingBlock, exactly 451000 bytes
    std::string programPath;          // the player file the check reads; empty for a bare drawing
    int screenWidth = 1024;
    int screenHeight = 768;
    // Milliseconds of the show at which to take the picture; negative: once
    // the drawing is finished and the show waits for the viewer.
    std::int64_t captureAtMs = -1;
    bool captureScreen = false;  // the whole desktop instead of the window
    // Called now and then with the share of the block read so far (0..1).
    std::function<void(double)> progress;

    // For recorders that follow the whole show. onStart runs on the fresh
    // desktop just before the player starts (schedule calls from it);
    // afterTick after each tick of the playback timer has been handled.
    std::function<void()> onStart;
    std::function<void()> afterTick;
    // Asked once the drawing is finished and the show waits for the viewer,
    // before the picture is taken. True: it scheduled something (a key press
    // to see the closing splash) and the show goes on to its own end; false:
    // the picture is taken and the show closed as usual.
    std::function<bool()> onFinished;

    // Bounds: the show stops once its clock passes maxShowMs (0: never) or
    // once workLimit units are spent (0: no bound). The picture is then the
    // window as it stands.
    std::uint64_t maxShowMs = 0;
    std::uint64_t workLimit = kDefaultWorkLimit;

    // Timers come due on a grid of this many nanoseconds (0: at once, as
    // under Wine; 15625000 for Windows' default system tick).
    std::uint64_t timerResolutionNs = 0;
};

struct ShowOutcome {
    bool captured = false;       // a picture was taken
    Picture picture;             // the window's client area, or the screen
    int canvasWidth = 0;         // from the drawing's header (200 for a placeholder)
    int canvasHeight = 0;
    std::uint64_t endMs = 0;     // virtual time when the picture was taken
    int exitCode = 0;            // WinMain's result
    std::uint64_t decisions = 0; // pixel decisions the brush engine made
    bool corrupted = false;      // the integrity check failed
    std::string message;         // its message, or why the show could not run
    ShowStop stop = ShowStop::None;  // a bound ended the show
};

// "--max-seconds" or "the work limit": what a stop is reported as.
const char* describeStop(ShowStop stop);

// During a show (from onStart, afterTick and the like): the player's window
// (null when there is none), its client area and the whole emulated screen
// as pictures (a missing window gives an empty one), the share of the
// drawing the player has read (0..1), and whether it has nothing left to draw.
HWND playerWindow();
Picture windowPicture();
Picture screenPicture();
double shareOfDrawingRead();
bool isDrawingDone();

// The canvas size the player will take from the block's header (200 x 200
// for a block without a drawing).
void drawingCanvasSize(const std::vector<std::uint8_t>& block, int& width, int& height);

// Whether the emulated desktop can hold the framed window of such a canvas;
// a larger one shows nothing and no picture can be taken of it.
bool isCanvasHeld(int width, int height);

// Plays the block as the player would and takes the picture.
ShowOutcome runShow(const ShowSetup& setup);

}  // namespace tools
