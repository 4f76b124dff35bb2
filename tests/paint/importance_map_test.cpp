// The weights of the painting search's error: flat areas 1, edges more,
// faces most.
#include <gtest/gtest.h>

#include "tools/paint/importance_map.h"

namespace {

TEST(ImportanceMap, FlatAreasCountOnceEdgesMoreSkinMost) {
    // 96 x 64: grey on the left, a skin tone on the right from x = 64, a
    // black bar across the grey at y 30..33.
    paint::Plane picture;
    picture.width = 96;
    picture.height = 64;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 96; ++x) {
            paint::Rgb c{128, 128, 128};
            if (x >= 64) c = {224, 172, 150};
            if (x < 48 && y >= 30 && y < 34) c = {0, 0, 0};
            picture.pixels.push_back(c);
        }
    }
    const std::vector<float> w = paint::importanceOf(picture);
    auto at = [&](int x, int y) { return w[static_cast<std::size_t>(y * 96 + x)]; };
    EXPECT_FLOAT_EQ(at(10, 5), 1.0f) << "flat grey";
    EXPECT_GT(at(10, 30), 1.2f) << "on the bar's edge";
    EXPECT_LE(at(10, 30), 1.5f);
    EXPECT_GT(at(90, 10), 2.9f) << "inside the skin";
    EXPECT_GT(at(58, 10), 1.5f) << "skin's weight spreads a little past it";
}

}  // namespace
