// The emulated desktop's clock: what the calls a program makes cost in time.
//
// Nothing here reads the wall. The clock is the time spent waiting (a
// blocking GetMessageA jumps to the next due timer or event) plus a fixed
// price for each call that costs real time on a real desktop, counted as it
// is made. The prices were fitted to the player as it runs under Wine on a
// virtual X server (bench/show_clock/ holds the measurements and the fit), so
// the same drawing gives the same time line on every run and build, and that
// time line follows what a viewer of an unloaded machine sees: within 13% for
// every measured drawing, at each quarter of its strokes.
#pragma once

#include <cstdint>

namespace emu {

// Calls counted since the desktop was last reset. SetPixel and GetPixel are
// counted inline (pixels.h), the rest where they are made.
struct CallCounts {
    std::uint64_t ticks = 0;        // WM_TIMER messages taken from the queue
    std::uint64_t messageLooks = 0; // PeekMessageA calls
    std::uint64_t linePoints = 0;   // points LineDDA handed to its callback
    std::uint64_t pixelWrites = 0;  // SetPixel calls
    std::uint64_t pixelReads = 0;   // GetPixel calls
    std::uint64_t areaPixels = 0;   // pixels filled by FillRect or copied by BitBlt
};

inline CallCounts callCounts;

// The price of each call, in nanoseconds (area: per 1024 pixels).
struct CallPrices {
    std::uint64_t tick;
    std::uint64_t messageLook;
    std::uint64_t linePoint;
    std::uint64_t pixelWrite;
    std::uint64_t pixelRead;
    std::uint64_t areaKilopixel;
};

// Fitted by bench/show_clock/analyse.py fit to the runs in bench/show_clock/data
// (the fastest run of each drawing; the README's pace section has the
// figures). A zero is a cost too small for those runs to tell from noise: a
// brush stamp's own work, or a fill, next to the pixels it writes and the
// looks at the queue around it.
constexpr CallPrices kCallPrices{
    /*tick*/ 529'641,
    /*messageLook*/ 61'078,
    /*linePoint*/ 0,
    /*pixelWrite*/ 233,
    /*pixelRead*/ 164,
    /*areaKilopixel*/ 0,
};

// What the counted calls cost together, in nanoseconds.
std::uint64_t pricedNs(const CallCounts& counts);

// The clock in nanoseconds from the desktop's reset (desktop.h: now(), in ms).
std::uint64_t nowNs();

// Windows checks its timers only at each tick of the system clock, every
// 15.625 ms unless a program asks for finer ones; a timer then comes due at
// the first system tick at or after its interval ran out. Zero (the reset
// value) lets timers come due at once, as under Wine, whose lateness the
// tick price holds.
void setTimerResolution(std::uint64_t ns);
std::uint64_t timerResolution();

}  // namespace emu
