// Undo and redo: each step leaves the canvas and the block exactly as a
// whole show of the block then, also past many kept checkpoints.
#include <gtest/gtest.h>

#include "engine/session/session.h"
#include "studio/recorder.h"
#include "tests/session/session_support.h"

namespace {

using namespace session_support;

struct Step {
    std::uint32_t bytes;
    tools::Picture canvas;
};

Step now() { return Step{session::recordsEnd(), sessionCanvas()}; }

void expectStep(const Step& s, const char* what) {
    EXPECT_EQ(session::recordsEnd(), s.bytes) << what;
    EXPECT_TRUE(samePicture(sessionCanvas(), s.canvas)) << what;
}

TEST(History, UndoAndRedoStepThroughEveryStateExactly) {
    studio::Recorder r;
    std::string error;
    ASSERT_TRUE(r.openNew(160, 160, greyPalette(), true, error)) << error;
    std::vector<Step> steps{now()};
    studio::PenChoice pen;
    for (int i = 0; i < 30; ++i) {  // several checkpoints' worth
        pen.mode = 1 + i % 4;
        pen.colour = static_cast<std::uint32_t>(i) * 0x070B13u;
        r.setPen(pen);
        if (i == 11) {
            ASSERT_TRUE(r.fill());
        } else {
            r.beginStroke(5 + i * 4, 5, i % 16);
            for (int k = 1; k < 25; ++k) r.strokeTo(5 + i * 4 + (k % 3), 5 + k * 6, (i + k) % 16);
            ASSERT_EQ(r.endStroke(), studio::StrokeEnd::Kept);
        }
        steps.push_back(now());
    }
    const std::vector<std::uint8_t> full = r.block();
    for (std::size_t i = steps.size() - 1; i-- > 0;) {
        ASSERT_TRUE(r.undo());
        expectStep(steps[i], "undo");
    }
    EXPECT_FALSE(r.undo());
    for (std::size_t i = 1; i < steps.size(); ++i) {
        ASSERT_TRUE(r.redo());
        expectStep(steps[i], "redo");
    }
    EXPECT_FALSE(r.redo());
    EXPECT_EQ(r.block(), full);

    // Undo a few, paint anew: redo is gone, and the show agrees.
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(r.undo());
    r.beginStroke(80, 80, 5);
    r.strokeTo(120, 90, 12);
    ASSERT_EQ(r.endStroke(), studio::StrokeEnd::Kept);
    EXPECT_FALSE(r.canRedo());
    const tools::Picture painted = sessionCanvas();
    EXPECT_TRUE(samePicture(painted, showCanvas(r.block())));
}

TEST(History, UndoneActionsLeaveTheBlockZeroAfterTheRecords) {
    studio::Recorder r;
    std::string error;
    ASSERT_TRUE(r.openNew(60, 60, greyPalette(), false, error)) << error;
    const std::vector<std::uint8_t> empty = r.block();
    r.beginStroke(1, 1, 0);
    r.strokeTo(50, 50, 0);
    ASSERT_EQ(r.endStroke(), studio::StrokeEnd::Kept);
    ASSERT_TRUE(r.undo());
    EXPECT_EQ(r.block(), empty);
    session::close();
}

}  // namespace
