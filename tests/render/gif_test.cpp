// GIFs as giflib reads them back: frame count, the loop, timing, and the
// picture that the frames add up to.
#include <gtest/gtest.h>
#include <gif_lib.h>

#include <cstring>
#include <filesystem>

#include "tests/support/block_builder.h"
#include "tests/support/show_bounds.h"
#include "engine/player/headless_player.h"
#include "tools/render/drawing_palette.h"
#include "tools/render/gif_writer.h"
#include "engine/timelapse/timelapse.h"

namespace {

namespace fs = std::filesystem;

struct Decoded {
    int frames = 0;
    bool loopsForever = false;
    std::vector<int> delays;
    tools::Picture last;  // all frames laid over each other
};

Decoded decode(const std::string& path) {
    Decoded out;
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (!gif) return out;
    if (DGifSlurp(gif) != GIF_OK) {
        DGifCloseFile(gif, &error);
        return out;
    }
    out.frames = gif->ImageCount;
    out.last.width = gif->SWidth;
    out.last.height = gif->SHeight;
    out.last.pixels.assign(static_cast<std::size_t>(gif->SWidth * gif->SHeight), 0);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        for (int e = 0; e + 1 < image.ExtensionBlockCount; ++e) {
            const ExtensionBlock& b = image.ExtensionBlocks[e];
            if (b.Function == APPLICATION_EXT_FUNC_CODE && b.ByteCount == 11 &&
                std::memcmp(b.Bytes, "NETSCAPE2.0", 11) == 0) {
                const ExtensionBlock& sub = image.ExtensionBlocks[e + 1];
                out.loopsForever = sub.ByteCount == 3 && sub.Bytes[0] == 1 && sub.Bytes[1] == 0 && sub.Bytes[2] == 0;
            }
        }
        GraphicsControlBlock control{};
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        DGifSavedExtensionToGCB(gif, i, &control);
        out.delays.push_back(control.DelayTime);
        const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
        const GifImageDesc& d = image.ImageDesc;
        for (int y = 0; y < d.Height; ++y) {
            for (int x = 0; x < d.Width; ++x) {
                const int index = image.RasterBits[y * d.Width + x];
                if (index == control.TransparentColor) continue;
                const GifColorType c = map->Colors[index];
                out.last.pixels[static_cast<std::size_t>((d.Top + y) * gif->SWidth + d.Left + x)] =
                    static_cast<std::uint32_t>(c.Red) | static_cast<std::uint32_t>(c.Green) << 8 |
                    static_cast<std::uint32_t>(c.Blue) << 16;
            }
        }
    }
    DGifCloseFile(gif, &error);
    return out;
}

class GifTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("qc_gif_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    fs::path dir_;
};

std::vector<std::uint8_t> drawing() {
    testing_support::BlockBuilder b(60, 40);
    b.penMode(2).density(100).brushSize(2).colour(0x202020);
    b.stroke({{5, 5}, {15, 5}, {25, 5}});
    b.stroke({{5, 20}, {15, 20}, {25, 20}});
    b.colour(0x808080).stroke({{5, 30}, {15, 30}, {55, 30}});
    return b.block();
}

TEST_F(GifTest, TheShowDecodesWithItsFramesTheLoopAndTheFinishedPicture) {
    const tools::ShowSetup setup = testing_support::boundedSetup(drawing());
    tools::GifSink gif(path("show.gif"), tools::drawingPalette(setup.block));
    tools::TimelapseSettings settings;
    settings.speed = 0.25;  // strokes far enough apart that none is merged
    tools::TimelapseResult result;
    ASSERT_TRUE(tools::recordTimelapse(setup, settings, {&gif}, nullptr, result)) << result.message;

    const Decoded d = decode(path("show.gif"));
    EXPECT_EQ(d.frames, 4);
    EXPECT_TRUE(d.loopsForever);
    ASSERT_EQ(d.delays.size(), 4u);
    EXPECT_GE(d.delays.back(), 300) << "the held finished picture";
    EXPECT_TRUE(result.outcome.stop == tools::ShowStop::None)
        << testing_support::describeNeverEnding(result.outcome.stop);
    EXPECT_EQ(d.last.pixels, testing_support::playToTheEnd(setup).picture.pixels);
    EXPECT_EQ(fs::directory_iterator(dir_)->path().filename(), "show.gif") << "no temporary file left";
}

TEST_F(GifTest, FramesTooCloseTogetherAreMergedAndRepeatsLengthenTheFrame) {
    tools::Picture white{4, 4, std::vector<std::uint32_t>(16, 0xFFFFFF)};
    tools::Picture red = white;
    red.pixels[5] = 0x0000FF;
    tools::Picture blue = white;
    blue.pixels[6] = 0xFF0000;
    tools::GifSink gif(path("m.gif"), {});
    ASSERT_TRUE(gif.open());
    ASSERT_TRUE(gif.add(white, 0));
    ASSERT_TRUE(gif.add(white, 0.5));   // a repeat
    ASSERT_TRUE(gif.add(red, 1.0));
    ASSERT_TRUE(gif.add(blue, 1.005));  // 5 ms later: replaces red
    ASSERT_TRUE(gif.finish(2.0));
    const Decoded d = decode(path("m.gif"));
    EXPECT_EQ(d.frames, 2);
    EXPECT_EQ(d.delays, (std::vector<int>{100, 100}));
    EXPECT_EQ(d.last.pixels, blue.pixels);

    // Two hundredths apart, the shortest delay viewers keep, frames stay apart.
    tools::GifSink fast(path("fast.gif"), {});
    ASSERT_TRUE(fast.open());
    ASSERT_TRUE(fast.add(white, 0));
    ASSERT_TRUE(fast.add(red, 0.02));
    ASSERT_TRUE(fast.add(blue, 0.04));
    ASSERT_TRUE(fast.finish(0.5));
    const Decoded quick = decode(path("fast.gif"));
    EXPECT_EQ(quick.frames, 3);
    EXPECT_EQ(quick.delays, (std::vector<int>{2, 2, 46}));
}

TEST_F(GifTest, ManyColoursAreQuantisedAndTheLastFrameStillComesOutExact) {
    tools::Picture white{40, 25, std::vector<std::uint32_t>(1000, 0xFFFFFF)};
    tools::Picture rainbow = white;
    for (std::uint32_t i = 0; i < 1000; ++i) rainbow.pixels[i] = (i * 2654435761u) & 0xFFFFFF;
    tools::Picture later = rainbow;
    later.pixels[0] = 0x123456;
    tools::GifSink gif(path("q.gif"), {});
    ASSERT_TRUE(gif.open());
    ASSERT_TRUE(gif.add(white, 0));
    ASSERT_TRUE(gif.add(rainbow, 1));
    ASSERT_TRUE(gif.add(later, 2));
    ASSERT_TRUE(gif.finish(3));
    const Decoded d = decode(path("q.gif"));
    EXPECT_GT(d.frames, 3) << "the last picture was sent again in exact parts";
    EXPECT_EQ(d.last.pixels, later.pixels);
}

// However many frames it takes to make the last picture exact, the GIF
// lasts until the time finish() was given: the corrections come out of the
// final hold, frame for frame.
TEST_F(GifTest, TheCorrectionsOfTheLastPictureKeepTheGifsLength) {
    for (std::uint32_t colours : {260u, 400u, 700u, 1000u}) {
        tools::Picture white{40, 25, std::vector<std::uint32_t>(1000, 0xFFFFFF)};
        tools::Picture many = white;
        for (std::uint32_t i = 0; i < 1000; ++i) many.pixels[i] = ((i % colours) * 2654435761u) & 0xFFFFFF;
        const std::string name = "c" + std::to_string(colours) + ".gif";
        tools::GifSink gif(path(name), {});
        ASSERT_TRUE(gif.open());
        ASSERT_TRUE(gif.add(white, 0));
        ASSERT_TRUE(gif.add(many, 1));
        ASSERT_TRUE(gif.finish(3));
        const Decoded d = decode(path(name));
        EXPECT_GT(d.frames, 2) << colours << " colours: corrections were needed";
        long total = 0;
        for (int delay : d.delays) total += delay;
        EXPECT_EQ(total, 300) << colours << " colours, " << d.frames << " frames";
    }
}

// Delays are the frames' times rounded to hundredths, then differenced, so
// that rounding never adds up over a long show.
TEST_F(GifTest, FractionalTimesRoundToTheNearestHundredth) {
    tools::Picture a{2, 2, std::vector<std::uint32_t>(4, 0xFFFFFF)};
    tools::Picture b = a, c = a;
    b.pixels[0] = 0;
    c.pixels[3] = 0;
    tools::GifSink gif(path("f.gif"), {});
    ASSERT_TRUE(gif.open());
    ASSERT_TRUE(gif.add(a, 0.004));
    ASSERT_TRUE(gif.add(b, 0.376));
    ASSERT_TRUE(gif.add(c, 0.994));
    ASSERT_TRUE(gif.finish(1.555));
    const Decoded d = decode(path("f.gif"));
    EXPECT_EQ(d.frames, 3);
    EXPECT_EQ(d.delays, (std::vector<int>{38, 61, 57}));
}

TEST_F(GifTest, NothingIsLeftWhenTheGifIsNotFinished) {
    {
        tools::GifSink gif(path("gone.gif"), {});
        ASSERT_TRUE(gif.open());
        tools::Picture p{2, 2, std::vector<std::uint32_t>(4, 0)};
        ASSERT_TRUE(gif.add(p, 0));
        tools::Picture other{3, 2, std::vector<std::uint32_t>(6, 0)};
        EXPECT_FALSE(gif.add(other, 1));
        EXPECT_NE(gif.error().find("size"), std::string::npos);
    }
    EXPECT_TRUE(fs::is_empty(dir_));
    tools::GifSink nowhere(path("no/such/folder/x.gif"), {});
    EXPECT_FALSE(nowhere.open());
    EXPECT_NE(nowhere.error().find("cannot write"), std::string::npos);
}

}  // namespace
