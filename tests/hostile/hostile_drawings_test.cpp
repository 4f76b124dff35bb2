// Blocks that no authoring tool should write, played through the whole
// player: each show must end with a picture, draw what the rules say, and
// draw it the same way twice.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/emu/desktop.h"
#include "tests/support/block_builder.h"
#include "tests/support/show_bounds.h"
#include "engine/player/headless_player.h"

using testing_support::BlockBuilder;

namespace {

tools::ShowOutcome play(const std::vector<std::uint8_t>& block) { return testing_support::playToTheEnd(block); }

// The picture of a block that only clears its canvas: what "draws nothing" looks like.
tools::Picture blankPicture(int width, int height) {
    return play(BlockBuilder(width, height).colour(0x102030).block()).picture;
}

bool samePixels(const tools::Picture& a, const tools::Picture& b) {
    return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

TEST(HostileCanvas, TooLargeToBackEndsWithoutPixelsOrCrash) {
    for (const auto& size : {std::pair{65535, 65535}, std::pair{65535, 9000}, std::pair{20000, 20000}}) {
        BlockBuilder b(size.first, size.second);
        b.colour(0xFF0000).fill().brushSize(4).stroke({{0, 0}, {200, 200}, {65535, 65535}});
        const tools::ShowOutcome outcome = play(b.block());
        EXPECT_TRUE(outcome.captured) << size.first << "x" << size.second;
        EXPECT_EQ(outcome.stop, tools::ShowStop::None);
        EXPECT_EQ(outcome.canvasWidth, size.first);
        // The window cannot be backed: there is nothing to take a picture of.
        EXPECT_EQ(outcome.picture.width * outcome.picture.height, 0);
        EXPECT_FALSE(tools::isCanvasHeld(size.first, size.second));
    }
}

TEST(HostileCanvas, SizesAtTheEdgesOfWhatIsHeld) {
    int width = 0;
    int height = 0;
    tools::drawingCanvasSize(BlockBuilder(65535, 1).block(), width, height);
    EXPECT_EQ(width, 65535);
    EXPECT_EQ(height, 1);
    EXPECT_TRUE(tools::isCanvasHeld(65535, 1));
    EXPECT_TRUE(tools::isCanvasHeld(8178, 8178));   // 8192 x 8192 framed: exactly 256 MiB
    EXPECT_FALSE(tools::isCanvasHeld(8179, 8178));
    tools::drawingCanvasSize(testing_support::placeholderBlock(), width, height);
    EXPECT_EQ(width, 200);

    for (const auto& size : {std::pair{0, 0}, std::pair{65535, 1}, std::pair{1, 3000}}) {
        BlockBuilder b(size.first, size.second);
        b.colour(0x00FF00).fill().stroke({{-5, -5}, {70000, 2}});
        const tools::ShowOutcome outcome = play(b.block());
        ASSERT_TRUE(outcome.captured);
        EXPECT_EQ(outcome.picture.width, size.first + 14);
        EXPECT_EQ(outcome.picture.height, size.second + 14);
    }
}

TEST(HostileStrokes, CoordinatesAtTheEndsOfTheSixteenBitRange) {
    BlockBuilder b(120, 90);
    b.brushSize(4).stroke({{-32768, -32768}, {32767, 32767}, {-32768, 32767}, {32767, -32768}});
    b.penMode(3).stroke({{32767, 0}, {-32768, 0}});
    const tools::ShowOutcome first = play(b.block());
    ASSERT_TRUE(first.captured);
    EXPECT_EQ(first.stop, tools::ShowStop::None);
    // The diagonals cross the canvas and are drawn there, identically each time.
    EXPECT_FALSE(samePixels(first.picture, blankPicture(120, 90)));
    EXPECT_TRUE(samePixels(first.picture, play(b.block()).picture));
}

TEST(HostileStrokes, PressureWordsAtTheirExtremes) {
    BlockBuilder b(100, 100, 48);
    b.stroke({{0, 0}, {0xFFFF, 0x7FFF}, {0x0FFF, 0x8000}, {0x1401, 50}, {0xF400, 60}});
    const tools::ShowOutcome outcome = play(b.block());
    EXPECT_TRUE(outcome.captured);
}

TEST(HostileCounts, StrokeCountsThatRunPastTheBlock) {
    for (const std::int32_t count : {0x7FFFFFFF, 200000, -1, INT32_MIN, 0}) {
        BlockBuilder b(80, 60);
        b.colour(0x0000FF).strokeWithCount(count, {{1, 1}, {50, 40}, {10, 30}});
        const tools::ShowOutcome outcome = play(b.block());
        EXPECT_TRUE(outcome.captured) << count;
        EXPECT_EQ(outcome.stop, tools::ShowStop::None) << count;
    }
    // A record cut by the block's end: the last bytes hold an opcode and half a value.
    BlockBuilder cut(80, 60);
    cut.seek(format::kDrawingBlockSize - 4).word(2).word(0x7FFF);
    EXPECT_TRUE(play(cut.block()).captured);
    BlockBuilder last(80, 60);
    last.seek(format::kDrawingBlockSize - 14).strokeWithCount(1000, {{2, 2}, {30, 30}});
    EXPECT_TRUE(play(last.block()).captured);
}

TEST(HostileValues, BrushLevelsAndPenModesOutsideTheirRangesDrawNothing) {
    const tools::Picture blank = blankPicture(100, 80);
    for (const std::uint32_t level : {5u, 0xFFFFu, 0x8000u, 0x12345u}) {
        BlockBuilder b(100, 80);
        b.colour(0x102030).brushSize(level).stroke({{0, 0}, {99, 79}});
        EXPECT_TRUE(samePixels(play(b.block()).picture, blank)) << "brush level " << level;
    }
    for (const std::uint32_t mode : {0u, 5u, 0xFFFFu, 0x8000u}) {
        BlockBuilder b(100, 80);
        b.colour(0x102030).penMode(mode).stroke({{0, 0}, {99, 79}});
        EXPECT_TRUE(samePixels(play(b.block()).picture, blank)) << "pen mode " << mode;
    }
    // Only the low 16 bits count: 0x10003 is level 3, and draws.
    BlockBuilder wide(100, 80);
    wide.colour(0x102030).brushSize(0x10003).stroke({{0, 0}, {99, 79}});
    EXPECT_FALSE(samePixels(play(wide.block()).picture, blank));
}

TEST(HostileValues, DensityZeroAndExtremes) {
    const tools::Picture blank = blankPicture(100, 80);
    BlockBuilder zero(100, 80);
    zero.colour(0x102030).density(0).stroke({{0, 0}, {99, 79}});
    // A density of 0 gates every pixel away instead of dividing by zero.
    EXPECT_TRUE(samePixels(play(zero.block()).picture, blank));
    for (const std::uint32_t density : {0x8000u, 0xFFFFu, 1u, 0x7FFFu}) {
        for (const std::uint32_t mode : {1u, 2u, 4u}) {
            BlockBuilder b(100, 80);
            b.colour(0x102030).penMode(mode).density(density).stroke({{0, 0}, {99, 79}});
            EXPECT_TRUE(play(b.block()).captured) << density << " " << mode;
        }
    }
}

TEST(HostilePalettes, AbsurdEntryCounts) {
    for (const int count : {0, 1, 257, 258, 0x8000, 0xFFFF}) {
        BlockBuilder b(64, 48);
        // The count word sits right after the version, 4 bytes into the palette.
        b.bytes()[24 + 2] = static_cast<std::uint8_t>(count);
        b.bytes()[24 + 3] = static_cast<std::uint8_t>(count >> 8);
        b.seek(24 + 1032).colour(0x336699).fill().stroke({{0, 0}, {60, 40}});
        const tools::ShowOutcome outcome = play(b.block());
        EXPECT_TRUE(outcome.captured) << count;
    }
}

}  // namespace
