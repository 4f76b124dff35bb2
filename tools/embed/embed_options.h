// quillcast-embed's command line, read by CLI11 apart from main() so that
// tests can call it.
#pragma once

#include <string>

#include "tools/common/cli.h"

namespace embed {

enum class Mode { Embed, Extract, Check };

struct CommandLine {
    Mode mode = Mode::Embed;
    std::string player;
    std::string drawing;  // only when embedding
    std::string output;   // not with --check
    bool force = false;
    double timerResolutionMs = 0;  // only with --check
};

// Reads the command line into line; an outcome that does not run holds the
// help, the version, or one line saying what is wrong.
tools::ParseOutcome parseCommandLine(int argc, const char* const* argv, CommandLine& line);

}  // namespace embed
