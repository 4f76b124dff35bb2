#include "drawing/palette_image.h"

#include <cstring>


void clampPaletteEntryCount(std::uint8_t* image) {
    if (format::readU16(image + format::kPaletteCountAt) > format::kPaletteSlots) format::writeU16(image + format::kPaletteCountAt, format::kPaletteSlots);
}

void fillPlaceholderPalette(std::uint8_t* image) {
    std::memset(image, 0, format::kPaletteImageSize);
    format::writeU16(image + format::kPaletteVersionAt, format::kPaletteVersion);
    format::writeU16(image + format::kPaletteCountAt, format::kPaletteEntries);
    std::uint8_t* entry = image + format::kPaletteSlotsAt;
    for (int r = 0; r < 6; ++r) {
        for (int g = 0; g < 6; ++g) {
            for (int b = 0; b < 6; ++b) {
                entry[0] = static_cast<std::uint8_t>(r * 51);
                entry[1] = static_cast<std::uint8_t>(g * 51);
                entry[2] = static_cast<std::uint8_t>(b * 51);
                entry[3] = format::kSlotNoCollapse;
                entry += 4;
            }
        }
    }
    // 40 greys strictly between the cube's black and white.
    for (int i = 1; i <= 40; ++i) {
        const auto level = static_cast<std::uint8_t>(i * 255 / 41);
        entry[0] = entry[1] = entry[2] = level;
        entry[3] = format::kSlotNoCollapse;
        entry += 4;
    }
}
