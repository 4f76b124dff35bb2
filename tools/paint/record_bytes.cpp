#include "tools/paint/record_bytes.h"

#include <algorithm>

namespace paint {

namespace {

void valueRecord(std::vector<std::uint8_t>& out, format::RecordOpcode opcode, std::uint32_t value) {
    format::appendU16(out, static_cast<std::uint16_t>(opcode));
    format::appendU32(out, value);
}

}  // namespace

void appendColour(std::vector<std::uint8_t>& out, std::uint32_t rgb, int selector) {
    valueRecord(out, format::ColourRecord, format::colourValue(rgb, static_cast<std::uint32_t>(selector)));
}

void appendPenMode(std::vector<std::uint8_t>& out, int mode) {
    valueRecord(out, format::PenModeRecord, static_cast<std::uint32_t>(mode));
}

void appendFill(std::vector<std::uint8_t>& out) { valueRecord(out, format::FillRecord, 0); }

void appendStroke(std::vector<std::uint8_t>& out, const std::vector<format::StrokePoint>& points) {
    format::appendU16(out, static_cast<std::uint16_t>(format::StrokeRecord));
    format::appendU32(out, static_cast<std::uint32_t>(points.size()));
    for (std::size_t i = 0; i < points.size(); ++i) {
        const format::StrokePoint& p = points[i];
        format::appendU16(out, i == 0 ? static_cast<std::uint16_t>(p.x) : format::pressurePointWord(p.x, p.pressure));
        format::appendU16(out, static_cast<std::uint16_t>(p.y));
    }
}

int pressureForLevel(int level) {
    // The middle of each band: 0..3 level 0, 4..6 level 1, 7..9 level 2, 10..12 level 3, 13..15 level 4.
    static constexpr int kPressures[5] = {2, 5, 8, 11, 14};
    return kPressures[std::clamp(level, 0, 4)];
}

}  // namespace paint
