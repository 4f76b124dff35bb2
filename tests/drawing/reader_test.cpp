#include "drawing/reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "drawing/block.h"

namespace {

// A block whose every byte tells its own offset (low 8 bits), so that a read
// shows where it came from.
class ReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<std::uint8_t> bytes(format::kDrawingBlockSize);
        for (std::uint32_t i = 0; i < format::kDrawingBlockSize; ++i) bytes[i] = static_cast<std::uint8_t>(i);
        bytes[0] = 0x51;
        loadDrawingBlock(bytes.data());
        resetDrawingReader();
    }
};

TEST_F(ReaderTest, StartsAtZeroAndRewindsToTheStreamStart) {
    EXPECT_EQ(drawingCursor, 0u);
    rewindDrawing();
    EXPECT_EQ(drawingCursor, 8u);
    std::uint16_t word = 0;
    ASSERT_TRUE(readDrawing(&word, 2, 1));
    EXPECT_EQ(word, 0x0908);
    EXPECT_EQ(drawingCursor, 10u);
}

TEST_F(ReaderTest, ReadEndingExactlyAtTheLimitSucceedsAndUsesTheBlockUp) {
    drawingCursor = format::kDrawingBlockSize - 14;
    std::uint8_t out[14] = {};
    EXPECT_FALSE(isDrawingUsedUp());
    ASSERT_TRUE(readDrawing(out, 14, 1));
    EXPECT_EQ(out[13], static_cast<std::uint8_t>(format::kDrawingBlockSize - 1));
    EXPECT_EQ(drawingCursor, format::kDrawingBlockSize);
    EXPECT_TRUE(isDrawingUsedUp());
}

TEST_F(ReaderTest, NoPartialReadAtTheEnd) {
    drawingCursor = 450998;
    std::uint32_t value = 0xAABBCCDD;
    EXPECT_FALSE(readDrawing(&value, 4, 1));
    EXPECT_EQ(value, 0xAABBCCDDu) << "a failed read copies nothing";
    EXPECT_EQ(drawingCursor, 450998u) << "a failed read does not move";
    EXPECT_FALSE(isDrawingUsedUp());

    std::uint16_t word = 0;
    EXPECT_TRUE(readDrawing(&word, 2, 1));
    EXPECT_EQ(drawingCursor, 451000u);
    EXPECT_TRUE(isDrawingUsedUp());
    EXPECT_FALSE(readDrawing(&word, 2, 1));
    EXPECT_EQ(drawingCursor, 451000u);
}

TEST_F(ReaderTest, ZeroByteReadsSucceedAnywhereUpToTheEnd) {
    for (std::uint32_t at : {0u, 8u, 450998u, 451000u}) {
        drawingCursor = at;
        std::uint8_t untouched = 0x5A;
        EXPECT_TRUE(readDrawing(&untouched, 0, 1)) << at;
        EXPECT_TRUE(readDrawing(&untouched, 7, 0)) << at;
        EXPECT_TRUE(readDrawing(nullptr, 0, 0)) << at;
        EXPECT_EQ(untouched, 0x5A);
        EXPECT_EQ(drawingCursor, at);
    }
}

TEST_F(ReaderTest, SizeTimesCountAndCursorPlusSizeNeverWrap) {
    rewindDrawing();
    std::uint8_t out[16] = {};
    // 0x10000 x 0x10000 is 2^32: zero if it wrapped in 32 bits.
    EXPECT_FALSE(readDrawing(out, 0x10000, 0x10000));
    // 0x80000000 x 2 likewise.
    EXPECT_FALSE(readDrawing(out, 0x80000000u, 2));
    // cursor + n would wrap to a small number.
    EXPECT_FALSE(readDrawing(out, 0xFFFFFFFFu, 1));
    EXPECT_FALSE(readDrawing(out, 0xFFFFFFF9u, 1));
    EXPECT_EQ(drawingCursor, 8u);
    EXPECT_EQ(out[0], 0);
}

TEST_F(ReaderTest, SixteenBitReadsSignExtendTheirArguments) {
    rewindDrawing();
    std::uint16_t word = 0;
    EXPECT_TRUE(readDrawing16(&word, 2, 1));
    EXPECT_EQ(drawingCursor, 10u);
    EXPECT_FALSE(readDrawing16(&word, -1, 1));
    EXPECT_FALSE(readDrawing16(&word, 2, -1));
    EXPECT_FALSE(readDrawing16(&word, -2, -1)) << "(-2) x (-1) must not come out as 2";
    EXPECT_EQ(drawingCursor, 10u);
    EXPECT_EQ(word, 0x0908);
}

TEST_F(ReaderTest, OnlyByteZeroTellsAPlaceholder) {
    drawingBlock[0] = 0x44;
    EXPECT_FALSE(isDrawingPresent());
    for (int value : {0x00, 0x64, 0x45, 0xC4, 0xFF}) {
        drawingBlock[0] = static_cast<std::uint8_t>(value);
        EXPECT_TRUE(isDrawingPresent()) << value;
    }
}

}  // namespace
