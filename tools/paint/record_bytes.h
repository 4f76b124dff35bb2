// The bytes of the few records a painting is made of, appended one by one
// as they go to the engine session: colours, the pen mode, a fill and
// strokes whose points carry a pressure. Layout and sizes come from the
// format module (format/format.h).
#pragma once

#include <cstdint>
#include <vector>

#include "format/format.h"

namespace paint {

// Selectors of a colour record: the pen colour, and the two more that
// Speckle scatters.
enum ColourSelector : int { PenColour = 0, SecondColour = 1, ThirdColour = 2 };

void appendColour(std::vector<std::uint8_t>& out, std::uint32_t rgb, int selector);  // rgb as 0x00BBGGRR
void appendPenMode(std::vector<std::uint8_t>& out, int mode);
void appendFill(std::vector<std::uint8_t>& out);
// A stroke of at least one point, in a drawing whose points carry pressure:
// x after the first point is held to 0..1024.
void appendStroke(std::vector<std::uint8_t>& out, const std::vector<format::StrokePoint>& points);

inline std::uint32_t strokeBytes(std::size_t points) {
    return static_cast<std::uint32_t>(format::strokeRecordSize(static_cast<std::int32_t>(points)));
}

// A pressure that the player reads as brush level `level` (0..4).
int pressureForLevel(int level);

}  // namespace paint
