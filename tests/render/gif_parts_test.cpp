// The parts that make GIFs fast: where pictures differ, the colour table,
// and frames handed over with the rectangle that changed.
#include <gtest/gtest.h>
#include <gif_lib.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tools/render/gif_colours.h"
#include "tools/render/gif_writer.h"
#include "engine/picture/picture_diff.h"

namespace {

namespace fs = std::filesystem;

tools::Picture plain(int width, int height, std::uint32_t colour) {
    return tools::Picture{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width * height), colour)};
}

void expectRect(const tools::PictureRect& r, int x, int y, int width, int height) {
    EXPECT_EQ(r.x, x);
    EXPECT_EQ(r.y, y);
    EXPECT_EQ(r.width, width);
    EXPECT_EQ(r.height, height);
}

TEST(PictureDiff, FindsTheSmallestRectangleAroundEveryChange) {
    const tools::Picture before = plain(9, 7, 0xFFFFFF);
    tools::Picture after = before;
    EXPECT_TRUE(tools::changedRect(before, after).empty());
    after.pixels[0] = 1;                 // top left corner
    after.pixels[6 * 9 + 8] = 2;         // bottom right corner
    expectRect(tools::changedRect(before, after), 0, 0, 9, 7);
    after = before;
    after.pixels[2 * 9 + 5] = 1;
    after.pixels[4 * 9 + 3] = 1;         // a row in between stays the same
    expectRect(tools::changedRect(before, after), 3, 2, 3, 3);
    expectRect(tools::changedRect(before, after, tools::PictureRect{0, 3, 9, 4}), 3, 4, 1, 1);
    EXPECT_TRUE(tools::changedRect(before, after, tools::PictureRect{6, 0, 3, 7}).empty());
    expectRect(tools::changedRect(plain(2, 2, 0), after), 0, 0, 9, 7);  // sizes differ
}

TEST(PictureDiff, UnitesAndCopiesRectangles) {
    expectRect(tools::unite(tools::PictureRect{}, tools::PictureRect{1, 2, 3, 4}), 1, 2, 3, 4);
    expectRect(tools::unite(tools::PictureRect{5, 5, 1, 1}, tools::PictureRect{1, 2, 3, 4}), 1, 2, 5, 4);
    const tools::Picture from = plain(4, 3, 7);
    tools::Picture to = plain(4, 3, 0);
    tools::copyRect(from, to, tools::PictureRect{1, 1, 2, 2});
    EXPECT_EQ(to.pixels, (std::vector<std::uint32_t>{0, 0, 0, 0, 0, 7, 7, 0, 0, 7, 7, 0}));
}

TEST(ColourTable, CountsAndFindsAcrossGrowthAndClearing) {
    tools::ColourTable table;
    for (int round = 0; round < 3; ++round) {
        // Colours that share hash slots, more than the first table holds.
        for (std::uint32_t i = 0; i < 3000; ++i) table.count((i * 1024u) & 0xFFFFFF);
        table.count(0);
        ASSERT_EQ(table.size(), 3000u);
        EXPECT_EQ(table.counts()[0], 2u);
        EXPECT_EQ(table.find(2999u * 1024u & 0xFFFFFF), 2999u);
        EXPECT_EQ(table.find(0x123457), table.size());
        table.clear();
        EXPECT_EQ(table.find(0), 0u) << "cleared";
    }
}

class GifHintTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("qc_gif_parts_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    static std::vector<char> bytes(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return std::vector<char>(std::istreambuf_iterator<char>(in), {});
    }
    fs::path dir_;
};

TEST_F(GifHintTest, FramesWithTheirChangedRectangleWriteTheSameGifAsWholeFrames) {
    // Strokes of many colours, some merged for coming too soon, one repeat.
    std::vector<tools::Picture> frames{plain(64, 48, 0xFFFFFF)};
    std::vector<tools::PictureRect> changes{tools::wholeOf(frames[0])};
    for (int k = 0; k < 12; ++k) {
        tools::Picture next = frames.back();
        tools::PictureRect r{(k * 7) % 40, (k * 5) % 30, 20, 15};
        if (k == 6) r = tools::PictureRect{};  // a repeat
        for (int y = r.y; y < r.y + r.height; ++y)
            for (int x = r.x; x < r.x + r.width; ++x)
                next.pixels[static_cast<std::size_t>(y * 64 + x)] = static_cast<std::uint32_t>(k * 40503 + x * 977 + y * 131) & 0xFFFFFF;
        changes.push_back(tools::changedRect(frames.back(), next));
        frames.push_back(next);
    }
    tools::GifSink whole(path("whole.gif"), {}), hinted(path("hinted.gif"), {});
    ASSERT_TRUE(whole.open() && hinted.open());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const double t = static_cast<double>(i) * (i % 3 == 1 ? 0.005 : 0.25);
        ASSERT_TRUE(whole.add(frames[i], t));
        ASSERT_TRUE(hinted.addChanged(frames[i], t, changes[i]));
    }
    ASSERT_TRUE(whole.finish(10) && hinted.finish(10));
    EXPECT_EQ(bytes(path("whole.gif")), bytes(path("hinted.gif")));
}

}  // namespace
