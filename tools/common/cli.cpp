#include "tools/common/cli.h"

#include <cstdio>

namespace tools {

int reportError(const char* tool, const std::string& message, int status) {
    std::fprintf(stderr, "%s: %s\n", tool, message.c_str());
    return status;
}

int reportUsageError(const char* tool, const std::string& message, int status) {
    std::fprintf(stderr, "%s: %s (try --help)\n", tool, message.c_str());
    return status;
}

}  // namespace tools
