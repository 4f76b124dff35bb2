// The bounds on a show: virtual time and real work. A bounded show ends
// cleanly, with the picture as it stood and every player resource freed.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/emu/desktop.h"
#include "tests/support/block_builder.h"
#include "tests/support/show_bounds.h"
#include "engine/player/headless_player.h"

using testing_support::BlockBuilder;

namespace {

// Strokes that cross the whole 16-bit plane: 65535 points a segment.
std::vector<std::uint8_t> longStrokes(int strokes) {
    BlockBuilder b(100, 100);
    b.brushSize(4);
    for (int i = 0; i < strokes; ++i) b.stroke({{-32768, 50}, {32767, 50}, {-32768, 60}});
    return b.block();
}

tools::ShowOutcome play(const std::vector<std::uint8_t>& block, std::uint64_t maxShowMs, std::uint64_t workLimit) {
    tools::ShowSetup setup;
    setup.block = block;
    setup.maxShowMs = maxShowMs;
    setup.workLimit = workLimit;
    return tools::runShow(setup);
}

TEST(ShowLimits, WorkLimitStopsALongStrokeAndKeepsThePicture) {
    const tools::ShowOutcome outcome = play(longStrokes(50), 0, 300000);
    EXPECT_EQ(outcome.stop, tools::ShowStop::WorkLimit);
    ASSERT_TRUE(outcome.captured);
    EXPECT_EQ(outcome.picture.width, 114);
    // Stopped within the third stroke: 2 x 131070 points, then the limit.
    EXPECT_LT(outcome.endMs, 8000u);
    EXPECT_STREQ(tools::describeStop(outcome.stop), "the work limit");
}

TEST(ShowLimits, TimeLimitStopsDuringTheSplashOrTheStrokes) {
    tools::ShowOutcome outcome = play(longStrokes(3), 3000, 0);
    EXPECT_EQ(outcome.stop, tools::ShowStop::TimeLimit);
    EXPECT_EQ(outcome.endMs, 3000u);
    EXPECT_TRUE(outcome.captured);

    BlockBuilder many(60, 40);
    for (int i = 0; i < 2000; ++i) many.stroke({{i % 60, 0}, {i % 60, 39}});
    outcome = play(many.block(), 9000, 0);
    EXPECT_EQ(outcome.stop, tools::ShowStop::TimeLimit);
    EXPECT_EQ(outcome.endMs, 9000u);
    EXPECT_STREQ(tools::describeStop(outcome.stop), "--max-seconds");
}

TEST(ShowLimits, ABoundedShowFreesWhatAFinishedShowFrees) {
    const std::vector<std::uint8_t> small = BlockBuilder(100, 100).stroke({{0, 0}, {9, 9}}).block();
    const tools::ShowOutcome finished = testing_support::playToTheEnd(small);
    ASSERT_EQ(finished.stop, tools::ShowStop::None);
    const std::size_t liveAfterFinish = emu::liveObjectCount();

    play(longStrokes(5), 0, 200000);
    EXPECT_EQ(emu::liveObjectCount(), liveAfterFinish);
    play(longStrokes(5), 2500, 0);
    EXPECT_EQ(emu::liveObjectCount(), liveAfterFinish);
    // And the next show plays as if none had been cut short.
    const tools::ShowOutcome again = testing_support::playToTheEnd(small);
    EXPECT_EQ(again.picture.pixels, finished.picture.pixels);
}

}  // namespace
