// Writing drawings into players, taking them out, and every refusal.
#include <gtest/gtest.h>

#include <vector>

#include "drawing/block.h"
#include "shell/seal.h"
#include "tests/support/block_builder.h"
#include "tests/tools/fake_player.h"
#include "tools/embed/embed.h"
#include "tools/samples/samples.h"

namespace {

using testing_support::BlockBuilder;
using testing_support::fakePlayer;

TEST(Embed, EmbedThenExtractGivesBackTheDrawing) {
    const auto player = fakePlayer();
    const auto drawing = tools::makeSample("quick");
    std::vector<std::uint8_t> sealed, back;
    std::string error;
    ASSERT_TRUE(embed::embedDrawing(player, drawing, false, sealed, error)) << error;
    EXPECT_TRUE(isSealIntact(sealed.data(), sealed.size()));
    EXPECT_EQ(sealed.size(), player.size());
    ASSERT_TRUE(embed::extractDrawing(sealed, back, error)) << error;
    EXPECT_EQ(back, drawing);

    // Into a player that already carries a drawing, and out again.
    const auto other = tools::makeSample("meadow");
    std::vector<std::uint8_t> twice;
    ASSERT_TRUE(embed::embedDrawing(sealed, other, false, twice, error)) << error;
    ASSERT_TRUE(embed::extractDrawing(twice, back, error));
    EXPECT_EQ(back, other);

    // Only the block and its seal changed.
    std::size_t at = 0;
    ASSERT_TRUE(findDrawingBlockInFile(player.data(), player.size(), at));
    for (std::size_t i = 0; i < player.size(); ++i) {
        if (i < at || i >= at + kDrawingBlockSize) {
            ASSERT_EQ(twice[i], player[i]) << i;
        }
    }
}

TEST(Embed, CheckReportsWhatThePlayerCarries) {
    std::vector<std::uint8_t> sealed;
    std::string error;
    BlockBuilder b(120, 90, 48);
    b.colour(0xFFFFFF).fill().stroke({{1, 1}, {0x7002, 2}, {0x7003, 3}}).stroke({{5, 5}}).word(77);
    ASSERT_TRUE(embed::embedDrawing(fakePlayer(), b.block(), false, sealed, error));
    embed::PlayerCheck check;
    ASSERT_TRUE(embed::checkPlayer(sealed, check, error));
    EXPECT_TRUE(check.intact);
    EXPECT_EQ(check.summary.width, 120);
    EXPECT_EQ(check.summary.height, 90);
    EXPECT_EQ(check.summary.records, 5u);
    EXPECT_EQ(check.summary.strokes, 2u);
    EXPECT_EQ(check.summary.segments, 2u);
    EXPECT_EQ(check.summary.unknownRecords, 1u);
    const std::string text = embed::describeCheck(check);
    EXPECT_NE(text.find("canvas: 120 x 90"), std::string::npos) << text;
    EXPECT_NE(text.find("strokes 2"), std::string::npos) << text;

    sealed[100] ^= 1;
    ASSERT_TRUE(embed::checkPlayer(sealed, check, error));
    EXPECT_FALSE(check.intact);

    ASSERT_TRUE(embed::checkPlayer(fakePlayer(), check, error));
    EXPECT_TRUE(check.intact);
    EXPECT_FALSE(check.summary.present);
}

TEST(Embed, PlayTimeIsTheEmulatedShowsLength) {
    BlockBuilder b(120, 90, 48);
    b.colour(0xFFFFFF).fill().stroke({{1, 1}, {0x7002, 2}, {0x7003, 3}}).stroke({{5, 5}}).word(77);
    // The first tick at 1 s and 5 s of splash on the emulated clock, 50 ms
    // to the first stroke, 10 ms to the second and to the tail; a real
    // whole-second clock makes the splash 4 to 5 s.
    const embed::PlayTime time = embed::estimatePlayTime(b.block());
    EXPECT_GT(time.toSeconds, 6.070);
    EXPECT_LT(time.toSeconds, 6.090);
    EXPECT_DOUBLE_EQ(time.fromSeconds, time.toSeconds - 1.0);
    EXPECT_FALSE(time.stopped);

    // On Windows' default 15.625 ms system tick every wait is longer.
    const embed::PlayTime windows = embed::estimatePlayTime(b.block(), 15'625'000);
    EXPECT_GT(windows.toSeconds, time.toSeconds + 0.010);

    std::vector<std::uint8_t> placeholder(kDrawingBlockSize, 0);
    placeholder[0] = kPlaceholderByte;
    EXPECT_EQ(embed::estimatePlayTime(placeholder).toSeconds, 0.0);
}

TEST(Embed, Refusals) {
    const auto player = fakePlayer();
    const auto drawing = tools::makeSample("quick");
    std::vector<std::uint8_t> out;
    std::string error;

    // Not a player: a drawing file, a Windows program without the section.
    EXPECT_FALSE(embed::embedDrawing(drawing, drawing, false, out, error));
    EXPECT_NE(error.find("not a Quillcast player"), std::string::npos) << error;
    auto program = player;
    program[0x80 + 24] = '_';  // rename the section
    EXPECT_FALSE(embed::embedDrawing(program, drawing, true, out, error));
    EXPECT_NE(error.find("without a drawing block"), std::string::npos) << error;

    // A player that fails its check, unless forced.
    auto broken = player;
    broken[0x250] ^= 0x40;
    EXPECT_FALSE(embed::embedDrawing(broken, drawing, false, out, error));
    EXPECT_NE(error.find("integrity check"), std::string::npos) << error;
    ASSERT_TRUE(embed::embedDrawing(broken, drawing, true, out, error)) << error;
    EXPECT_TRUE(isSealIntact(out.data(), out.size()));

    // A drawing of the wrong size, and one whose byte 0 marks a placeholder.
    auto shorter = drawing;
    shorter.pop_back();
    EXPECT_FALSE(embed::embedDrawing(player, shorter, false, out, error));
    EXPECT_NE(error.find("exactly 451000"), std::string::npos) << error;
    auto placeholder = drawing;
    placeholder[0] = kPlaceholderByte;
    EXPECT_FALSE(embed::embedDrawing(player, placeholder, false, out, error));
    EXPECT_NE(error.find("0x44"), std::string::npos) << error;

    EXPECT_FALSE(embed::extractDrawing(drawing, out, error));
}

// A section that starts over the DOS header, the seal's bytes over the
// pointer to the PE header, or the block over the section table: writing a
// drawing there would break the program, so it is not taken for a player.
// Right after the table is fine.
TEST(Embed, RefusesABlockOverTheHeaders) {
    const auto drawing = tools::makeSample("quick");
    constexpr std::size_t kTable = 0x80 + 24, kRawOffset = kTable + 20, kTableEnd = kTable + 40;
    std::vector<std::uint8_t> out, block;
    std::string error;
    for (std::uint32_t at : {std::uint32_t{0}, std::uint32_t{0x3C - 3}, std::uint32_t{kTable}, std::uint32_t{kTableEnd - 1}}) {
        auto player = fakePlayer();
        for (int i = 0; i < 4; ++i) player[kRawOffset + i] = static_cast<std::uint8_t>(at >> (8 * i));
        EXPECT_FALSE(embed::embedDrawing(player, drawing, true, out, error)) << at;
        EXPECT_NE(error.find("without a drawing block"), std::string::npos) << error;
        EXPECT_FALSE(embed::extractDrawing(player, block, error)) << at;
        embed::PlayerCheck check;
        EXPECT_FALSE(embed::checkPlayer(player, check, error)) << at;
    }
    auto player = fakePlayer();
    player[kRawOffset] = kTableEnd;
    player[kRawOffset + 1] = 0;
    ASSERT_TRUE(embed::embedDrawing(player, drawing, true, out, error)) << error;
    EXPECT_TRUE(isSealIntact(out.data(), out.size()));
    ASSERT_TRUE(embed::extractDrawing(out, block, error));
    EXPECT_EQ(block, drawing);
}

}  // namespace
