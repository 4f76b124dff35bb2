// Wall-clock time as the board stores and shows it.
#pragma once

#include <cstdint>
#include <string>

namespace board::util {

std::int64_t nowMs();
// UTC, ISO 8601 to the second: "2026-12-07T20:15:00Z".
std::string isoTime(std::int64_t ms);
inline std::string nowIso() { return isoTime(nowMs()); }
// "7 Dec 2026" from an ISO time; the text itself when it is not one.
std::string dayText(const std::string& iso);
// "1:05" (minutes and seconds) or "12 s".
std::string durationText(double seconds);

}  // namespace board::util
