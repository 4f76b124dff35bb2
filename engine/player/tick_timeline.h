// The show's time line on the emulated desktop: when each tick of the
// playback timer ended, what the calls made up to then were, and, when asked,
// the window's picture after it. Tick 0 is the start-up (the framed, empty
// canvas), tick k the k-th stroke, a last one may hold only the block's tail.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/emu/clock_model.h"
#include "engine/player/headless_player.h"

namespace tools {

struct TickRecord {
    std::uint64_t endNs = 0;  // the show's clock when the tick was handled
    emu::CallCounts counts;   // calls counted up to then
};

struct TickTimeline {
    std::vector<TickRecord> ticks;
    std::string message;  // why the show could not be played, or empty
};

// Plays the show as the player would (the block, timer resolution and
// bounds come from `setup`; its tick hook is taken). `picture`, when given,
// is called with the window's client area after every tick. A show stopped
// by a bound says so in `message`.
TickTimeline recordTickTimeline(ShowSetup setup,
                                const std::function<void(std::size_t, const Picture&)>& picture = nullptr);

}  // namespace tools
