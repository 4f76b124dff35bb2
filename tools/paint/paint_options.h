// quillcast-paint's command line, parsed apart from main() so that tests
// can call it.
#pragma once

#include <cstdint>
#include <string>

#include "tools/paint/painter.h"

namespace paint {

enum class OutputKind { Drawing, Script, Player };

struct CommandLine {
    bool help = false;
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

// False, with a one-line error, for a command line that cannot run.
bool parseCommandLine(int argc, const char* const* argv, CommandLine& line, std::string& error);

extern const char kUsage[];

}  // namespace paint
