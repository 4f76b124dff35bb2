// The show's pacing, the same for every player: when the first tick comes,
// how long the splashes stay, and the pauses between ticks. The player's
// window and playback clock run on these; tools that tell how long a show
// lasts take them from here.
#pragma once

#include <cstdint>

constexpr std::uint32_t kFirstTickDelay = 1000;  // ms from the window's creation to the first tick
constexpr std::uint32_t kStartUpInterval = 50;   // ms from the end of start-up to the first stroke's tick
constexpr int kTickInterval = 10;                // ms from the end of one stroke to the next tick
constexpr int kOpeningSeconds = 5;               // whole seconds of the clock: 4 to 5 s of splash
constexpr int kClosingSeconds = 7;
