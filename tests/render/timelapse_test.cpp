// The recorder: frames per stroke and at a fixed rate, their times on the
// show's clock, speed and duration, and the last frame against a still render.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "platform/emu/clock_model.h"
#include "tests/render/recording_sink.h"
#include "tests/support/block_builder.h"
#include "tests/support/show_bounds.h"
#include "engine/player/headless_player.h"
#include "engine/timelapse/timelapse.h"

namespace {

using testing_support::BlockBuilder;
using testing_support::RecordingSink;

// The prices of the emulated desktop's clock, in seconds.
constexpr double kTick = emu::kCallPrices.tick / 1e9;
constexpr double kLook = emu::kCallPrices.messageLook / 1e9;

// Three strokes: two alike in different places, and a longer one.
std::vector<std::uint8_t> threeStrokes() {
    BlockBuilder b(60, 40);
    b.penMode(2).density(100).brushSize(2).colour(0x202020);
    b.stroke({{5, 5}, {15, 5}, {25, 5}});
    b.stroke({{5, 20}, {15, 20}, {25, 20}});
    b.stroke({{5, 30}, {15, 30}, {25, 30}, {35, 30}, {45, 30}, {55, 30}});
    return b.block();
}

struct Recorded {
    bool ok = false;
    tools::TimelapseResult result;
    RecordingSink sink;
};

void record(const std::vector<std::uint8_t>& block, const tools::TimelapseSettings& settings, Recorded& run) {
    const tools::ShowSetup setup = testing_support::boundedSetup(block);
    std::vector<tools::FrameSink*> sinks{&run.sink};
    run.ok = tools::recordTimelapse(setup, settings, sinks, nullptr, run.result);
    EXPECT_TRUE(run.result.outcome.stop == tools::ShowStop::None)
        << testing_support::describeNeverEnding(run.result.outcome.stop);
}

tools::Picture stillPicture(const std::vector<std::uint8_t>& block) {
    return testing_support::playToTheEnd(block).picture;
}

TEST(Timelapse, AFrameForTheEmptyCanvasAndOneAfterEachStroke) {
    Recorded run;
    record(threeStrokes(), {}, run);
    ASSERT_TRUE(run.ok) << run.result.message;
    ASSERT_EQ(run.sink.times.size(), 4u);
    EXPECT_EQ(run.result.frames, 4);
    EXPECT_DOUBLE_EQ(run.sink.times[0], 0.0);

    // 50 ms after start-up, then 10 ms between strokes, and each tick's
    // price, its segments' looks at the queue and the brush's work on top.
    const double first = run.sink.times[1] - run.sink.times[0];
    const double second = run.sink.times[2] - run.sink.times[1];
    const double third = run.sink.times[3] - run.sink.times[2];
    EXPECT_GT(first, 0.050 + kTick + 2 * kLook);
    EXPECT_GT(second, 0.010 + kTick + 2 * kLook);
    // The density gate lets a few pixels more or fewer through.
    EXPECT_NEAR(first - second, 0.040, 1e-4) << "alike strokes take alike time";
    EXPECT_GT(third, second + 3 * kLook) << "a longer stroke takes longer";
    EXPECT_NEAR(run.sink.end - run.sink.times[3], 3.0 + 0.010 + kTick, 1e-5)
        << "the hold follows the last tick, which reads the block's zero tail";
    EXPECT_TRUE(run.sink.finished);
}

TEST(Timelapse, TheLastFrameIsTheStillRendersPicture) {
    const auto block = threeStrokes();
    Recorded run;
    record(block, {}, run);
    ASSERT_TRUE(run.ok);
    const tools::Picture still = stillPicture(block);
    EXPECT_EQ(run.sink.last.width, 74);
    EXPECT_EQ(run.sink.last.pixels, still.pixels);
    EXPECT_EQ(run.result.finished.pixels, still.pixels);

    Recorded canvas;
    tools::TimelapseSettings only;
    only.canvasOnly = true;
    record(block, only, canvas);
    EXPECT_EQ(canvas.sink.last.width, 60);
    EXPECT_EQ(canvas.sink.last.pixels, tools::crop(still, 7, 7, 60, 40).pixels);
}

TEST(Timelapse, FramesAtAFixedRateCoverTheShowAndTheHold) {
    Recorded per;
    record(threeStrokes(), {}, per);
    const double drawing = per.sink.times.back();

    tools::TimelapseSettings settings;
    settings.fps = 100;
    settings.holdSeconds = 0.5;
    Recorded run;
    record(threeStrokes(), settings, run);
    ASSERT_TRUE(run.ok) << run.result.message;
    for (std::size_t k = 0; k < run.sink.times.size(); ++k) EXPECT_DOUBLE_EQ(run.sink.times[k], static_cast<double>(k) / 100.0);
    EXPECT_NEAR(run.sink.end, drawing + 0.010 + kTick + 0.5, 1e-5);
    EXPECT_EQ(run.sink.times.size(), static_cast<std::size_t>(std::ceil(run.sink.end * 100 - 1e-9)));
    EXPECT_EQ(run.sink.last.pixels, stillPicture(threeStrokes()).pixels);
}

TEST(Timelapse, AtAnyRateTheOutputEndsOnTheFinishedPicture) {
    // Whatever the grid, the last stroke may end between two frames, and
    // the last frame must still show it finished, with a hold or without.
    const auto block = threeStrokes();
    const tools::Picture still = stillPicture(block);
    for (double hold : {0.0, 0.2}) {
        for (int fps = 7; fps <= 97; fps += 6) {
            tools::TimelapseSettings settings;
            settings.fps = fps;
            settings.holdSeconds = hold;
            Recorded run;
            record(block, settings, run);
            ASSERT_TRUE(run.ok) << run.result.message;
            EXPECT_EQ(run.sink.last.pixels, still.pixels) << fps << " fps, hold " << hold;
            EXPECT_GT(run.sink.end, run.sink.times.back()) << fps << " fps, hold " << hold;
        }
    }
}

TEST(Timelapse, SpeedAndDurationCompressTheShowButNotTheHold) {
    Recorded plain;
    record(threeStrokes(), {}, plain);
    tools::TimelapseSettings fast;
    fast.speed = 4;
    Recorded quick;
    record(threeStrokes(), fast, quick);
    ASSERT_EQ(quick.sink.times.size(), plain.sink.times.size());
    for (std::size_t i = 0; i < plain.sink.times.size(); ++i)
        EXPECT_NEAR(quick.sink.times[i], plain.sink.times[i] / 4, 1e-9);
    EXPECT_NEAR(quick.sink.end - quick.sink.times.back(), 3.0 + (0.010 + kTick) / 4, 1e-5);

    tools::TimelapseSettings fitted;
    fitted.durationSeconds = 3.2;
    fitted.finalFirst = true;
    fitted.holdSeconds = 1;
    Recorded fit;
    record(threeStrokes(), fitted, fit);
    ASSERT_TRUE(fit.ok) << fit.result.message;
    EXPECT_NEAR(fit.sink.end, 3.2, 1e-6);
    ASSERT_EQ(fit.sink.times.size(), 5u) << "the finished picture first, then the show";
    EXPECT_DOUBLE_EQ(fit.sink.times[1], tools::kFinalFirstSeconds);

    // On a frame grid that does not meet the second, the show starts on the
    // first frame after the finished picture's full second, never before.
    tools::TimelapseSettings grid;
    grid.fps = 2.5;
    grid.finalFirst = true;
    Recorded gridded;
    record(threeStrokes(), grid, gridded);
    ASSERT_TRUE(gridded.ok) << gridded.result.message;
    grid.finalFirst = false;
    Recorded ungridded;
    record(threeStrokes(), grid, ungridded);
    // Three frames of 0.4 s hold the finished picture first.
    EXPECT_NEAR(gridded.sink.end - ungridded.sink.end, 1.2, 1e-9);
    EXPECT_EQ(gridded.sink.times.size(), ungridded.sink.times.size() + 3);

    tools::TimelapseSettings impossible;
    impossible.durationSeconds = 2;
    Recorded none;
    record(threeStrokes(), impossible, none);
    EXPECT_FALSE(none.ok);
    EXPECT_NE(none.result.message.find("--duration"), std::string::npos);
    EXPECT_FALSE(none.sink.finished);
}

// The three strokes on a small screen, for runs with the splashes: whole
// screens every 100 ms of the show, so a tighter bound keeps a show that
// never ends from taking tens of thousands of them.
tools::ShowSetup splashSetup() {
    tools::ShowSetup setup = testing_support::boundedSetup(threeStrokes());
    setup.maxShowMs = 120 * 1000;
    setup.screenWidth = 320;
    setup.screenHeight = 240;
    return setup;
}

TEST(Timelapse, SplashesComeAsWholeScreensAndTheClosingOneEndsTheShow) {
    tools::TimelapseSettings settings;
    settings.includeSplash = true;
    settings.holdSeconds = 1;
    Recorded run;
    tools::ShowSetup setup = splashSetup();
    std::vector<tools::FrameSink*> sinks{&run.sink};
    ASSERT_TRUE(tools::recordTimelapse(setup, settings, sinks, nullptr, run.result)) << run.result.message;
    EXPECT_TRUE(run.result.outcome.stop == tools::ShowStop::None)
        << testing_support::describeNeverEnding(run.result.outcome.stop, setup.maxShowMs);
    EXPECT_EQ(run.sink.last.width, 320);
    EXPECT_DOUBLE_EQ(run.sink.times.front(), 0.0);
    // The opening splash before 6 s, the show, a second's hold, then 6 to 7 s of closing splash.
    EXPECT_GT(run.sink.end, 6.0 + 1 + 6);
    EXPECT_LT(run.sink.end, 6.5 + 1 + 7.5);
    EXPECT_EQ(run.result.finished.width, 74) << "-o still gets the window";
}

// With the splashes the hold lasts what was asked for in the output at any
// speed: the longest still stretch, from the finished picture to the
// closing splash, is the hold and at most a GIF frame more; and a set
// duration is kept to the millisecond, frames at a fixed rate included.
TEST(Timelapse, WithTheSplashesTheHoldIsInOutputSecondsAtAnySpeed) {
    const struct {
        double speed, duration, fps;
    } cases[] = {{4, 0, 0}, {1, 7, 0}, {1, 7, 10}};
    for (const auto& c : cases) {
        tools::TimelapseSettings settings;
        settings.includeSplash = true;
        settings.holdSeconds = 3;
        settings.speed = c.speed;
        settings.durationSeconds = c.duration;
        settings.fps = c.fps;
        Recorded run;
        tools::ShowSetup setup = splashSetup();
        std::vector<tools::FrameSink*> sinks{&run.sink};
        ASSERT_TRUE(tools::recordTimelapse(setup, settings, sinks, nullptr, run.result)) << run.result.message;
        const std::string what = "speed " + std::to_string(c.speed) + ", duration " + std::to_string(c.duration) +
                                 ", fps " + std::to_string(c.fps);
        if (c.duration > 0) {
            EXPECT_NEAR(run.sink.end, c.duration, 1e-3) << what;
        }
        if (c.fps > 0) {
            for (std::size_t i = 0; i < run.sink.times.size(); ++i)
                ASSERT_NEAR(run.sink.times[i], static_cast<double>(i) / c.fps, 1e-9) << what << ", frame " << i;
            EXPECT_GE(static_cast<double>(run.sink.times.size()), c.duration * c.fps - 1) << what;
            continue;
        }
        double longest = 0;
        for (std::size_t i = 1; i < run.sink.times.size(); ++i)
            longest = std::max(longest, run.sink.times[i] - run.sink.times[i - 1]);
        EXPECT_GE(longest, 3.0 - 1e-6) << what;
        EXPECT_LE(longest, 3.02) << what;
    }
}

TEST(Timelapse, AFailingSinkStopsTheRecordingUnfinished) {
    Recorded run;
    run.sink.failAt = 2;
    record(threeStrokes(), {}, run);
    EXPECT_FALSE(run.ok);
    EXPECT_EQ(run.result.message, "refused on purpose");
    EXPECT_FALSE(run.sink.finished);
}

TEST(Timelapse, ACorruptedPlayerGivesNoFrames) {
    // A file that claims to be a player but fails the check.
    tools::ShowSetup setup = testing_support::boundedSetup(threeStrokes());
    setup.programPath = "/nonexistent/quillcast.exe";
    RecordingSink sink;
    tools::TimelapseResult result;
    std::vector<tools::FrameSink*> sinks{&sink};
    const bool ok = tools::recordTimelapse(setup, {}, sinks, nullptr, result);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(result.corrupted) << result.message;
    EXPECT_FALSE(sink.finished);
}

}  // namespace
