// What a drawing holds, counted, and how long its show lasts. The play-time
// model: about 1 s to the first tick, 4 to 5 s of opening splash, then per
// stroke the 10 ms pause before its tick plus its drawing, taken as 1 ms per
// segment (what the native emulation charges; a real screen differs).
#pragma once

#include <cstdint>

#include "drawing/format.h"

namespace script {

struct DrawingSummary {
    bool present = false;    // byte 0 is not the placeholder's 0x44
    bool pressure = false;
    int width = 0;
    int height = 0;
    std::uint64_t records = 0;
    std::uint64_t strokes = 0;
    std::uint64_t segments = 0;
    std::uint64_t unknownRecords = 0;
    std::uint64_t usedBytes = 0;  // up to the end of the last record or cut tail
    bool cut = false;             // a record is cut by the end of the block
};

DrawingSummary summarize(const format::Drawing& drawing);

struct PlayTime {
    double fromSeconds = 0;
    double toSeconds = 0;
};

// Until the last stroke is on the canvas; zero for a placeholder.
PlayTime estimatePlayTime(const DrawingSummary& summary);

}  // namespace script
