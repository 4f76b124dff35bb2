#include "tools/render/show_clock.h"

#include "canvas/pen_state.h"
#include "platform/emu/desktop.h"

namespace tools {

std::int64_t showClockMicroseconds() {
    return static_cast<std::int64_t>(emu::now()) * 1000 +
           static_cast<std::int64_t>(pixelDecisions) * kDecisionCostMicroseconds;
}

}  // namespace tools
