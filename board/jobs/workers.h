// Time-lapse workers: threads that take jobs from the store's queue (a GIF
// and an MP4 per new version), make them through the engine bridge in a
// bounded child process, and store the result. A job is leased while it runs;
// a job whose worker died (a crash, kill -9) is taken again once its lease
// runs out. Failures are retried with back-off, then marked failed with
// their message. Pages never wait for a job.
//
// The same threads run inside `serve` and in `worker` processes on other
// machines. An idle worker sleeps until the store's listener hears of a new
// job (another process posted it) or notify() is called (this one did), and
// looks anyway every idlePollMs for leases that ran out and retries that are
// due. While the database is unreachable the workers wait with back-off and
// go on by themselves when it answers again.
#pragma once

#include "board/engine_bridge/bridge.h"
#include "board/jobs/outage.h"
#include "board/store/board_store.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace board::jobs {

// The channel the store notifies when it queues jobs.
inline constexpr const char* kJobsChannel = "board_jobs";

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
    Workers(store::Database& db, store::BoardStore& store, const Settings& settings);
    ~Workers();
    // Starts the worker threads, and a listener when there are any.
    void start();
    // Wakes an idle worker at once (a new version was stored).
    void notify();
    // Lets each worker finish the job in hand, then joins them.
    void stop();
    // Runs one due job on the calling thread; false when none was due.
    // Throws store::DatabaseUnavailable when no job could be claimed.
    bool runOne();
    // Jobs finished (stored as done or failed) by this process.
    std::int64_t finished() const { return finished_; }

private:
    void loop();
    void listen();
    // Stores a made time-lapse, waiting out an outage while the lease lasts.
    void store(const store::Job& job, const engine::Bytes& result, std::int64_t leaseEnd);
    // Waits up to ms, or less when woken or stopped.
    void pause(std::int64_t ms, bool wakeOnNotify);

    store::Database& db_;
    store::BoardStore& store_;
    Settings settings_;
    Outage outage_{"jobs"};
    std::vector<std::thread> threads_;
    std::atomic<bool> stopping_{false};
    std::atomic<std::int64_t> finished_{0};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool pending_ = false;
};

}  // namespace board::jobs
