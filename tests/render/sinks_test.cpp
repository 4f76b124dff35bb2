// The PNG sequence, the video pipe, scaling and the folder that appears whole.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "engine/picture/picture_scale.h"
#include "tools/render/png_sequence.h"
#include "tools/render/video_pipe.h"

namespace {

namespace fs = std::filesystem;

class SinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("qc_sinks_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    std::size_t entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
    }
    fs::path dir_;
};

tools::Picture solid(int w, int h, std::uint32_t colour) {
    return tools::Picture{w, h, std::vector<std::uint32_t>(static_cast<std::size_t>(w * h), colour)};
}

std::string slurp(const std::string& file) {
    std::ifstream in(file);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST_F(SinkTest, APngSequenceAppearsWholeWithItsTimes) {
    tools::PngSequenceSink frames(path("frames"));
    ASSERT_TRUE(frames.open());
    ASSERT_TRUE(frames.add(solid(3, 2, 0xFFFFFF), 0));
    ASSERT_TRUE(frames.add(solid(3, 2, 0), 0.25));
    EXPECT_FALSE(fs::exists(path("frames"))) << "nothing at the target before the end";
    ASSERT_TRUE(frames.finish(1.25));
    EXPECT_TRUE(fs::exists(path("frames/frame-000001.png")));
    EXPECT_TRUE(fs::exists(path("frames/frame-000002.png")));
    EXPECT_EQ(slurp(path("frames/frames.txt")),
              "ffconcat version 1.0\nfile 'frame-000001.png'\nduration 0.250000\n"
              "file 'frame-000002.png'\nduration 1.000000\nfile 'frame-000002.png'\n");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(SinkTest, AFolderInUseIsRefusedAndAnAbandonedOneVanishes) {
    fs::create_directories(path("busy"));
    std::ofstream(path("busy/keep.txt")) << "mine";
    tools::PngSequenceSink busy(path("busy"));
    EXPECT_FALSE(busy.open());
    EXPECT_NE(busy.error().find("not an empty folder"), std::string::npos);
    EXPECT_EQ(slurp(path("busy/keep.txt")), "mine");

    fs::create_directories(path("empty"));
    {
        tools::PngSequenceSink abandoned(path("empty"));
        ASSERT_TRUE(abandoned.open());
        ASSERT_TRUE(abandoned.add(solid(2, 2, 0), 0));
    }
    EXPECT_EQ(entries(), 2u) << "busy and empty only, no temporary folder";
    EXPECT_TRUE(fs::is_empty(path("empty")));

    tools::PngSequenceSink taken(path("empty"));
    ASSERT_TRUE(taken.open());
    ASSERT_TRUE(taken.add(solid(2, 2, 0), 0));
    ASSERT_TRUE(taken.finish(1));
    EXPECT_TRUE(fs::exists(path("empty/frame-000001.png"))) << "an empty folder is taken over";
}

TEST(PictureScale, NearestNeighbourKeepsPixelsCrisp) {
    tools::Picture p{2, 2, {1, 2, 3, 4}};
    const tools::Picture up = tools::scaleNearest(p, 4, 4);
    EXPECT_EQ(up.pixels, (std::vector<std::uint32_t>{1, 1, 2, 2, 1, 1, 2, 2, 3, 3, 4, 4, 3, 3, 4, 4}));
    const tools::Picture down = tools::scaleNearest(up, 2, 1);
    EXPECT_EQ(down.pixels, (std::vector<std::uint32_t>{3, 4})) << "each pixel samples at its centre";
    EXPECT_EQ(tools::scaleNearest(p, 3, 2).pixels, (std::vector<std::uint32_t>{1, 2, 2, 3, 4, 4}));
}

TEST_F(SinkTest, AVideoComesFromFfmpegWhereItIsInstalled) {
    if (tools::findFfmpeg().empty()) {
        tools::VideoSink video(path("v.mp4"), 10);
        EXPECT_FALSE(video.open());
        EXPECT_NE(video.error().find("Debian package ffmpeg"), std::string::npos);
        GTEST_SKIP() << "ffmpeg is not installed (Debian package ffmpeg): no video to check";
    }
    tools::VideoSink video(path("v.mp4"), 10);
    ASSERT_TRUE(video.open()) << video.error();
    ASSERT_TRUE(video.add(solid(33, 21, 0xFFFFFF), 0));
    ASSERT_TRUE(video.add(solid(33, 21, 0x0000FF), 0.5));
    ASSERT_TRUE(video.finish(1.0)) << video.error();
    EXPECT_GT(fs::file_size(path("v.mp4")), 0u);
    EXPECT_EQ(entries(), 1u);
}

}  // namespace
