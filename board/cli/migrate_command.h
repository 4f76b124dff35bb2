// quillcast-board migrate: moves a board from its embedded store into
// another store (a server database), resumably, and verifies the copy.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace board::cli {

// The arguments after "migrate". Returns 0 when the copy is complete and
// verified, 1 on an error or a failed verification, 2 on a wrong command line.
int runMigrate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace board::cli
