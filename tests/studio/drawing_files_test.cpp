// The studio's files: what it opens, the script it writes, the player it seals.
#include <gtest/gtest.h>

#include "studio/drawing_files.h"
#include "tests/tools/fake_player.h"
#include "engine/embed/embed.h"
#include "engine/samples/samples.h"

namespace {

TEST(DrawingFiles, OpensDrawingsScriptsAndPlayersAndNamesWhatIsWrong) {
    const std::vector<std::uint8_t> block = tools::makeSample("quick");
    std::vector<std::uint8_t> out;
    std::string error;
    ASSERT_TRUE(studio::readDrawingFile(block, "quick.qcd", out, error)) << error;
    EXPECT_EQ(out, block);

    const std::string text = studio::drawingScript(block, "quick.qcd");
    out.clear();
    ASSERT_TRUE(studio::readDrawingFile(std::vector<std::uint8_t>(text.begin(), text.end()), "quick.qcs", out, error))
        << error;
    EXPECT_EQ(out, block);

    std::vector<std::uint8_t> player;
    ASSERT_TRUE(studio::playerWithDrawing(testing_support::fakePlayer(), block, player, error)) << error;
    embed::PlayerCheck check;
    ASSERT_TRUE(embed::checkPlayer(player, check, error)) << error;
    EXPECT_TRUE(check.intact);
    out.clear();
    ASSERT_TRUE(studio::readDrawingFile(player, "quick.exe", out, error)) << error;
    EXPECT_EQ(std::vector<std::uint8_t>(out.begin() + 8, out.end()), std::vector<std::uint8_t>(block.begin() + 8, block.end()));

}

// What people pick by mistake is named for what it is, in one line.
TEST(DrawingFiles, NamesPicturesEmptyFilesAndOtherBytes) {
    const std::vector<std::pair<std::vector<std::uint8_t>, std::string>> cases = {
        {{}, "empty.qcd: an empty file, not a drawing"},
        {{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13}, "holiday.qcd: a PNG picture, not a drawing"},
        {{0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F'}, "photo.jpg: a JPEG picture, not a drawing"},
        {{0x89, 'P', 'N', 'G', 0, 1, 2}, "noise.qcd: 7 bytes of binary data"},
    };
    for (const auto& [bytes, start] : cases) {
        std::vector<std::uint8_t> out;
        std::string error;
        const std::string name = start.substr(0, start.find(':'));
        EXPECT_FALSE(studio::readDrawingFile(bytes, name, out, error));
        EXPECT_EQ(error.rfind(start, 0), 0u) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
}

}  // namespace
