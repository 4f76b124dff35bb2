#include "board/jobs/workers.h"

#include <chrono>
#include <cstdio>
#include <exception>

namespace board::jobs {

Workers::Workers(store::BoardStore& store, const Settings& settings) : store_(store), settings_(settings) {}

Workers::~Workers() { stop(); }

void Workers::start() {
    for (int i = 0; i < settings_.workers; ++i) threads_.emplace_back([this] { loop(); });
}

void Workers::notify() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        pending_ = true;
    }
    wake_.notify_one();
}

void Workers::stop() {
    stopping_ = true;
    wake_.notify_all();
    for (auto& t : threads_)
        if (t.joinable()) t.join();
    threads_.clear();
}

bool Workers::runOne() {
    auto job = store_.claimJob(settings_.leaseMs);
    if (!job) return false;
    try {
        engine::Bytes result = job->kind == "gif" ? engine::renderGif(job->drawing, settings_.limits)
                                                  : engine::renderMp4(job->drawing, settings_.limits);
        if (result.empty()) throw std::runtime_error("the renderer gave an empty file");
        bool stored = store_.finishJob(job->id, job->attempts, job->kind, result);
        std::fprintf(stderr, "job %lld: %s of %s v%d made (%zu bytes)%s\n", static_cast<long long>(job->id),
                     job->kind.c_str(), job->postId.c_str(), job->version, result.size(),
                     stored ? "" : ", not stored: its lease ran out and it was taken again");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "job %lld: %s of %s v%d failed (attempt %d): %s\n", static_cast<long long>(job->id),
                     job->kind.c_str(), job->postId.c_str(), job->version, job->attempts, e.what());
        try {
            store_.failJob(job->id, job->attempts, e.what(), settings_.maxAttempts, settings_.backoffMs);
        } catch (const std::exception& e2) {
            // The lease runs out and the job is taken again.
            std::fprintf(stderr, "job %lld: cannot record the failure: %s\n", static_cast<long long>(job->id),
                         e2.what());
        }
    }
    return true;
}

void Workers::loop() {
    while (!stopping_) {
        bool ran = false;
        try {
            ran = runOne();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "jobs: %s\n", e.what());
        }
        if (ran) continue;
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait_for(lock, std::chrono::milliseconds(settings_.idlePollMs), [this] { return pending_ || stopping_.load(); });
        pending_ = false;
    }
}

}  // namespace board::jobs
