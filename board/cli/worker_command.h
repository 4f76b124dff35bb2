// `quillcast-board worker`: a process that makes time-lapses and nothing else,
// on any machine that reaches the board's database.
#pragma once

#include "board/app/config.h"

#include <iosfwd>

namespace board::cli {

// Runs until SIGTERM or SIGINT, then finishes the jobs in hand; returns the
// exit code.
int runWorker(const app::Config& config, std::ostream& out, std::ostream& err);

}  // namespace board::cli
