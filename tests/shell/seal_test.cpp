#include "shell/seal.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "drawing/block.h"

namespace {

void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

constexpr std::size_t kPe = 0x80;
constexpr std::size_t kOptional = 0xE0;
constexpr std::size_t kTable = kPe + 24 + kOptional;
constexpr std::size_t kBlockAt = 0x400;

// A minimal program file: DOS stub, PE header, two sections, the second of
// which is the drawing block's; some bytes of "code" around it.
std::vector<std::uint8_t> programFile(const char* blockSection = ".qcdraw", std::uint32_t rawSize = 451072) {
    std::vector<std::uint8_t> f(kBlockAt + 451072 + 0x200, 0);
    f[0] = 'M';
    f[1] = 'Z';
    put32(f, 0x3C, kPe);
    std::memcpy(&f[kPe], "PE\0\0", 4);
    put16(f, kPe + 6, 2);
    put16(f, kPe + 20, kOptional);
    std::memcpy(&f[kTable], ".text", 5);
    put32(f, kTable + 16, 0x200);
    put32(f, kTable + 20, 0x200);
    std::memcpy(&f[kTable + 40], blockSection, std::strlen(blockSection));
    put32(f, kTable + 40 + 16, rawSize);
    put32(f, kTable + 40 + 20, kBlockAt);
    for (std::size_t i = 0x200; i < 0x400; ++i) f[i] = static_cast<std::uint8_t>(i * 31);
    f[kBlockAt] = kPlaceholderByte;
    for (std::size_t i = f.size() - 0x200; i < f.size(); ++i) f[i] = static_cast<std::uint8_t>(i);
    return f;
}

TEST(Seal, FindsTheBlockByItsSection) {
    auto f = programFile();
    std::size_t at = 0;
    ASSERT_TRUE(findDrawingBlockInFile(f.data(), f.size(), at));
    EXPECT_EQ(at, kBlockAt);
}

TEST(Seal, RejectsFilesWithoutAWholeBlock) {
    std::size_t at = 0;
    auto other = programFile(".data");
    EXPECT_FALSE(findDrawingBlockInFile(other.data(), other.size(), at));
    auto small = programFile(".qcdraw", 450999);
    EXPECT_FALSE(findDrawingBlockInFile(small.data(), small.size(), at));
    auto cut = programFile();
    cut.resize(kBlockAt + 1000);
    EXPECT_FALSE(findDrawingBlockInFile(cut.data(), cut.size(), at));
    auto wildHeader = programFile();
    put32(wildHeader, 0x3C, 0xFFFFFFF0u);
    EXPECT_FALSE(findDrawingBlockInFile(wildHeader.data(), wildHeader.size(), at));
    auto manySections = programFile();
    put16(manySections, kPe + 6, 0xFFFF);
    EXPECT_FALSE(findDrawingBlockInFile(manySections.data(), manySections.size(), at));
    // A block over the headers: a drawing or seal written there would
    // rewrite the very table that leads to it.
    for (std::uint32_t overHeaders : {std::uint32_t{0}, std::uint32_t{kTable + 40}, std::uint32_t{kTable + 79}}) {
        auto f = programFile();
        put32(f, kTable + 40 + 20, overHeaders);
        EXPECT_FALSE(findDrawingBlockInFile(f.data(), f.size(), at)) << overHeaders;
        EXPECT_FALSE(writeSeal(f.data(), f.size())) << overHeaders;
    }
    auto afterTable = programFile();
    put32(afterTable, kTable + 40 + 20, kTable + 80);
    EXPECT_TRUE(findDrawingBlockInFile(afterTable.data(), afterTable.size(), at));
    const std::uint8_t text[] = "MZ not a program at all";
    EXPECT_FALSE(findDrawingBlockInFile(text, sizeof text, at));
    EXPECT_FALSE(findDrawingBlockInFile(text, 0, at));
}

TEST(Seal, ASealedFileIsIntactAndKeepsThePlaceholderByte) {
    auto f = programFile();
    EXPECT_FALSE(isSealIntact(f.data(), f.size()));
    ASSERT_TRUE(writeSeal(f.data(), f.size()));
    EXPECT_TRUE(isSealIntact(f.data(), f.size()));
    EXPECT_EQ(f[kBlockAt], kPlaceholderByte);
    EXPECT_EQ(f[kBlockAt + 8], 0) << "the drawing stream is not touched";
}

TEST(Seal, AnyChangedByteBreaksTheSeal) {
    auto f = programFile();
    ASSERT_TRUE(writeSeal(f.data(), f.size()));
    // Code, the block's test byte, the seal itself, the stream, the last byte.
    for (std::size_t at : {std::size_t{0x210}, kBlockAt, kBlockAt + 1, kBlockAt + 7, kBlockAt + 8,
                           kBlockAt + 450999, f.size() - 1}) {
        for (int flip : {0x01, 0x80, 0xFF}) {
            auto changed = f;
            changed[at] = static_cast<std::uint8_t>(changed[at] ^ flip);
            EXPECT_FALSE(isSealIntact(changed.data(), changed.size())) << at << " ^ " << flip;
        }
    }
}

TEST(Seal, ALongerOrShorterFileBreaksTheSeal) {
    auto f = programFile();
    ASSERT_TRUE(writeSeal(f.data(), f.size()));
    auto longer = f;
    longer.push_back(0);
    EXPECT_FALSE(isSealIntact(longer.data(), longer.size()));
    auto shorter = f;
    shorter.pop_back();
    EXPECT_FALSE(isSealIntact(shorter.data(), shorter.size()));
}

}  // namespace
