// What a drawing holds, counted. How long its show lasts is the emulated
// show's business (tools/embed: estimatePlayTime).
#pragma once

#include <cstdint>

#include "format/format.h"

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

}  // namespace script
