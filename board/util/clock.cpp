#include "board/util/clock.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace board::util {

std::int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::string isoTime(std::int64_t ms) {
    std::time_t t = static_cast<std::time_t>(ms / 1000);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return buf;
}

std::string dayText(const std::string& iso) {
    static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    int y = 0, m = 0, d = 0;
    if (std::sscanf(iso.c_str(), "%4d-%2d-%2d", &y, &m, &d) != 3 || m < 1 || m > 12) return iso;
    return std::to_string(d) + " " + months[m - 1] + " " + std::to_string(y);
}

std::string durationText(double seconds) {
    if (!(seconds >= 0)) seconds = 0;
    long total = std::lround(seconds);
    if (total < 60) return std::to_string(total) + " s";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%ld:%02ld", total / 60, total % 60);
    return buf;
}

}  // namespace board::util
