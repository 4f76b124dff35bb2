// quillcast-script's command line, read by CLI11 apart from main() so that
// tests can call it.
#pragma once

#include <string>

#include "tools/common/cli.h"

namespace script {

struct CommandLine {
    std::string command;  // "dump" or "build"
    std::string input;
    std::string output;   // "-" (standard output) when dump is given none
};

// Reads the command line into line; an outcome that does not run holds the
// help, the version, or one line saying what is wrong.
tools::ParseOutcome parseCommandLine(int argc, const char* const* argv, CommandLine& line);

}  // namespace script
