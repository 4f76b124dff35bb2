// Faults in scripts: each names its line and column and what was expected.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "drawing/block.h"
#include "engine/script/script_reader.h"

namespace {

const std::string kTop = "quillcast script 1\nheader width 100 height 80\n";

script::ScriptError errorOf(const std::string& text) {
    std::vector<std::uint8_t> block;
    script::ScriptError error;
    EXPECT_FALSE(script::buildBlock(text, block, error)) << text;
    return error;
}

void expectError(const std::string& text, int line, int column, const std::string& part) {
    const script::ScriptError e = errorOf(text);
    EXPECT_EQ(e.line, line) << e.describe();
    EXPECT_EQ(e.column, column) << e.describe();
    EXPECT_NE(e.describe().find(part), std::string::npos) << e.describe();
}

TEST(ScriptErrors, PositionsAndExpectations) {
    expectError("stroke 1,2\n", 1, 1, "expected the first line 'quillcast script 1'");
    expectError(kTop + "colour pen #12345\n", 3, 12, "expected a colour like #ff8000");
    expectError(kTop + "colour purple #123456\n", 3, 8, "pen, second, third");
    expectError(kTop + "pen-mode blend extra\n", 3, 16, "expected the end of the line");
    expectError(kTop + "stroke 1,2 3;4\n", 3, 12, "expected a point x,y");
    expectError(kTop + "stroke 1,2 3,40000\n", 3, 12, "y -32768 to 32767");
    expectError(kTop + "stroke\n", 3, 7, "at least one");
    expectError(kTop + "stroke count 3 1,2 3,4\n", 3, 1, "expected 3 points");
    expectError(kTop + "opcode 2\n", 3, 8, "other than 0 to 5");
    expectError(kTop + "brush-size 1\nheader width 1 height 1\n", 4, 1, "the prologue");
    expectError(kTop + "fill\ntail 00 1\n", 4, 9, "a byte in hex");
    expectError(kTop + "tail 01\nfill\n", 4, 1, "only tail lines");
    expectError(kTop + "slot 257 #000000\n", 3, 6, "slot number (0 to 256)");
    expectError(kTop + "header width 1 height 1\n", 3, 1, "only once");
    expectError(kTop + "marker 0 extra 1\n", 3, 10, "no extra words");
    expectError("quillcast script 1\nmarker 48\nstroke 1,2\n", 3, 1, "header width W height H");
    expectError("quillcast script 1\nmarker 48\nheader width 9 height 9\nstroke 1,2 3,4\n", 4, 12,
                "carries a pressure");
    expectError(kTop + "frobnicate 3\n", 3, 1, "found 'frobnicate'");
}

TEST(ScriptErrors, TooLongForTheBlockSaysByHowMuch) {
    // 1056 bytes of prologue; each 2000-point stroke takes 8006 bytes.
    std::string text = kTop;
    std::string stroke = "stroke";
    for (int i = 0; i < 2000; ++i) stroke += " 1,2";
    for (int i = 0; i < 57; ++i) text += stroke + "\n";
    const std::uint64_t size = 1056 + 57 * 8006;
    const script::ScriptError e = errorOf(text);
    EXPECT_NE(e.describe().find(std::to_string(size - format::kDrawingBlockSize) + " bytes over"), std::string::npos)
        << e.describe();
    EXPECT_NE(e.describe().find("runs out at line 59"), std::string::npos) << e.describe();

    // One stroke fewer fits.
    text = kTop;
    for (int i = 0; i < 56; ++i) text += stroke + "\n";
    std::vector<std::uint8_t> block;
    script::ScriptError none;
    EXPECT_TRUE(script::buildBlock(text, block, none)) << none.describe();
    EXPECT_EQ(block.size(), format::kDrawingBlockSize);
}

TEST(ScriptText, HandWrittenScriptsUseDefaults) {
    const std::string text =
        "# a tiny drawing\n"
        "quillcast script 1\n"
        "header width 100 height 80   # the canvas\n"
        "colour pen #ff8000\r\n"
        "stroke 10,10 20,0x14 -5,30\n";
    std::vector<std::uint8_t> block;
    script::ScriptError error;
    ASSERT_TRUE(script::buildBlock(text, block, error)) << error.describe();
    EXPECT_EQ(block[0], 0x51);                       // a drawing, not a placeholder
    EXPECT_EQ(block[8], 0);                          // marker 0: no pressure
    EXPECT_EQ(block[12], 100);                       // width
    EXPECT_EQ(block[24] | block[25] << 8, 0x300);    // the standard palette
    EXPECT_EQ(block[28 + 3], 4);                     // slot 0 flags PC_NOCOLLAPSE
    const std::uint8_t colour[] = {0, 0, 0xFF, 0x80, 0x00, 0x00};
    EXPECT_TRUE(std::equal(colour, colour + 6, block.begin() + 1056));
    const std::uint8_t stroke[] = {2, 0, 3, 0, 0, 0, 10, 0, 10, 0, 20, 0, 20, 0, 0xFB, 0xFF, 30, 0};
    EXPECT_TRUE(std::equal(stroke, stroke + sizeof stroke, block.begin() + 1062));
}

}  // namespace
