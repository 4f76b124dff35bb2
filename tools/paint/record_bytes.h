// The bytes of the few records a painting is made of, as they lie in a
// block: colours, the pen mode, a fill and strokes whose points carry a
// pressure. Sizes follow the player's reader: 6 bytes a one-value record,
// 10 for a stroke's count and first point, 4 for each further point.
#pragma once

#include <cstdint>
#include <vector>

namespace paint {

constexpr std::uint32_t kValueRecordBytes = 6;
constexpr std::uint32_t kStrokeHeadBytes = 10;
constexpr std::uint32_t kPointBytes = 4;

// Selectors of a colour record: the pen colour, and the two more that
// Speckle scatters.
enum ColourSelector : int { PenColour = 0, SecondColour = 1, ThirdColour = 2 };

struct PressurePoint {
    int x = 0;
    int y = 0;
    int pressure = 0;  // 0..15, ignored on the first point
};

void appendColour(std::vector<std::uint8_t>& out, std::uint32_t rgb, int selector);  // rgb as 0x00BBGGRR
void appendPenMode(std::vector<std::uint8_t>& out, int mode);
void appendDensity(std::vector<std::uint8_t>& out, int density);
void appendFill(std::vector<std::uint8_t>& out);
// A stroke of at least one point; x after the first point must lie in 0..1024.
void appendStroke(std::vector<std::uint8_t>& out, const std::vector<PressurePoint>& points);

inline std::uint32_t strokeBytes(std::size_t points) {
    return kStrokeHeadBytes + kPointBytes * static_cast<std::uint32_t>(points > 0 ? points - 1 : 0);
}

// A pressure that the player reads as brush level `level` (0..4).
int pressureForLevel(int level);

}  // namespace paint
