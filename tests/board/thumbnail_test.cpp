// The board's thumbnails: made to fit a box, shrunk by averaging and grown
// by whole pixels.
#include <gtest/gtest.h>

#include "board/engine_bridge/thumbnail.h"

using board::engine::fitInto;
using board::engine::Pixels;

namespace {

Pixels filled(int width, int height, std::uint32_t (*colour)(int x, int y)) {
    Pixels p{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) p.pixels.push_back(colour(x, y));
    return p;
}

}  // namespace

TEST(Thumbnail, ShrinksToTheBoxKeepingProportionsAndAveraging) {
    // Black and white columns one pixel wide: a fair shrink is grey, not
    // one of the two.
    const Pixels stripes = filled(640, 400, [](int x, int) { return x % 2 ? 0xFFFFFFu : 0u; });
    const Pixels small = fitInto(stripes, 320, 240);
    EXPECT_EQ(small.width, 320);
    EXPECT_EQ(small.height, 200);
    for (std::uint32_t p : small.pixels) ASSERT_EQ(p, 0x808080u);

    const Pixels tall = fitInto(filled(300, 900, [](int, int) { return 0x123456u; }), 320, 240);
    EXPECT_EQ(tall.width, 80);
    EXPECT_EQ(tall.height, 240);
    EXPECT_EQ(tall.pixels.front(), 0x123456u);

    // A line one pixel high survives as a tint.
    const Pixels line = fitInto(filled(1000, 1000, [](int, int y) { return y == 500 ? 0xFFu : 0u; }), 100, 100);
    std::uint32_t brightest = 0;
    for (std::uint32_t p : line.pixels) brightest = std::max(brightest, p & 0xFF);
    EXPECT_EQ(brightest, 26u);  // 255 / 10, rounded
}

TEST(Thumbnail, GrowsByWholePixelsAndNeverPastTheBox) {
    const Pixels tiny = filled(3, 2, [](int x, int y) { return static_cast<std::uint32_t>(x + 10 * y); });
    const Pixels grown = fitInto(tiny, 320, 240);
    EXPECT_EQ(grown.width, 3 * 106);
    EXPECT_EQ(grown.height, 2 * 106);
    EXPECT_EQ(grown.pixels[0], 0u);
    EXPECT_EQ(grown.pixels[105], 0u);
    EXPECT_EQ(grown.pixels[106], 1u);
    EXPECT_EQ(grown.pixels[static_cast<std::size_t>(106) * grown.width], 10u);
    // Already fitting and under twice: as it is.
    EXPECT_EQ(fitInto(filled(200, 200, [](int, int) { return 7u; }), 320, 240).width, 200);
    EXPECT_EQ(fitInto(Pixels{}, 320, 240).width, 0);
}
