#include "board/cli/stop_signals.h"

#include <pthread.h>

#include <ctime>

namespace board::cli {

StopSignals::StopSignals() {
    sigemptyset(&set_);
    sigaddset(&set_, SIGTERM);
    sigaddset(&set_, SIGINT);
    pthread_sigmask(SIG_BLOCK, &set_, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

int StopSignals::wait() const {
    int sig = 0;
    sigwait(&set_, &sig);
    return sig;
}

bool StopSignals::waitFor(std::int64_t ms) const {
    timespec wait{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    return sigtimedwait(&set_, nullptr, &wait) > 0;
}

}  // namespace board::cli
