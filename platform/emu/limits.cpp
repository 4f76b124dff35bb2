// Bounds on a show's virtual time and on the real work behind it. Virtual
// time is only checked between messages, and a single stroke segment may be
// 131000 points long, so the work done is bounded on its own.
#include "platform/emu/desktop.h"
#include "platform/emu/desktop_state.h"

namespace emu {

namespace {

std::uint64_t deadlineMs = 0;  // 0: none
std::uint64_t workLeft = 0;
bool workLimited = false;

}  // namespace

void setShowLimits(std::uint64_t untilMs, std::uint64_t workUnits) {
    deadlineMs = untilMs;
    workLeft = workUnits;
    workLimited = workUnits != 0;
}

void chargeWork(std::uint64_t units) {
    if (!workLimited) return;
    if (units < workLeft) {
        workLeft -= units;
        return;
    }
    workLeft = 0;
    workLimited = false;  // once: the unwinding code may draw again
    throw LimitReached(Limit::Work, "the work limit was reached at " + std::to_string(now()) + " ms");
}

void chargeArea(long long width, long long height) {
    if (width <= 0 || height <= 0) return;
    callCounts.areaPixels += static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    chargeWork(static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) / kPixelsPerWorkUnit + 1);
}

void checkDeadline() {
    if (deadlineMs == 0 || nowNs() <= deadlineMs * 1'000'000) return;
    setClockBack(deadlineMs * 1'000'000);
    deadlineMs = 0;
    throw LimitReached(Limit::Time, "the time limit was reached at " + std::to_string(now()) + " ms");
}

bool isSurfaceBacked(int width, int height) {
    if (width < 0 || height < 0) return false;
    return std::uint64_t(width) * std::uint64_t(height) * 4 <= maxSurfaceBytes;
}

}  // namespace emu
