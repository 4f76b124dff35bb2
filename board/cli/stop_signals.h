// SIGTERM and SIGINT as a long-running command takes them: blocked in every
// thread (so that none is interrupted in the middle of a job or a request)
// and waited for by the one that stops the rest.
#pragma once

#include <csignal>
#include <cstdint>

namespace board::cli {

class StopSignals {
public:
    // Blocks the signals in this thread and every thread it makes after.
    StopSignals();
    // Waits for one; returns its number.
    int wait() const;
    // Waits up to ms; true when one came.
    bool waitFor(std::int64_t ms) const;
    const sigset_t& set() const { return set_; }

private:
    sigset_t set_;
};

}  // namespace board::cli
