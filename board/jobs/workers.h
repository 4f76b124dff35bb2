// Time-lapse workers: threads that take jobs from the store's queue (a GIF
// and an MP4 per new version), make them through the engine bridge in a
// bounded child process, and store the result. A job is leased while it runs;
// a job whose worker died (a crash, kill -9) is taken again once its lease
// runs out. Failures are retried with back-off, then marked failed with
// their message. Pages never wait for a job.
#pragma once

#include "board/engine_bridge/bridge.h"
#include "board/store/board_store.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace board::jobs {

struct Settings {
    int workers = 1;
    std::int64_t leaseMs = 120000;  // longer than a child's deadline
    int maxAttempts = 3;
    std::int64_t backoffMs = 5000;  // doubled after each failed attempt
    std::int64_t idlePollMs = 500;  // how often an idle worker looks for due jobs
    engine::Limits limits{};
};

class Workers {
public:
    Workers(store::BoardStore& store, const Settings& settings);
    ~Workers();
    void start();
    // Wakes an idle worker at once (a new version was stored).
    void notify();
    // Lets each worker finish the job in hand, then joins them.
    void stop();
    // Runs one due job on the calling thread; false when none was due.
    bool runOne();

private:
    void loop();
    store::BoardStore& store_;
    Settings settings_;
    std::vector<std::thread> threads_;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool pending_ = false;
};

}  // namespace board::jobs
