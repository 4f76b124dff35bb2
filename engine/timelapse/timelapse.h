// Records the show as frames: the player runs on the emulated desktop as for
// a still picture, and frames are taken as it goes, either one after each
// stroke that changed the picture, or at a fixed rate on the show's clock
// (engine/player/show_clock.h), partly drawn strokes included. Frames go to
// the sinks one at a time; nothing is kept but the latest picture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <functional>

#include "engine/player/headless_player.h"
#include "engine/timelapse/frame_sink.h"

namespace tools {

// How long --final-first shows the finished picture.
constexpr double kFinalFirstSeconds = 1.0;
// How often the splashes are looked at when frames follow the strokes.
constexpr std::uint64_t kSplashSampleMs = 100;

struct TimelapseSettings {
    double fps = 0;              // 0: a frame after each stroke that changed the picture
    double speed = 1;            // the output runs this many times faster than the show
    double durationSeconds = 0;  // when above 0, the speed that makes the output this long
    double holdSeconds = 3;      // the finished picture stays this long at the end
    bool finalFirst = false;     // open with the finished picture
    bool includeSplash = false;  // whole screens, from start-up to after the closing splash
    bool canvasOnly = false;     // the canvas without its frame
    // At a fixed rate the last stroke may end between two frames. Files end
    // on the frame grid, one frame late if need be, so that their last frame
    // shows the finished picture; false: the output ends at the finish
    // itself, and the caller hands on the finished picture there (a stream
    // of changes, as the web player takes it).
    bool endOnFrame = true;
    int width = 0;               // scale frames to width x height; 0: as taken
    int height = 0;
};

struct TimelapseResult {
    bool corrupted = false;  // the player's check failed: nothing was written
    std::string message;     // why it failed, when it did
    long frames = 0;
    double seconds = 0;      // the output's length
    double speed = 1;        // the speed used (from --duration, when given)
    Picture finished;        // the window (or canvas) once drawn, as a still render takes it
    ShowOutcome outcome;     // of the recorded run
};

// Plays the show (twice when the settings need its length or its end in
// advance) and feeds every sink; finishes them when all went well.
// ok: every sink finished; otherwise result.message says why.
// progress, when given, hears the share of the work done (0..1) and the
// frames written so far.
using TimelapseProgress = std::function<void(double share, long frames)>;

bool recordTimelapse(const ShowSetup& show, const TimelapseSettings& settings, const std::vector<FrameSink*>& sinks,
                     const TimelapseProgress& progress, TimelapseResult& result);

}  // namespace tools
