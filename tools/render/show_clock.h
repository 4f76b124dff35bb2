// The drawing-time model: when things happen in the show as a viewer would
// see them. The emulated desktop's virtual clock already holds the player's
// own pacing: the first tick at 1 s, the opening splash until about 6 s,
// 50 ms after start-up, 10 ms from the end of one stroke to the next tick,
// and 1 ms per stroke segment (the stroke loop's look at the queue). On top
// of that every pixel decision of the brush engine costs a fixed 5 us, about
// what a pixel read and two pixel writes cost through the window system. So
// long strokes and big brushes take longer, as they do on screen.
#pragma once

#include <cstdint>

namespace tools {

constexpr std::int64_t kDecisionCostMicroseconds = 5;

// The show's time now, in microseconds from the program's start.
std::int64_t showClockMicroseconds();

}  // namespace tools
