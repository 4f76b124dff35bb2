// quillcast-board's commands: serve, worker, admin add, backup and check. main()
// hands its arguments to run(), which parses them, reports errors on stderr
// and returns the exit code.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace board::cli {

int run(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);

// Plays every stored drawing again and compares its picture with the stored
// one; writes a line for each that differs; returns how many differ.
int checkAll(const std::string& location, std::ostream& out);

}  // namespace board::cli
