// The engine's entry points on the WebAssembly build: what the page gets for
// each kind of input, and that the changes of a recorded show add up to the
// picture that playing it to its end gives, on the same clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/tools/fake_player.h"
#include "web/engine/show.h"

namespace {

const std::string kDir = "/tmp";

std::string writeTemp(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const std::string path = kDir + "/qc-engine-test-" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    EXPECT_NE(file, nullptr);
    if (file) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    return path;
}

std::vector<std::uint8_t> readAll(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return bytes;
    int c;
    while ((c = std::fgetc(file)) != EOF) bytes.push_back(static_cast<std::uint8_t>(c));
    std::fclose(file);
    return bytes;
}

std::string sample(const char* name) { return std::string(QC_SAMPLES_DIR) + "/" + name; }

// Every change applied in turn, as the page applies them.
struct Replayed {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;
    std::vector<double> times;

    void apply(const web::FrameChange& c) {
        if (c.pictureWidth != width || c.pictureHeight != height) {
            width = c.pictureWidth;
            height = c.pictureHeight;
            rgba.assign(static_cast<std::size_t>(width) * height * 4, 0);
        }
        for (int row = 0; row < c.height; ++row) {
            const std::uint8_t* from = c.rgba + static_cast<std::size_t>(row) * c.width * 4;
            std::copy(from, from + c.width * 4, rgba.begin() + ((static_cast<std::size_t>(c.y) + row) * width + c.x) * 4);
        }
        times.push_back(c.seconds);
    }
};

TEST(EngineOpen, RefusesWhatIsNoDrawingWithOneLineNamingTheFile) {
    std::vector<std::uint8_t> noise(5000);
    for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<std::uint8_t>(i * 131 + 7);
    const std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    std::vector<std::uint8_t> program = testing_support::fakePlayer();
    program.resize(0x100);  // the header stays, the drawing section is gone
    web::OpenedShow quick;
    std::string error;
    ASSERT_TRUE(web::openShow(sample("quick.qcs"), readAll(sample("quick.qcs")).size(), quick, error)) << error;
    std::vector<std::uint8_t> truncated = quick.block;
    truncated.resize(300000);

    const struct {
        const char* name;
        std::vector<std::uint8_t> bytes;
    } cases[] = {{"noise.qcd", noise}, {"picture.qcd", png}, {"program.exe", program}, {"cut.qcd", truncated}};
    for (const auto& c : cases) {
        const std::string path = writeTemp(c.name, c.bytes);
        web::OpenedShow show;
        std::string message;
        EXPECT_FALSE(web::openShow(path, c.bytes.size(), show, message)) << c.name;
        EXPECT_NE(message.find(path), std::string::npos) << message;
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
        std::remove(path.c_str());
    }
    web::OpenedShow show;
    std::string message;
    EXPECT_FALSE(web::openShow("huge.qcd", (std::uint64_t{256} << 20) + 1, show, message));
    EXPECT_EQ(message, "huge.qcd: larger than 256 MiB, which no drawing, script or player is");
}

TEST(EngineShow, RecordedChangesAddUpToTheFinishedPictureOnTheSameClock) {
    web::OpenedShow show;
    std::string error;
    ASSERT_TRUE(web::openShow(sample("quick.qcs"), readAll(sample("quick.qcs")).size(), show, error)) << error;
    EXPECT_EQ(show.canvasWidth, 160);
    EXPECT_EQ(show.canvasHeight, 120);

    Replayed finished;
    const web::ShowResult still = web::finishShow(show, [&](const web::FrameChange& c) { finished.apply(c); });
    ASSERT_TRUE(still.played) << still.message;
    ASSERT_EQ(finished.times.size(), 1u);
    EXPECT_EQ(finished.width, 174);

    Replayed recorded;
    const web::ShowResult played = web::recordShow(show, 60, false, 0, [&](const web::FrameChange& c) { recorded.apply(c); });
    ASSERT_TRUE(played.played) << played.message;
    EXPECT_FALSE(played.stopped);
    EXPECT_DOUBLE_EQ(played.seconds, still.seconds);
    EXPECT_GT(recorded.times.size(), 20u);  // strokes appear over their own time, not at once
    for (std::size_t i = 1; i < recorded.times.size(); ++i) EXPECT_LE(recorded.times[i - 1], recorded.times[i]);
    EXPECT_LE(recorded.times.back(), played.seconds);
    EXPECT_EQ(recorded.rgba, finished.rgba);
    // The page puts these bytes on a canvas as they are: every pixel opaque.
    std::size_t clear = 0;
    for (std::size_t i = 3; i < finished.rgba.size(); i += 4) clear += finished.rgba[i] != 0xFF;
    EXPECT_EQ(clear, 0u);
}

TEST(EngineShow, ARecordingWhoseChangesPassTheBoundStopsThereAndSaysWhere) {
    web::OpenedShow show;
    std::string error;
    ASSERT_TRUE(web::openShow(sample("quick.qcs"), readAll(sample("quick.qcs")).size(), show, error)) << error;
    std::size_t bytes = 0;
    double last = 0;
    const std::size_t budget = std::size_t{128} << 10;  // the first picture (91 KiB) and a few strokes
    const web::ShowResult cut = web::recordShow(
        show, 60, false, 0,
        [&](const web::FrameChange& c) {
            bytes += static_cast<std::size_t>(c.width) * c.height * 4;
            last = c.seconds;
        },
        budget);
    ASSERT_TRUE(cut.played);
    EXPECT_TRUE(cut.stopped);
    EXPECT_LE(bytes, budget);
    EXPECT_GT(bytes, 0u);
    EXPECT_GE(cut.seconds, last);
    const web::ShowResult whole = web::finishShow(show, [](const web::FrameChange&) {});
    EXPECT_LT(cut.seconds, whole.seconds);
    EXPECT_NE(cut.message.find("stopped after"), std::string::npos) << cut.message;
    EXPECT_NE(cut.message.find("its changes passed 0.125 MiB"), std::string::npos) << cut.message;
}

TEST(EngineShow, SplashesMakeTheScreenRoundTheWindowAndLengthenTheShow) {
    web::OpenedShow show;
    std::string error;
    ASSERT_TRUE(web::openShow(sample("quick.qcs"), readAll(sample("quick.qcs")).size(), show, error)) << error;
    Replayed plain;
    const web::ShowResult without = web::recordShow(show, 30, false, 0, [&](const web::FrameChange& c) { plain.apply(c); });
    Replayed screen;
    const web::ShowResult with = web::recordShow(show, 30, true, 1, [&](const web::FrameChange& c) { screen.apply(c); });
    ASSERT_TRUE(with.played) << with.message;
    EXPECT_GE(screen.width, 174);
    EXPECT_GE(screen.height, 134);
    // Both splashes (5 s and 7 s), the second after the hold.
    EXPECT_GT(with.seconds, without.seconds + 12);
}

TEST(EnginePlayer, WritesPlayersThatPlayAndRefusesOnesWhoseSealFails) {
    web::OpenedShow quick;
    std::string error;
    ASSERT_TRUE(web::openShow(sample("quick.qcs"), readAll(sample("quick.qcs")).size(), quick, error)) << error;
    std::vector<std::uint8_t> player;
    ASSERT_TRUE(web::writePlayer(quick, testing_support::fakePlayer(), player, error)) << error;

    const std::string path = writeTemp("player.exe", player);
    web::OpenedShow show;
    ASSERT_TRUE(web::openShow(path, player.size(), show, error)) << error;
    EXPECT_TRUE(show.isPlayer);
    // The same drawing, but for the seal in bytes 1 to 7.
    EXPECT_TRUE(std::equal(show.block.begin() + 8, show.block.end(), quick.block.begin() + 8));
    int changes = 0;
    const web::ShowResult intact = web::finishShow(show, [&](const web::FrameChange&) { ++changes; });
    EXPECT_TRUE(intact.played);
    EXPECT_FALSE(intact.corrupted);
    EXPECT_EQ(changes, 1);

    player[0x250] ^= 1;  // one byte of the program's code
    writeTemp("player.exe", player);
    ASSERT_TRUE(web::openShow(path, player.size(), show, error)) << error;
    changes = 0;
    const web::ShowResult refused = web::finishShow(show, [&](const web::FrameChange&) { ++changes; });
    EXPECT_TRUE(refused.corrupted);
    EXPECT_FALSE(refused.played);
    EXPECT_NE(refused.message.find("This program has been corrupted!"), std::string::npos) << refused.message;
    EXPECT_EQ(changes, 0);
    // Recorded, it shows nothing either: not even the empty window before the check.
    const web::ShowResult recorded = web::recordShow(show, 60, false, 0, [&](const web::FrameChange&) { ++changes; });
    EXPECT_TRUE(recorded.corrupted);
    EXPECT_EQ(recorded.message, refused.message);
    EXPECT_EQ(changes, 0);
    std::remove(path.c_str());
}

}  // namespace
