#include "board/jobs/outage.h"

#include <algorithm>
#include <cstdio>

namespace board::jobs {

std::int64_t Outage::failed(const std::string& message) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!down_) {
        down_ = true;
        since_ = std::chrono::steady_clock::now();
        delayMs_ = 250;
        std::fprintf(stderr, "%s: the database is unavailable (%s); waiting for it\n", who_.c_str(), message.c_str());
    } else {
        delayMs_ = std::min<std::int64_t>(delayMs_ * 2, 2000);
    }
    return delayMs_;
}

void Outage::succeeded() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!down_) return;
    down_ = false;
    auto lasted = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - since_);
    std::fprintf(stderr, "%s: the database answers again (after %.1f s)\n", who_.c_str(), static_cast<double>(lasted.count()) / 1000.0);
}

bool Outage::ongoing() {
    std::lock_guard<std::mutex> lock(mutex_);
    return down_;
}

}  // namespace board::jobs
