// quillcast-render's command line: what it asks for, read by CLI11.
#pragma once

#include <cstdint>
#include <string>

#include "tools/common/cli.h"
#include "tools/common/headless_player.h"
#include "tools/render/timelapse.h"

namespace tools {

struct RenderOptions {
    std::string input;
    std::string output;  // the finished picture as a PNG
    bool canvasOnly = false;
    double atSeconds = -1;
    bool screen = false;
    int screenWidth = 1024;
    int screenHeight = 768;
    bool quiet = false;
    bool stats = false;
    // Bounds for hostile drawings: seconds of the show's virtual clock
    // (0: none), and work units (headless_player.h).
    double maxSeconds = 0;
    std::uint64_t workLimit = kDefaultWorkLimit;
    // Timers come due on this grid (0: at once, as under Wine).
    double timerResolutionMs = 0;

    // The recorded show.
    std::string framesDir;
    std::string gifPath;
    std::string videoPath;
    TimelapseSettings timelapse;

    bool recordsShow() const { return !framesDir.empty() || !gifPath.empty() || !videoPath.empty(); }
};

// Reads the command line into options; an outcome that does not run holds
// the help, the version, or one line saying what is wrong.
ParseOutcome parseRenderArguments(int argc, const char* const* argv, RenderOptions& options);

}  // namespace tools
