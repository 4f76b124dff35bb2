#include "tools/paint/record_bytes.h"

#include <algorithm>

namespace paint {

namespace {

enum Opcode : std::uint16_t { kColour = 0, kPenMode = 1, kStroke = 2, kFill = 4, kDensity = 5 };

void word(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void dword(std::vector<std::uint8_t>& out, std::uint32_t value) {
    word(out, static_cast<std::uint16_t>(value));
    word(out, static_cast<std::uint16_t>(value >> 16));
}

}  // namespace

void appendColour(std::vector<std::uint8_t>& out, std::uint32_t rgb, int selector) {
    word(out, kColour);
    dword(out, (rgb & 0xFFFFFF) | (static_cast<std::uint32_t>(selector & 15) << 28));
}

void appendPenMode(std::vector<std::uint8_t>& out, int mode) {
    word(out, kPenMode);
    dword(out, static_cast<std::uint32_t>(mode));
}

void appendDensity(std::vector<std::uint8_t>& out, int density) {
    word(out, kDensity);
    dword(out, static_cast<std::uint32_t>(density));
}

void appendFill(std::vector<std::uint8_t>& out) {
    word(out, kFill);
    dword(out, 0);
}

void appendStroke(std::vector<std::uint8_t>& out, const std::vector<PressurePoint>& points) {
    word(out, kStroke);
    dword(out, static_cast<std::uint32_t>(points.size()));
    for (std::size_t i = 0; i < points.size(); ++i) {
        const PressurePoint& p = points[i];
        std::uint16_t x = static_cast<std::uint16_t>(p.x);
        if (i > 0) x = static_cast<std::uint16_t>((std::clamp(p.pressure, 0, 15) << 12) | std::clamp(p.x, 0, 1024));
        word(out, x);
        word(out, static_cast<std::uint16_t>(p.y));
    }
}

int pressureForLevel(int level) {
    // The middle of each band: 0..3 level 0, 4..6 level 1, 7..9 level 2, 10..12 level 3, 13..15 level 4.
    static constexpr int kPressures[5] = {2, 5, 8, 11, 14};
    return kPressures[std::clamp(level, 0, 4)];
}

}  // namespace paint
