#include "drawing/prologue.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "drawing/block.h"
#include "drawing/palette_image.h"
#include "drawing/reader.h"
#include "shell/state.h"

namespace {

void putU16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

struct Layout {
    std::uint16_t marker;
    int extraWords;
    std::uint32_t headerAt;
    std::uint32_t firstRecordAt;
    bool pressure;
};

class PrologueTest : public ::testing::TestWithParam<Layout> {
protected:
    void SetUp() override {
        resetDrawingReader();
        resetPrologue();
        paletteBuffer = palette;
        std::memset(palette, 0xEE, sizeof palette);
    }
    void TearDown() override { paletteBuffer = nullptr; }

    // A block with the given marker, extra words of 0xFFFF, a header and a
    // palette whose bytes are recognisable.
    static std::vector<std::uint8_t> blockFor(const Layout& layout) {
        std::vector<std::uint8_t> b(format::kDrawingBlockSize, 0);
        b[0] = 0x51;
        putU16(b, 8, layout.marker);
        for (int i = 0; i < layout.extraWords; ++i) putU16(b, 10 + 2 * i, 0xFFFF);
        const std::size_t h = layout.headerAt;
        putU16(b, h, 0x1234);
        putU16(b, h + 2, 300);
        putU16(b, h + 4, 400);
        for (int i = 6; i < 14; ++i) b[h + i] = static_cast<std::uint8_t>(0xA0 + i);
        const std::size_t p = h + 14;
        putU16(b, p, 0x300);
        putU16(b, p + 2, 256);
        for (std::size_t i = 4; i < format::kPaletteImageSize; ++i) b[p + i] = static_cast<std::uint8_t>(i * 7);
        return b;
    }

    std::uint8_t palette[format::kPaletteImageSize];
};

TEST_P(PrologueTest, ReadsHeaderAndPaletteAtTheMarkersOffsets) {
    const Layout layout = GetParam();
    const auto block = blockFor(layout);
    loadDrawingBlock(block.data());

    readDrawingPrologue();

    EXPECT_EQ(drawingCursor, layout.firstRecordAt);
    EXPECT_EQ(pressureEncoding, layout.pressure);
    EXPECT_EQ(drawingHeader.word, 0x1234);
    EXPECT_EQ(drawingHeader.width, 300);
    EXPECT_EQ(drawingHeader.height, 400);
    EXPECT_EQ(drawingHeader.unused[7], 0xAD);
    EXPECT_EQ(0, std::memcmp(palette, block.data() + layout.headerAt + 14, format::kPaletteImageSize));
}

INSTANTIATE_TEST_SUITE_P(Markers, PrologueTest,
                         ::testing::Values(Layout{0, 0, 10, 1056, false}, Layout{48, 2, 14, 1060, true},
                                           Layout{49, 1, 12, 1058, false}, Layout{999, 4, 18, 1064, false},
                                           Layout{1000, 0, 10, 1056, false}, Layout{0xFFFF, 0, 10, 1056, false},
                                           Layout{47, 0, 10, 1056, false}));

TEST_F(PrologueTest, PressureEncodingStaysOnOnceSet) {
    loadDrawingBlock(blockFor({48, 2, 14, 1060, true}).data());
    readDrawingPrologue();
    ASSERT_TRUE(pressureEncoding);
    loadDrawingBlock(blockFor({0, 0, 10, 1056, false}).data());
    readDrawingPrologue();
    EXPECT_TRUE(pressureEncoding) << "nothing in the stream turns it off";
}

TEST_F(PrologueTest, WidthAndHeightOfHalfTheRangeAndAboveAreLargePositiveSizes) {
    auto block = blockFor({0, 0, 10, 1056, false});
    putU16(block, 12, 0x8000);
    putU16(block, 14, 0xFFFF);
    loadDrawingBlock(block.data());
    readDrawingPrologue();
    EXPECT_EQ(int{drawingHeader.width}, 32768);
    EXPECT_EQ(int{drawingHeader.height}, 65535);
}

TEST_F(PrologueTest, AnEntryCountAboveTheSlotsIsClampedWhenRead) {
    auto block = blockFor({0, 0, 10, 1056, false});
    putU16(block, 26, 0xFFFF);
    loadDrawingBlock(block.data());
    readDrawingPrologue();
    EXPECT_EQ(palette[2] | (palette[3] << 8), 257);
    EXPECT_EQ(palette[0] | (palette[1] << 8), 0x300);
    EXPECT_EQ(0, std::memcmp(palette + 4, block.data() + 24 + 4, format::kPaletteImageSize - 4));
}

}  // namespace
