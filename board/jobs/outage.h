// A database outage as a long-running process lives through it: the first
// failure is logged, the threads that meet it wait with a growing back-off
// instead of spinning, and the end is logged once with how long it lasted.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

namespace board::jobs {

class Outage {
public:
    explicit Outage(std::string who) : who_(std::move(who)) {}
    // A call failed because the database could not be reached. Logs the
    // first one of an outage; returns how long the caller should wait before
    // trying again (doubling from 250 ms to 2 s over the outage).
    std::int64_t failed(const std::string& message);
    // A call went through: logs the end of an outage, if there was one.
    void succeeded();
    bool ongoing();

private:
    std::string who_;
    std::mutex mutex_;
    bool down_ = false;
    std::chrono::steady_clock::time_point since_{};
    std::int64_t delayMs_ = 0;
};

}  // namespace board::jobs
