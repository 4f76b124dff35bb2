// The virtual clock of the emulated desktop (clock_model.h): time waited plus
// the price of the calls made. The C library's time() in whole seconds reads it.
#include "platform/emu/clock_model.h"
#include "platform/emu/desktop.h"
#include "platform/emu/desktop_state.h"
#include "platform/platform.h"

namespace emu {

std::uint64_t pricedNs(const CallCounts& c) {
    const CallPrices& p = kCallPrices;
    return c.ticks * p.tick + c.messageLooks * p.messageLook + c.linePoints * p.linePoint +
           c.pixelWrites * p.pixelWrite + c.pixelReads * p.pixelRead + c.areaPixels * p.areaKilopixel / 1024;
}

std::uint64_t nowNs() {
    return static_cast<std::uint64_t>(desktop().waitedNs + static_cast<std::int64_t>(pricedNs(callCounts)));
}

std::uint64_t now() { return nowNs() / 1'000'000; }

void waitUntil(std::uint64_t ns) {
    const std::uint64_t clock = nowNs();
    if (ns > clock) desktop().waitedNs += static_cast<std::int64_t>(ns - clock);
}

void setClockBack(std::uint64_t ns) {
    const std::uint64_t clock = nowNs();
    if (ns < clock) desktop().waitedNs -= static_cast<std::int64_t>(clock - ns);
}

void setTimerResolution(std::uint64_t ns) { desktop().timerResolutionNs = ns; }

std::uint64_t timerResolution() { return desktop().timerResolutionNs; }

}  // namespace emu

namespace platform {

std::time_t time(std::time_t* out) {
    const auto seconds = static_cast<std::time_t>(emu::nowNs() / 1'000'000'000);
    if (out) *out = seconds;
    return seconds;
}

}  // namespace platform
