// Bounds on a show's virtual time and on the real work behind it. A stroke
// segment may be 131000 points long yet costs one virtual millisecond, so
// virtual time alone does not bound what a drawing makes the machine do.
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
    throw LimitReached(Limit::Work, "the work limit was reached at " + std::to_string(desktop().clock) + " ms");
}

void chargeArea(long long width, long long height) {
    if (width <= 0 || height <= 0) return;
    chargeWork(static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) / kPixelsPerWorkUnit + 1);
}

void checkDeadline() {
    if (deadlineMs == 0 || desktop().clock <= deadlineMs) return;
    desktop().clock = deadlineMs;
    deadlineMs = 0;
    throw LimitReached(Limit::Time, "the time limit was reached at " + std::to_string(desktop().clock) + " ms");
}

bool isSurfaceBacked(int width, int height) {
    if (width < 0 || height < 0) return false;
    return std::uint64_t(width) * std::uint64_t(height) * 4 <= maxSurfaceBytes;
}

}  // namespace emu
