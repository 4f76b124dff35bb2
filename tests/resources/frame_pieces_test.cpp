// The gilded frame pieces as committed: format, colour ramps, the layers of
// the edge bars, the corner design and its mirror images.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/resources/dib_reader.h"

namespace {

using Ramp = std::array<int, 16>;
constexpr Ramp kCornerRamp = {0, 16, 24, 33, 41, 53, 66, 78, 90, 107, 127, 140, 156, 200, 239, 255};
constexpr Ramp kHorizontalRamp = {0, 16, 28, 41, 53, 66, 74, 82, 90, 107, 131, 160, 189, 222, 247, 255};
constexpr Ramp kVerticalRamp = {0, 33, 41, 49, 57, 70, 82, 90, 103, 115, 135, 160, 181, 214, 243, 255};

Dib load(const std::string& name) {
    Dib dib;
    EXPECT_TRUE(readBitmapFile(resourcePath("bitmaps/" + name), dib)) << name;
    return dib;
}

// Brightness of a piece's pixel: red and green are equal, blue is 0.
int level(const Dib& d, int x, int y) { return d.at(x, y).r; }

enum Layer { kBlack, kDark, kOlive, kHighlight };

Layer layerOf(int v) {
    if (v == 0) return kBlack;
    if (v < 85) return kDark;
    if (v <= 140) return kOlive;
    return kHighlight;
}

// Levels across the bar at one position along it: index 0 is the side away
// from the black line.
std::array<int, 7> across(const Dib& d, bool horizontal, int along) {
    std::array<int, 7> out{};
    for (int i = 0; i < 7; ++i) out[static_cast<std::size_t>(i)] = horizontal ? level(d, along, i) : level(d, i, along);
    return out;
}

struct PieceCase {
    const char* file;
    int width, height;
    const Ramp* ramp;
};

const PieceCase kPieces[] = {
    {"frame_top_left.bmp", 10, 10, &kCornerRamp},       {"frame_top_right.bmp", 10, 10, &kCornerRamp},
    {"frame_bottom_right.bmp", 10, 10, &kCornerRamp},   {"frame_bottom_left.bmp", 10, 10, &kCornerRamp},
    {"frame_horizontal_edge.bmp", 500, 7, &kHorizontalRamp}, {"frame_vertical_edge.bmp", 7, 500, &kVerticalRamp},
};

TEST(FramePieces, AreFourBitBottomUpPicturesWithTheirYellowRamps) {
    for (const PieceCase& c : kPieces) {
        SCOPED_TRACE(c.file);
        const Dib d = load(c.file);
        EXPECT_EQ(d.headerSize, 40u);
        EXPECT_EQ(d.width, c.width);
        EXPECT_EQ(d.height, c.height);  // positive: rows stored bottom-up
        EXPECT_EQ(d.planes, 1);
        EXPECT_EQ(d.bitCount, 4);
        EXPECT_EQ(d.compression, 0u);
        EXPECT_EQ(d.coloursUsed, 0u);
        EXPECT_EQ(d.coloursImportant, 0u);
        ASSERT_EQ(d.colourTable.size(), 16u);
        for (std::size_t i = 0; i < 16; ++i) {
            const int v = (*c.ramp)[i];
            EXPECT_EQ(d.colourTable[i], (Rgb{static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v), 0})) << i;
        }
    }
}

TEST(FramePieces, CornersAreOneDesignMirrored) {
    const Dib topLeft = load("frame_top_left.bmp");
    const Dib topRight = load("frame_top_right.bmp");
    const Dib bottomLeft = load("frame_bottom_left.bmp");
    const Dib bottomRight = load("frame_bottom_right.bmp");
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            const int v = topLeft.indices[y][x];
            EXPECT_EQ(topRight.indices[y][9 - x], v) << x << "," << y;
            EXPECT_EQ(bottomLeft.indices[9 - y][x], v) << x << "," << y;
            EXPECT_EQ(bottomRight.indices[9 - y][9 - x], v) << x << "," << y;
        }
    }
}

TEST(FramePieces, TopLeftCornerHasBlackRimBentHighlightAndBlackInnerCorner) {
    const Dib d = load("frame_top_left.bmp");
    for (int x = 0; x < 10; ++x) EXPECT_EQ(level(d, x, 0), 0) << "top row, x " << x;
    // The inner 4 x 3, of which the canvas covers 3 x 3.
    for (int y = 7; y < 10; ++y) {
        for (int x = 6; x < 10; ++x) EXPECT_EQ(level(d, x, y), 0) << x << "," << y;
    }
    // The edges' black lines (row 6 of the top edge, column 6 of the left
    // edge) run on through the visible part of the inner corner.
    for (int i = 6; i < 10; ++i) {
        EXPECT_EQ(level(d, i, 6), 0);
        EXPECT_EQ(level(d, 6, i), 0);
    }
    // The highlight runs along both arms to the piece's far ends, on olive.
    bool acrossTop = false, downLeft = false, olive = false;
    for (int i = 1; i <= 4; ++i) {
        acrossTop = acrossTop || layerOf(level(d, 9, i)) == kHighlight;
        downLeft = downLeft || layerOf(level(d, i, 9)) == kHighlight;
    }
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) olive = olive || layerOf(level(d, x, y)) == kOlive;
    }
    EXPECT_TRUE(acrossTop);
    EXPECT_TRUE(downLeft);
    EXPECT_TRUE(olive);
    EXPECT_GE(level(d, 3, 3), 200);  // bright at the bend itself
}

// Olive, a highlight band two or three wide, olive, a dark row, the black line.
void expectBarLayers(const Dib& d, bool horizontal) {
    int narrow = 0, wide = 0;
    for (int along = 0; along < 500; ++along) {
        SCOPED_TRACE(along);
        const std::array<int, 7> v = across(d, horizontal, along);
        EXPECT_EQ(layerOf(v[0]), kOlive);
        EXPECT_EQ(layerOf(v[1]), kHighlight);
        EXPECT_EQ(layerOf(v[2]), kHighlight);
        EXPECT_NE(layerOf(v[3]), kBlack);
        EXPECT_NE(layerOf(v[3]), kDark);
        EXPECT_EQ(layerOf(v[4]), kOlive);
        EXPECT_EQ(layerOf(v[5]), kDark);
        EXPECT_EQ(v[6], 0);
        (layerOf(v[3]) == kHighlight ? wide : narrow) += 1;
    }
    EXPECT_GT(narrow, 50);
    EXPECT_GT(wide, 50);
}

TEST(FramePieces, HorizontalEdgeIsAGildedBarWithTheBlackLineAtTheBottom) {
    expectBarLayers(load("frame_horizontal_edge.bmp"), true);
}

TEST(FramePieces, VerticalEdgeIsAGildedBarWithTheBlackLineOnTheRight) {
    expectBarLayers(load("frame_vertical_edge.bmp"), false);
}

int columnDistance(const Dib& d, bool horizontal, int a, int b) {
    const std::array<int, 7> p = across(d, horizontal, a), q = across(d, horizontal, b);
    int sum = 0;
    for (std::size_t i = 0; i < 7; ++i) sum += std::abs(p[i] - q[i]);
    return sum;
}

// How much the five positions before a differ, row by row on average, from
// the five from a on, counting round the end of the piece: the grain
// averages out and the run of the bar shows.
int joinDistance(const Dib& d, bool horizontal, int a) {
    std::array<int, 7> before{}, after{};
    for (int k = 1; k <= 5; ++k) {
        const std::array<int, 7> p = across(d, horizontal, (a - k + 500) % 500);
        const std::array<int, 7> q = across(d, horizontal, (a + k - 1) % 500);
        for (std::size_t i = 0; i < 7; ++i) {
            before[i] += p[i];
            after[i] += q[i];
        }
    }
    int sum = 0;
    for (std::size_t i = 0; i < 7; ++i) sum += std::abs(before[i] - after[i]);
    return sum;
}

// The texture never repeats along the 500 pixels, yet a piece laid after
// itself joins no worse than nine in ten of its own inner positions.
TEST(FramePieces, EdgeTextureIsIrregularAndSeamless) {
    for (bool horizontal : {true, false}) {
        SCOPED_TRACE(horizontal ? "horizontal" : "vertical");
        const Dib d = load(horizontal ? "frame_horizontal_edge.bmp" : "frame_vertical_edge.bmp");
        for (int period = 1; period < 500; ++period) {
            bool repeats = true;
            for (int a = 0; a < 500 && repeats; ++a) repeats = columnDistance(d, horizontal, a, (a + period) % 500) == 0;
            EXPECT_FALSE(repeats) << "repeats every " << period;
        }
        std::vector<int> joins;
        for (int a = 5; a <= 495; ++a) joins.push_back(joinDistance(d, horizontal, a));
        std::sort(joins.begin(), joins.end());
        EXPECT_LE(joinDistance(d, horizontal, 0), joins[joins.size() * 9 / 10]);
    }
}

}  // namespace
