// The show's time as the recordings see it: the emulated desktop's clock
// (platform/emu/clock_model.h), which holds the player's own pacing (the
// first tick at 1 s, the opening splash until about 6 s, 50 ms after
// start-up, the 10 ms timer between strokes) and a price for every call the
// player makes while it draws, fitted to the player as it runs under Wine.
// So long strokes and big brushes take longer, as they do on screen.
#pragma once

#include <cstdint>

namespace tools {

// The show's time now, in microseconds from the program's start.
std::int64_t showClockMicroseconds();

}  // namespace tools
