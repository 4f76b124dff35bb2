// quillcast-paint's command line, read by CLI11 apart from main() so that
// tests can call it.
#pragma once

#include <cstdint>
#include <string>

#include "tools/common/cli.h"
#include "tools/paint/painter.h"

namespace paint {

enum class OutputKind { Drawing, Script, Player };

struct CommandLine {
    std::string picture;
    std::string output;
    OutputKind kind = OutputKind::Drawing;
    std::string player = "build-win/bin/quillcast.exe";
    int fit = 0;  // 0 with no --size: the default fit
    int width = 0, height = 0;
    std::string scaledPath;  // --save-scaled: the picture as scaled to the canvas
    bool quiet = false;
    bool stats = false;
    PaintOptions paint;
};

// Reads the command line into line; an outcome that does not run holds the
// help, the version, or one line saying what is wrong.
tools::ParseOutcome parseCommandLine(int argc, const char* const* argv, CommandLine& line);

}  // namespace paint
