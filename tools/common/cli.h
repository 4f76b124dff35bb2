// Messages of the tools' main(): one line on standard error, naming the tool
// and what went wrong; a bad command line also points at --help. Both return
// the exit status given, so that main() can return them at once.
#pragma once

#include <string>

namespace tools {

int reportError(const char* tool, const std::string& message, int status);
int reportUsageError(const char* tool, const std::string& message, int status);

}  // namespace tools
