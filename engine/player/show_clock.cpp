#include "engine/player/show_clock.h"

#include "platform/emu/clock_model.h"

namespace tools {

std::int64_t showClockMicroseconds() { return static_cast<std::int64_t>(emu::nowNs() / 1000); }

}  // namespace tools
