#include "board/jobs/workers.h"

#include <chrono>
#include <cstdio>
#include <exception>

namespace board::jobs {
namespace {

using Clock = std::chrono::steady_clock;

void logJob(const store::Job& job, const char* what, const std::string& detail) {
    std::fprintf(stderr, "job %lld: %s of %s v%d %s%s\n", static_cast<long long>(job.id), job.kind.c_str(),
                 job.postId.c_str(), job.version, what, detail.c_str());
}

}  // namespace

Workers::Workers(store::Database& db, store::BoardStore& store, const Settings& settings)
    : db_(db), store_(store), settings_(settings) {}

Workers::~Workers() { stop(); }

void Workers::start() {
    if (settings_.workers <= 0) return;
    for (int i = 0; i < settings_.workers; ++i) threads_.emplace_back([this] { loop(); });
    threads_.emplace_back([this] { listen(); });
}

void Workers::notify() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        pending_ = true;
    }
    wake_.notify_all();
}

void Workers::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (auto& t : threads_)
        if (t.joinable()) t.join();
    threads_.clear();
}

void Workers::pause(std::int64_t ms, bool wakeOnNotify) {
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait_for(lock, std::chrono::milliseconds(ms),
                   [&] { return stopping_.load() || (wakeOnNotify && pending_); });
    if (wakeOnNotify) pending_ = false;
}

bool Workers::runOne() {
    auto job = store_.claimJob(settings_.leaseMs, settings_.maxAttempts);
    if (!job) return false;
    logJob(*job, "taken", " (attempt " + std::to_string(job->attempts) + ")");
    auto leaseEnd = Clock::now() + std::chrono::milliseconds(settings_.leaseMs);
    engine::Bytes result;
    try {
        result = job->kind == "gif" ? engine::renderGif(job->drawing, settings_.limits)
                                    : engine::renderMp4(job->drawing, settings_.limits);
        if (result.empty()) throw std::runtime_error("the renderer gave an empty file");
    } catch (const std::exception& e) {
        logJob(*job, "failed", " (attempt " + std::to_string(job->attempts) + "): " + e.what());
        try {
            store_.failJob(job->id, job->attempts, e.what(), settings_.maxAttempts, settings_.backoffMs);
            ++finished_;
        } catch (const std::exception& e2) {
            // The lease runs out and the job is taken again.
            logJob(*job, "failure not recorded", std::string(": ") + e2.what());
        }
        return true;
    }
    store(*job, result, std::chrono::duration_cast<std::chrono::milliseconds>(leaseEnd.time_since_epoch()).count());
    return true;
}

void Workers::store(const store::Job& job, const engine::Bytes& result, std::int64_t leaseEnd) {
    // A made time-lapse is worth keeping through a short outage: it is
    // stored as soon as the database answers, as long as the job is still
    // this worker's. After that another worker has it, and this one's work
    // goes.
    for (;;) {
        try {
            bool stored = store_.finishJob(job.id, job.attempts, job.kind, result);
            outage_.succeeded();
            if (stored) ++finished_;
            logJob(job, "made", " (" + std::to_string(result.size()) + " bytes)" +
                                    (stored ? "" : ", not stored: its lease ran out and it was taken again"));
            return;
        } catch (const store::DatabaseUnavailable& e) {
            std::int64_t wait = outage_.failed(e.what());
            auto now = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
            if (stopping_ || now + wait >= leaseEnd) {
                logJob(job, "not stored", ": the database did not answer while the job was leased; it will be made again");
                return;
            }
            pause(wait, false);
        } catch (const std::exception& e) {
            logJob(job, "not stored", std::string(": ") + e.what());
            return;
        }
    }
}

void Workers::loop() {
    while (!stopping_) {
        bool ran = false;
        try {
            ran = runOne();
            outage_.succeeded();
        } catch (const store::DatabaseUnavailable& e) {
            pause(outage_.failed(e.what()), false);
            continue;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "jobs: %s\n", e.what());
        }
        if (!ran) pause(settings_.idlePollMs, true);
    }
}

void Workers::listen() {
    // A store without notifications (SQLite) answers each wait after its
    // time; the idle poll finds the jobs then.
    std::unique_ptr<store::Listener> listener;
    while (!stopping_) {
        try {
            if (!listener) listener = db_.listen(kJobsChannel);
            if (listener->wait(250)) notify();
        } catch (const store::DatabaseUnavailable& e) {
            listener.reset();
            pause(outage_.failed(e.what()), false);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "jobs: listening for new jobs: %s\n", e.what());
            listener.reset();
            pause(1000, false);
        }
    }
}

}  // namespace board::jobs
