// Checkpoints: restoring puts every part of the engine back, so that the
// same records draw the same pixels again, and the cheap restore of the
// touched area leaves the same canvas as a whole one.
#include <gtest/gtest.h>

#include <cstring>

#include "canvas/pen_state.h"
#include "drawing/reader.h"
#include "engine/session/checkpoint.h"
#include "engine/session/session.h"
#include "tests/session/session_support.h"
#include "engine/samples/samples.h"

namespace {

using namespace session_support;

bool samePen(const PenState& a, const PenState& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Opens the meadow sample and plays half of it.
void openHalfMeadow() {
    std::string error;
    ASSERT_TRUE(session::open(tools::makeSample("meadow"), error)) << error;
    session::play(session::recordsEnd() / 2);
}

TEST(Checkpoint, RestoreBringsBackPixelsPenReaderAndRecords) {
    openHalfMeadow();
    session::Checkpoint before;
    session::save(before);
    const tools::Picture canvasBefore = sessionCanvas();
    const PenState penBefore = penState;
    const std::uint32_t cursorBefore = session::cursor();
    const std::vector<std::uint8_t> blockBefore = session::block();

    // The rest of the drawing, including fills and every pen mode.
    session::playToEnd();
    const tools::Picture finished = sessionCanvas();
    ASSERT_TRUE(session::restore(before));
    EXPECT_TRUE(samePicture(sessionCanvas(), canvasBefore));
    EXPECT_TRUE(samePen(penState, penBefore));
    EXPECT_EQ(session::cursor(), cursorBefore);

    // The same records again draw the same pixels: nothing was left behind,
    // the random cursor and the backing copy included (Smudge and repaints
    // read them).
    session::playToEnd();
    EXPECT_TRUE(samePicture(sessionCanvas(), finished));
    EXPECT_EQ(session::block(), blockBefore);
    session::close();
}

TEST(Checkpoint, LiveStrokeUndoneAndRedrawnIdentically) {
    std::string error;
    ASSERT_TRUE(session::openNew(120, 90, greyPalette(), true, error)) << error;
    ASSERT_TRUE(appendRecord(1, 4));  // Speckle: 64 draws at the start of each stroke
    ASSERT_TRUE(appendRecord(0, 0x10FF0000));
    wavyStroke(4, 30, 30, 1);
    ASSERT_TRUE(session::endStroke());

    session::Checkpoint mark;
    session::save(mark);
    const tools::Picture beforeStroke = sessionCanvas();
    const std::uint32_t endBefore = session::recordsEnd();
    for (int attempt = 0; attempt < 3; ++attempt) {
        wavyStroke(10, 50, 25, 5);
        ASSERT_TRUE(session::endStroke());
        EXPECT_GT(session::recordsEnd(), endBefore);
        ASSERT_TRUE(session::restore(mark));  // the cheap way: only the touched area
        EXPECT_EQ(session::recordsEnd(), endBefore);
        EXPECT_TRUE(samePicture(sessionCanvas(), beforeStroke)) << attempt;
    }
    // Drawn once more and kept: the whole show agrees with the canvas.
    wavyStroke(10, 50, 25, 5);
    ASSERT_TRUE(session::endStroke());
    const tools::Picture kept = sessionCanvas();
    EXPECT_TRUE(samePicture(kept, showCanvas(session::block())));
    session::close();
}

TEST(Checkpoint, MidStrokeCheckpointCarriesTheStroke) {
    std::string error;
    ASSERT_TRUE(session::openNew(100, 100, greyPalette(), false, error)) << error;
    ASSERT_TRUE(appendRecord(1, 3));  // Smudge reads the picture and keeps a sample point
    ASSERT_TRUE(appendRecord(0, 0x0000FF));
    ASSERT_TRUE(appendRecord(4, 0));
    ASSERT_TRUE(appendRecord(0, 0xFFFFFF));
    ASSERT_TRUE(appendRecord(1, 1));
    wavyStroke(0, 50, 30, 2);
    ASSERT_TRUE(session::endStroke());
    ASSERT_TRUE(appendRecord(1, 3));
    session::beginStroke(50, 0);
    session::strokeTo(50, 40, 0);
    session::Checkpoint mid;
    session::save(mid);
    session::strokeTo(60, 95, 0);
    ASSERT_TRUE(session::endStroke());
    const tools::Picture once = sessionCanvas();
    ASSERT_TRUE(session::restore(mid));
    EXPECT_TRUE(session::isStroking());
    session::strokeTo(60, 95, 0);
    ASSERT_TRUE(session::endStroke());
    EXPECT_TRUE(samePicture(sessionCanvas(), once));
    EXPECT_TRUE(samePicture(once, showCanvas(session::block())));  // once was taken before the show
    session::close();
}

TEST(Checkpoint, AnyCheckpointOfTheRecordsRestoresWholeStaleOnesAreRefused) {
    openHalfMeadow();
    session::Checkpoint first;
    session::save(first);
    const tools::Picture atFirst = sessionCanvas();
    session::play(session::recordsEnd(), 20);
    session::Checkpoint second;
    session::save(second);
    const tools::Picture atSecond = sessionCanvas();
    session::play(session::recordsEnd(), 20);
    // first is not the last one saved: the whole canvas goes back.
    ASSERT_TRUE(session::restore(first));
    EXPECT_TRUE(samePicture(sessionCanvas(), atFirst));
    // Forward again: the block still holds what second was taken after.
    ASSERT_TRUE(session::restore(second));
    EXPECT_TRUE(samePicture(sessionCanvas(), atSecond));

    // A checkpoint after appended records that a restore then dropped.
    session::playToEnd();
    session::Checkpoint finished;
    session::save(finished);
    ASSERT_TRUE(appendRecord(0, 0x123456));
    session::Checkpoint appended;
    session::save(appended);
    ASSERT_TRUE(session::restore(finished));
    EXPECT_FALSE(session::restore(appended));

    std::string error;
    ASSERT_TRUE(session::open(tools::makeSample("quick"), error)) << error;
    EXPECT_FALSE(session::restore(first));  // another session's
    session::close();
}

}  // namespace
