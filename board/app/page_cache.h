// Rendered pages kept for a moment, for visitors without a moderator
// session: the board, an artist's and a post's page are the same for all of
// them but the CSRF token, which is put in per answer. This server drops
// everything on each change it makes; changes from elsewhere (another server
// on the same store, a finished time-lapse) show within the time to live.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace board::app {

class PageCache {
public:
    explicit PageCache(std::chrono::milliseconds timeToLive) : ttl_(timeToLive) {}
    std::optional<std::string> get(const std::string& key);
    void put(const std::string& key, std::string html);
    void invalidate();

private:
    struct Entry {
        std::string html;
        std::chrono::steady_clock::time_point made;
        std::uint64_t generation;
    };
    std::chrono::milliseconds ttl_;
    std::mutex mutex_;
    std::unordered_map<std::string, Entry> entries_;
    std::uint64_t generation_ = 0;
};

}  // namespace board::app
