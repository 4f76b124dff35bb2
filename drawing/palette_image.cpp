#include "drawing/palette_image.h"

#include <cstring>

namespace {

constexpr std::uint8_t kNoCollapse = 0x04;

std::uint16_t readU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

void writeU16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v & 0xFF);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

}  // namespace

void clampPaletteEntryCount(std::uint8_t* image) {
    if (readU16(image + 2) > kPaletteSlots) writeU16(image + 2, kPaletteSlots);
}

void fillPlaceholderPalette(std::uint8_t* image) {
    std::memset(image, 0, kPaletteImageSize);
    writeU16(image, kPaletteVersion);
    writeU16(image + 2, kPaletteEntries);
    std::uint8_t* entry = image + 4;
    for (int r = 0; r < 6; ++r) {
        for (int g = 0; g < 6; ++g) {
            for (int b = 0; b < 6; ++b) {
                entry[0] = static_cast<std::uint8_t>(r * 51);
                entry[1] = static_cast<std::uint8_t>(g * 51);
                entry[2] = static_cast<std::uint8_t>(b * 51);
                entry[3] = kNoCollapse;
                entry += 4;
            }
        }
    }
    // 40 greys strictly between the cube's black and white.
    for (int i = 1; i <= 40; ++i) {
        const auto level = static_cast<std::uint8_t>(i * 255 / 41);
        entry[0] = entry[1] = entry[2] = level;
        entry[3] = kNoCollapse;
        entry += 4;
    }
}
