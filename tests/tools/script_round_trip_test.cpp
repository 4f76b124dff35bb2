// Block -> script -> block gives back every byte, for blocks no tool would
// write as well as for the samples.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "drawing/block.h"
#include "format/format.h"
#include "tests/support/block_builder.h"
#include "engine/samples/samples.h"
#include "engine/script/script_reader.h"
#include "engine/script/script_writer.h"

namespace {

using testing_support::BlockBuilder;

std::vector<std::uint8_t> roundTrip(const std::vector<std::uint8_t>& block) {
    const std::string text = script::writeScript(format::parseBlock(block.data()));
    std::vector<std::uint8_t> back;
    script::ScriptError error;
    EXPECT_TRUE(script::buildBlock(text, back, error)) << error.describe();
    return back;
}

void expectRoundTrip(const std::vector<std::uint8_t>& block) {
    const std::vector<std::uint8_t> back = roundTrip(block);
    ASSERT_EQ(back.size(), block.size());
    for (std::size_t i = 0; i < block.size(); ++i) ASSERT_EQ(back[i], block[i]) << "first difference at byte " << i;
}

// Random bytes everywhere: almost every word is an unknown opcode, and any
// stroke found usually claims more points than the block holds.
TEST(ScriptRoundTrip, RandomBlocks) {
    std::mt19937 random(451000);
    for (int n = 0; n < 6; ++n) {
        std::vector<std::uint8_t> block(format::kDrawingBlockSize);
        for (auto& b : block) b = static_cast<std::uint8_t>(random());
        expectRoundTrip(block);
    }
}

// Random records of every kind with random values, random prologues, and
// an end that falls anywhere: after a whole record, inside one, or in zeros.
TEST(ScriptRoundTrip, RandomRecordStreams) {
    std::mt19937 random(2026);
    const std::uint16_t markers[] = {0, 48, 49, 999, 7, 65535};
    for (int n = 0; n < 60; ++n) {
        BlockBuilder b(static_cast<int>(random() & 0xFFFF), static_cast<int>(random() & 0xFFFF),
                       markers[random() % 6]);
        auto& bytes = b.bytes();
        for (std::uint32_t i = 0; i < b.position(); ++i)
            if (random() % 8 == 0) bytes[i] = static_cast<std::uint8_t>(random());
        const std::uint32_t end = n % 3 == 0 ? format::kDrawingBlockSize : 1100 + static_cast<std::uint32_t>(random() % 20000) * 2;
        while (b.position() + 200 < end) {
            const auto opcode = static_cast<std::uint16_t>(random() % 9 == 0 ? random() : random() % 6);
            if (opcode == 2) {
                const int points = static_cast<int>(random() % 30);
                b.word(2).dword(random() % 4 == 0 ? static_cast<std::uint32_t>(random()) : static_cast<std::uint32_t>(points));
                for (int i = 0; i <= points; ++i) b.dword(static_cast<std::uint32_t>(random()));
            } else if (opcode <= 5) {
                b.record(opcode, random() % 2 ? static_cast<std::uint32_t>(random()) : 0);
            } else {
                b.word(opcode);
            }
        }
        // The last record may be cut by the block's end.
        if (end == format::kDrawingBlockSize) {
            while (b.position() + 2 <= format::kDrawingBlockSize) b.word(static_cast<std::uint16_t>(random() % 6));
        }
        expectRoundTrip(b.block());
    }
}

TEST(ScriptRoundTrip, EdgeBlocks) {
    // A placeholder, and a block of nothing but zeros.
    std::vector<std::uint8_t> zeros(format::kDrawingBlockSize, 0);
    expectRoundTrip(zeros);
    zeros[0] = format::kPlaceholderByte;
    expectRoundTrip(zeros);

    // Odd header bytes, the 257th palette slot, and a stroke cut at the end.
    BlockBuilder odd(65535, 32768, 48);
    for (std::size_t i = 14; i < 28; ++i) odd.bytes()[i] = static_cast<std::uint8_t>(0xA0 + i);
    for (std::size_t i = 28 + 4 + 256 * 4; i < 1060; ++i) odd.bytes()[i] = 0xEE;
    odd.colour(0x123456, 15).record(0, 0x0F000000).seek(format::kDrawingBlockSize - 30).word(2).dword(100).dword(0x7FFF8000);
    for (int i = 0; i < 4; ++i) odd.dword(0xFFFFFFFF);
    expectRoundTrip(odd.block());

    // Each one-value record cut after its opcode, 2 and 4 bytes before the end.
    for (std::uint16_t opcode = 0; opcode <= 5; ++opcode) {
        for (std::uint32_t left : {2u, 4u, 8u}) {
            BlockBuilder cut;
            cut.seek(format::kDrawingBlockSize - left).word(opcode);
            expectRoundTrip(cut.block());
        }
    }

    // Strokes of count 1, 0 and negative take exactly one point.
    BlockBuilder counts;
    counts.strokeWithCount(0, {{1, 2}}).strokeWithCount(-7, {{-3, 4}}).strokeWithCount(1, {{5, 6}}).word(0x8000);
    expectRoundTrip(counts.block());
}

TEST(ScriptRoundTrip, EverySample) {
    for (const std::string& name : tools::sampleNames()) {
        SCOPED_TRACE(name);
        expectRoundTrip(tools::makeSample(name));
        // The script itself reads back to the drawing it came from.
        std::vector<std::uint8_t> built;
        script::ScriptError error;
        ASSERT_TRUE(script::buildBlock(tools::makeSampleScript(name), built, error)) << error.describe();
        EXPECT_EQ(built, tools::makeSample(name));
    }
}

// What the dump says about a few records, as a reader would see them.
TEST(ScriptText, NamesRecordsAndPressure) {
    BlockBuilder b(300, 400, 48);
    b.colour(0x3322FF, 1).penMode(4).brushSize(2).density(0xFFFFFC18).fill().word(6).word(0xFFFF);
    b.stroke({{-3, 10}, {0x20A6, 11}, {0xFFFD, 12}});
    const std::string text = script::writeScript(format::parseBlock(b.block().data()));
    EXPECT_NE(text.find("marker 48 extra 0 0"), std::string::npos);
    EXPECT_NE(text.find("header width 300 height 400 word 0 rest 00 00 00 00 00 00 00 00"), std::string::npos);
    EXPECT_NE(text.find("slot 256 #000000 flags 0"), std::string::npos);
    EXPECT_NE(text.find("\ncolour second #ff2233\npen-mode speckle\nbrush-size 2\ndensity -1000\nfill\n"
                        "opcode 6\nopcode -1\nstroke -3,10 166,11/2 4093,12/15\n"),
              std::string::npos)
        << text.substr(text.find("# records"));
}

}  // namespace
