// The budget's strokes-left figure and the undo history kept beside a
// drawing: the figure comes from the drawing's own records, never rises
// while the drawing grows, and a history replayed on its starting block
// gives back the same block, the same figures and the same undo.
#include <gtest/gtest.h>

#include "engine/session/session.h"
#include "studio/budget.h"
#include "studio/recorder.h"
#include "tests/session/session_support.h"
#include "tests/support/block_builder.h"

namespace {

using namespace session_support;

void line(studio::Recorder& r, double x0, double y0, int points) {
    r.beginStroke(x0, y0, 0);
    for (int i = 1; i < points; ++i) r.strokeTo(x0 + i * 2, y0 + (i % 3), 0);
    ASSERT_EQ(r.endStroke(), studio::StrokeEnd::Kept);
}

TEST(Budget, StrokesLeftComeFromTheDrawingsOwnStrokes) {
    // 60 strokes of 200 points, each after a colour change, painted and
    // opened again: the figure is the room over about their size.
    studio::Recorder painter;
    std::string error;
    ASSERT_TRUE(painter.openNew(450, 300, greyPalette(), false, error)) << error;
    const std::uint32_t prologue = painter.bytesUsed();
    studio::PenChoice pen;
    for (int s = 0; s < 60; ++s) {
        pen.colour = 0x000010u * static_cast<std::uint32_t>(s + 1);
        painter.setPen(pen);
        line(painter, 2, 2 + s * 4, 200);
    }
    studio::Recorder r;
    ASSERT_TRUE(r.open(painter.block(), error)) << error;
    const std::uint32_t each = (r.bytesUsed() - prologue + 8 * 412) / (60 + 8);
    EXPECT_GT(each, 700u);
    EXPECT_EQ(r.strokesLeft(), r.bytesFree() / each);
    EXPECT_EQ(studio::countStrokes(r.block(), prologue, r.bytesUsed()), 60u);
    session::close();
}

TEST(Budget, StrokesLeftNeverRiseWhileTheDrawingGrowsAndComeBackOnUndo) {
    studio::Recorder r;
    std::string error;
    ASSERT_TRUE(r.openNew(400, 300, greyPalette(), false, error)) << error;
    std::vector<std::uint32_t> seen{r.strokesLeft()};
    // A long stroke, then dots and short ones, which pull the average down.
    line(r, 5, 5, 180);
    seen.push_back(r.strokesLeft());
    for (int i = 0; i < 12; ++i) {
        line(r, 10 + i * 20, 100, i % 3 == 0 ? 1 : 6);
        EXPECT_LE(r.strokesLeft(), seen.back()) << "after short stroke " << i;
        seen.push_back(r.strokesLeft());
    }
    ASSERT_TRUE(r.fill());
    EXPECT_LE(r.strokesLeft(), seen.back());
    // Undo finds each earlier figure again; redo the later ones.
    ASSERT_TRUE(r.undo());
    for (std::size_t i = seen.size() - 1; i > 0; --i) {
        EXPECT_EQ(r.strokesLeft(), seen[i]) << "after undoing to step " << i;
        ASSERT_TRUE(r.undo());
    }
    EXPECT_EQ(r.strokesLeft(), seen[0]);
    ASSERT_TRUE(r.redo());
    EXPECT_EQ(r.strokesLeft(), seen[1]);
    session::close();
}

TEST(Budget, AFirstDotOrTwoPromiseNoThousands) {
    studio::Recorder r;
    std::string error;
    ASSERT_TRUE(r.openNew(390, 600, greyPalette(), false, error)) << error;
    const std::uint32_t empty = r.strokesLeft();
    line(r, 20, 20, 3);
    line(r, 40, 40, 4);
    EXPECT_LE(r.strokesLeft(), empty);
    EXPECT_GT(r.strokesLeft(), empty / 2);
    session::close();
}

TEST(Budget, HistoryReplayedOnItsStartGivesTheSameDrawingFiguresAndUndo) {
    testing_support::BlockBuilder b(200, 200);
    b.colour(0x2040A0).brushSize(3).stroke({{10, 10}, {150, 120}, {30, 180}});
    studio::Recorder r;
    std::string error;
    ASSERT_TRUE(r.open(b.block(), error)) << error;
    for (int i = 0; i < 20; ++i) line(r, 5 + i * 3, 20 + i * 8, 10 + i * 5);
    ASSERT_TRUE(r.fill());
    line(r, 50, 50, 30);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(r.undo());
    const std::vector<std::uint8_t> block = r.block();
    const std::vector<std::vector<std::uint8_t>> actions = r.history().actions();
    const std::size_t done = r.history().actionCount();
    const std::uint32_t figure = r.strokesLeft();
    const tools::Picture canvas = sessionCanvas();

    // The block where the history starts: the records after it cleared.
    std::vector<std::uint8_t> start = block;
    std::fill(start.begin() + r.historyStart(), start.end(), 0);
    studio::Recorder again;
    ASSERT_TRUE(again.open(start, error)) << error;
    for (const auto& action : actions) ASSERT_TRUE(again.replayAction(action));
    while (again.history().actionCount() > done) ASSERT_TRUE(again.undo());
    EXPECT_EQ(again.block(), block);
    EXPECT_EQ(again.strokesLeft(), figure);
    EXPECT_TRUE(samePicture(sessionCanvas(), canvas));
    ASSERT_TRUE(again.redo());
    ASSERT_TRUE(again.undo());
    ASSERT_TRUE(again.undo());
    const tools::Picture undone = sessionCanvas();  // before a whole show replaces the session's state
    EXPECT_TRUE(samePicture(undone, showCanvas(again.block())));
    session::close();
}

TEST(Recorder, CancelledStrokeLeavesNoRecordAndNoPixel) {
    studio::Recorder r;
    std::string error;
    ASSERT_TRUE(r.openNew(120, 120, greyPalette(), false, error)) << error;
    line(r, 10, 10, 20);
    const std::vector<std::uint8_t> block = r.block();
    const tools::Picture before = sessionCanvas();
    studio::PenChoice pen;
    pen.colour = 0x0000FF;
    pen.mode = 2;
    r.setPen(pen);
    r.beginStroke(5, 60, 0);
    for (int i = 1; i < 40; ++i) r.strokeTo(5 + i * 2, 60, 0);
    r.cancelStroke();
    EXPECT_FALSE(r.isStroking());
    EXPECT_EQ(r.block(), block);
    EXPECT_TRUE(samePicture(sessionCanvas(), before));
    line(r, 10, 90, 5);  // the pen goes in with the next stroke that is kept
    const tools::Picture painted = sessionCanvas();
    EXPECT_TRUE(samePicture(painted, showCanvas(r.block())));
    session::close();
}

}  // namespace
