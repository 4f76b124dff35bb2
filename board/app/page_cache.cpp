#include "board/app/page_cache.h"

namespace board::app {

std::optional<std::string> PageCache::get(const std::string& key) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = entries_.find(key);
    if (it == entries_.end()) return std::nullopt;
    if (it->second.generation != generation_ || std::chrono::steady_clock::now() - it->second.made > ttl_) {
        entries_.erase(it);
        return std::nullopt;
    }
    return it->second.html;
}

void PageCache::put(const std::string& key, std::string html) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (entries_.size() >= 2000) entries_.clear();  // bounded: pages of many posts come and go
    entries_[key] = Entry{std::move(html), std::chrono::steady_clock::now(), generation_};
}

void PageCache::invalidate() {
    std::lock_guard<std::mutex> lock(mutex_);
    ++generation_;
    entries_.clear();
}

}  // namespace board::app
