// The record interpreter through whole shows: what each record kind does to
// the pen state, the cursor and the picture.
#include <gtest/gtest.h>

#include "canvas/pen_state.h"
#include "drawing/reader.h"
#include "tests/player/harness.h"
#include "tests/support/block_builder.h"
#include "tests/support/show_bounds.h"
#include "engine/player/headless_player.h"

namespace {

using testing_support::BlockBuilder;

// Plays the block to its end and returns the finished canvas (300 x 400
// unless the header says otherwise).
tools::Picture playCanvas(const std::vector<std::uint8_t>& block) {
    const tools::ShowOutcome outcome = testing_support::playToTheEnd(block);
    EXPECT_TRUE(outcome.captured) << outcome.message;
    EXPECT_EQ(outcome.exitCode, 0);
    return tools::crop(outcome.picture, 7, 7, outcome.canvasWidth, outcome.canvasHeight);
}

std::uint32_t pixel(const tools::Picture& p, int x, int y) {
    return p.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(p.width) + static_cast<std::size_t>(x)];
}

// Pads with unknown two-byte opcodes (6) so that the next record starts at
// offset; the gap must be even.
void padTo(BlockBuilder& b, std::uint32_t offset) {
    while (b.position() < offset) b.word(6);
}

TEST(Records, ColourSelectorsAndIgnoredBits) {
    BlockBuilder b;
    b.colour(0x112233, 0)
        .colour(0x445566, 1)
        .colour(0x778899, 2)
        .record(0, 0x3AAAAAAA)   // selector 3: nothing
        .record(0, 0xF0BBBBBB)   // selector 15: nothing
        .record(0, 0x0F123456);  // bits 24 to 27 are not part of the colour
    padTo(b, 450994);
    b.colour(0xABCDEF, 1);       // ends at 451000: the tail is this record
    playCanvas(b.block());
    EXPECT_EQ(penState.penColour, 0x02123456u);
    EXPECT_EQ(penState.secondColour, 0x02ABCDEFu);
    EXPECT_EQ(penState.thirdColour, 0x02778899u);
}

TEST(Records, UnknownOpcodesTakeTwoBytesAndDoNothing) {
    BlockBuilder b;
    b.word(6).word(32767).word(0x8000).word(0xFFFF).word(0xFFFE);
    b.colour(0x010203);
    padTo(b, 450994);
    b.colour(0x040506);
    playCanvas(b.block());
    EXPECT_EQ(penState.penColour, 0x02040506u);
    EXPECT_EQ(drawingCursor, format::kDrawingBlockSize);
}

TEST(Records, UpperHalvesOfModeSizeAndDensityAreIgnored) {
    BlockBuilder b;
    b.penMode(0x00070002).brushSize(0xFFFF0003).density(0x1234FFFF);
    padTo(b, 450994);
    b.word(6).word(6).word(6);
    playCanvas(b.block());
    EXPECT_EQ(penState.penMode, 2);
    EXPECT_EQ(penState.brushLevel, 3);
    EXPECT_EQ(penState.minBrushLevel, 3);
    EXPECT_EQ(penState.density, -1);
}

TEST(Records, FillUsesThePenColourNotItsOwnValue) {
    BlockBuilder b;
    b.colour(0x3060C0).record(4, 0x00FF00FF);
    padTo(b, 451000);
    const auto canvas = playCanvas(b.block());
    EXPECT_EQ(pixel(canvas, 0, 0), 0x3060C0u);
    EXPECT_EQ(pixel(canvas, 299, 399), 0x3060C0u);
    EXPECT_EQ(penState.penColour, 0x023060C0u) << "the fill adds the palette flag";
    EXPECT_EQ(penState.canvasColour, 0x023060C0u);
}

TEST(Records, StrokesOfOnePointOrFewerReadOnePointAndDrawNothing) {
    for (std::int32_t n : {1, 0, -1, -100000}) {
        BlockBuilder b;
        b.colour(0x000000).brushSize(4).strokeWithCount(n, {{100, 100}});
        b.colour(0x445566, 2);  // read right after the ten bytes of the stroke
        padTo(b, 451000);
        const auto canvas = playCanvas(b.block());
        EXPECT_EQ(pixel(canvas, 100, 100), 0xFFFFFFu) << n;
        EXPECT_EQ(penState.thirdColour, 0x02445566u) << n;
    }
}

TEST(Records, PressureLivesInTheTopBitsOfTheXWord) {
    BlockBuilder b(300, 400, 48);
    b.colour(0x000000);
    // 0x20A6: pressure 2 (level 0, a single pixel), x 166.
    b.stroke({{160, 10}, {0x20A6, 10}});
    // Low 12 bits of 1025 and above give x 0; 1024 stays 1024.
    b.stroke({{20, 50}, {0x2000 | 1025, 50}});
    padTo(b, 451000);
    const auto canvas = playCanvas(b.block());
    EXPECT_EQ(pixel(canvas, 160, 10), 0u);
    EXPECT_EQ(pixel(canvas, 165, 10), 0u);
    EXPECT_EQ(pixel(canvas, 166, 10), 0xFFFFFFu) << "the end point is not stamped";
    EXPECT_EQ(pixel(canvas, 167, 10), 0xFFFFFFu);
    EXPECT_EQ(pixel(canvas, 20, 50), 0u);
    EXPECT_EQ(pixel(canvas, 1, 50), 0u) << "the walk went towards x 0";
    EXPECT_EQ(pixel(canvas, 21, 50), 0xFFFFFFu);
}

TEST(Records, PressureXOf1024IsKeptAndAbove1024IsZero) {
    // Wide enough that x 1024 and 1025 are on the canvas; each stroke turns
    // back at the decoded point, so that point is stamped only if kept. The
    // first point of a stroke carries no pressure.
    BlockBuilder b(1100, 80, 48);
    b.colour(0x000000);
    b.stroke({{1010, 20}, {0x2000 | 1024, 20}, {0x2000 | 1010, 21}});
    b.stroke({{1010, 60}, {0x2000 | 1025, 60}, {0x2000 | 1010, 61}});
    padTo(b, 451000);
    const auto canvas = playCanvas(b.block());
    ASSERT_EQ(canvas.width, 1100);
    EXPECT_EQ(pixel(canvas, 1024, 20), 0u) << "1024 is a place on the canvas";
    EXPECT_EQ(pixel(canvas, 5, 20), 0xFFFFFFu);
    EXPECT_EQ(pixel(canvas, 1025, 60), 0xFFFFFFu) << "1025 is read as 0";
    EXPECT_EQ(pixel(canvas, 1024, 60), 0xFFFFFFu);
    EXPECT_EQ(pixel(canvas, 5, 60), 0u) << "the walk went to x 0 and back";
}

TEST(Records, WithoutPressureTheXWordIsSigned) {
    BlockBuilder b;
    b.colour(0x000000).brushSize(1);
    // 0xFFFD is x = -3: the walk from (5, 20) leftwards reaches the canvas edge.
    b.stroke({{5, 20}, {0xFFFD, 20}});
    padTo(b, 451000);
    const auto canvas = playCanvas(b.block());
    EXPECT_EQ(pixel(canvas, 0, 20), 0u);
    EXPECT_EQ(pixel(canvas, 5, 20), 0u);
}

// One process may play many drawings (the web player, the studio): the
// pressure encoding of one must not decode the points of the next.
TEST(Records, ADrawingAfterOneWithPressurePlaysAsItDoesAlone) {
    BlockBuilder plain;
    plain.colour(0x203040).brushSize(1);
    // Words whose top bits a pressure decoding would take: -3, and 4101.
    plain.stroke({{5, 20}, {0xFFFD, 20}, {0x1005, 30}, {40, 40}, {0x7064, 90}});
    const tools::ShowOutcome alone = testing_support::playToTheEnd(plain.block());

    BlockBuilder pressured(300, 400, 48);
    pressured.colour(0x000000).stroke({{10, 10}, {0xF064, 100}});
    testing_support::playToTheEnd(pressured.block());
    const tools::ShowOutcome after = testing_support::playToTheEnd(plain.block());

    EXPECT_EQ(after.decisions, alone.decisions);
    EXPECT_TRUE(after.picture.pixels == alone.picture.pixels) << "the second drawing plays differently";
}

TEST(Records, AZeroTailEndsInBlackPenAndAUsedUpBlock) {
    BlockBuilder b;
    b.colour(0x808080).stroke({{10, 10}, {20, 20}});
    playCanvas(b.block());
    EXPECT_EQ(penState.penColour, 0x02000000u);
    EXPECT_EQ(drawingCursor, format::kDrawingBlockSize);
}

TEST(Records, ARecordCutByTheEndOfTheBlockIsDropped) {
    BlockBuilder colourCut;
    colourCut.colour(0x123456);
    padTo(colourCut, 450992);
    colourCut.colour(0x654321).word(0);  // an opcode word with two bytes of payload left
    playCanvas(colourCut.block());
    EXPECT_EQ(penState.penColour, 0x02654321u) << "the cut record sets nothing";
    EXPECT_EQ(drawingCursor, format::kDrawingBlockSize);

    BlockBuilder strokeCut;
    strokeCut.colour(0x000000).brushSize(4);
    padTo(strokeCut, 450994);
    strokeCut.word(2).dword(5);  // count read, first point cut
    const auto canvas = playCanvas(strokeCut.block());
    for (int x = 0; x < 300; x += 13) EXPECT_EQ(pixel(canvas, x, 0), 0xFFFFFFu);
    EXPECT_EQ(drawingCursor, format::kDrawingBlockSize);
}

}  // namespace
