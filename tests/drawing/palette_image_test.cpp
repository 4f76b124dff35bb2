#include "drawing/palette_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <tuple>

namespace {

int u16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }

TEST(PaletteImage, CountsUpToTheSlotsAreKeptAndLargerOnesClamped) {
    std::uint8_t image[format::kPaletteImageSize] = {};
    const int cases[][2] = {{0, 0}, {256, 256}, {257, 257}, {258, 257}, {0x8000, 257}, {0xFFFF, 257}};
    for (const auto& c : cases) {
        image[2] = static_cast<std::uint8_t>(c[0]);
        image[3] = static_cast<std::uint8_t>(c[0] >> 8);
        clampPaletteEntryCount(image);
        EXPECT_EQ(u16(image + 2), c[1]) << c[0];
    }
}

TEST(PaletteImage, PlaceholderIsAFullPaletteOfDistinctColours) {
    std::uint8_t image[format::kPaletteImageSize];
    std::memset(image, 0xCC, sizeof image);
    fillPlaceholderPalette(image);
    EXPECT_EQ(u16(image), 0x300);
    EXPECT_EQ(u16(image + 2), 256);
    std::set<std::tuple<int, int, int>> colours;
    for (int i = 0; i < 256; ++i) {
        const std::uint8_t* e = image + 4 + 4 * i;
        EXPECT_EQ(e[3], 0x04) << "entry " << i << " is PC_NOCOLLAPSE";
        colours.insert({e[0], e[1], e[2]});
    }
    EXPECT_EQ(colours.size(), 256u);
    EXPECT_TRUE(colours.count({0, 0, 0}));
    EXPECT_TRUE(colours.count({255, 255, 255}));
    for (std::uint32_t i = 1028; i < format::kPaletteImageSize; ++i) EXPECT_EQ(image[i], 0) << "spare slot";
}

}  // namespace
