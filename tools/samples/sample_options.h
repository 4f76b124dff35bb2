// quillcast-sample's command line, read by CLI11 apart from main() so that
// tests can call it.
#pragma once

#include <string>

#include "tools/common/cli.h"

namespace tools {

struct SampleCommandLine {
    bool list = false;  // --list: print the names, nothing else
    std::string name;
    std::string output;
    bool asScript = false;
};

// Reads the command line into line; an outcome that does not run holds the
// help, the version, or one line saying what is wrong.
ParseOutcome parseSampleArguments(int argc, const char* const* argv, SampleCommandLine& line);

}  // namespace tools
