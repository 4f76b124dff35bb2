// Recording: the pen goes into the block only as needed, what the canvas
// shows is what a whole show of the block shows, and the budget refuses a
// stroke without losing anything.
#include <gtest/gtest.h>

#include "engine/session/session.h"
#include "studio/recorder.h"
#include "tests/session/session_support.h"
#include "tests/support/block_builder.h"

namespace {

using namespace session_support;

void zigzag(studio::Recorder& r, double x0, double y0, int points, int pressure, bool pen = false) {
    r.beginStroke(x0, y0, pressure, pen);
    for (int i = 1; i < points; ++i) r.strokeTo(x0 + i * 2.5, y0 + (i % 2) * 6, (pressure + i) % 16);
}

TEST(Recorder, PenRecordsOnlyWhenTheyChange) {
    studio::Recorder r;
    std::string error;
    ASSERT_TRUE(r.openNew(200, 150, greyPalette(), false, error)) << error;
    const std::uint32_t start = r.bytesUsed();
    studio::PenChoice pen;
    pen.colour = 0x3366CC;
    pen.mode = 1;
    pen.level = 3;
    r.setPen(pen);
    zigzag(r, 10, 10, 20, 0);
    ASSERT_EQ(r.endStroke(), studio::StrokeEnd::Kept);
    // Colour and level (mode 1 and density 1000 are where the start left them).
    EXPECT_EQ(r.bytesUsed() - start, 6u + 6u + 10u + 4u * 19u);
    const std::uint32_t afterFirst = r.bytesUsed();
    zigzag(r, 10, 40, 20, 0);
    ASSERT_EQ(r.endStroke(), studio::StrokeEnd::Kept);
    EXPECT_EQ(r.bytesUsed() - afterFirst, 10u + 4u * 19u);  // nothing changed: the stroke alone
    pen.mode = 4;  // Speckle records its other two colours as well
    r.setPen(pen);
    const std::uint32_t beforeSpeckle = r.bytesUsed();
    zigzag(r, 10, 70, 20, 0);
    ASSERT_EQ(r.endStroke(), studio::StrokeEnd::Kept);
    EXPECT_EQ(r.bytesUsed() - beforeSpeckle, 3u * 6u + 10u + 4u * 19u);

    const tools::Picture painted = sessionCanvas();
    EXPECT_TRUE(samePicture(painted, showCanvas(r.block())));
}

TEST(Recorder, EveryModeWithPressureDrawsWhatTheShowDraws) {
    studio::Recorder r;
    std::string error;
    ASSERT_TRUE(r.openNew(300, 400, greyPalette(), true, error)) << error;
    ASSERT_TRUE(r.carriesPressure());
    studio::PenChoice pen;
    for (int mode = 1; mode <= 4; ++mode) {
        pen.mode = mode;
        pen.colour = 0x102030u * static_cast<std::uint32_t>(mode);
        pen.level = mode % 3;
        pen.density = mode == 2 ? 4 : 1000;
        r.setPen(pen);
        zigzag(r, 20, 30.0 * mode, 60, 2 * mode, true);
        ASSERT_EQ(r.endStroke(), studio::StrokeEnd::Kept);
        if (mode == 2) {
            ASSERT_TRUE(r.fill());
        }
    }
    const tools::Picture painted = sessionCanvas();
    EXPECT_TRUE(samePicture(painted, showCanvas(r.block())));
}

TEST(Recorder, FirstPressurePenStrokeTurnsPressureOnWhileNothingIsRecorded) {
    studio::Recorder r;
    std::string error;
    ASSERT_TRUE(r.openNew(100, 100, greyPalette(), false, error)) << error;
    zigzag(r, 5, 5, 10, 9, true);
    ASSERT_EQ(r.endStroke(), studio::StrokeEnd::Kept);
    EXPECT_TRUE(r.carriesPressure());

    // Too wide for x beside a pressure, or something recorded already: no.
    ASSERT_TRUE(r.openNew(1100, 100, greyPalette(), true, error)) << error;
    EXPECT_FALSE(r.carriesPressure());
    ASSERT_TRUE(r.openNew(100, 100, greyPalette(), false, error)) << error;
    zigzag(r, 5, 5, 10, 9, false);
    ASSERT_EQ(r.endStroke(), studio::StrokeEnd::Kept);
    zigzag(r, 5, 50, 10, 9, true);
    ASSERT_EQ(r.endStroke(), studio::StrokeEnd::Kept);
    EXPECT_FALSE(r.carriesPressure());
    session::close();
}

TEST(Recorder, ClickLeavesADotAndRepeatedPointsAreNotStored) {
    studio::Recorder r;
    std::string error;
    ASSERT_TRUE(r.openNew(50, 50, greyPalette(), false, error)) << error;
    r.beginStroke(10.2, 10.7, 0);
    r.strokeTo(10.9, 10.1, 0);  // the same pixel
    const std::uint32_t before = r.bytesUsed();
    ASSERT_EQ(r.endStroke(), studio::StrokeEnd::Kept);
    // Colour 0 and level 2 differ from the start pen; then two points.
    EXPECT_EQ(r.bytesUsed() - before, 14u);
    EXPECT_NE(r.colourAt(10, 10), 0xFFFFFFu);
    session::close();
}

TEST(Recorder, SimplifiedStrokeIsDrawnAsRecorded) {
    studio::Recorder r;
    std::string error;
    ASSERT_TRUE(r.openNew(200, 60, greyPalette(), false, error)) << error;
    studio::RecordingOptions options;
    options.tolerance = 1.5;
    r.setOptions(options);
    r.beginStroke(5, 30, 0);
    for (int i = 1; i <= 150; ++i) r.strokeTo(5 + i, 30 + (i % 2), 0);  // a straight line, one pixel of wobble
    ASSERT_EQ(r.endStroke(), studio::StrokeEnd::Kept);
    EXPECT_LT(r.bytesUsed(), 1056u + 12u + 10u + 4u * 10u);
    const tools::Picture painted = sessionCanvas();
    EXPECT_TRUE(samePicture(painted, showCanvas(r.block())));
}

TEST(Recorder, StrokeThatDoesNotFitIsRefusedAndNothingIsLost) {
    testing_support::BlockBuilder b(120, 120);
    b.colour(0x0000FF).brushSize(2).stroke({{10, 10}, {100, 100}});
    b.seek(format::kDrawingBlockSize - 100).colour(0x00FF00);
    studio::Recorder r;
    std::string error;
    ASSERT_TRUE(r.open(b.block(), error)) << error;
    const tools::Picture before = sessionCanvas();
    const std::vector<std::uint8_t> blockBefore = r.block();
    studio::PenChoice pen;
    pen.colour = 0x00FF00;
    pen.level = 2;
    r.setPen(pen);
    zigzag(r, 5, 60, 40, 0);  // 166 bytes: the block has 94 left
    EXPECT_FALSE(r.strokeFits());
    EXPECT_EQ(r.endStroke(), studio::StrokeEnd::Refused);
    EXPECT_TRUE(samePicture(sessionCanvas(), before));
    EXPECT_EQ(r.block(), blockBefore);
    EXPECT_FALSE(r.canUndo());
    // A short one still fits, and the estimate knows the room is small.
    zigzag(r, 5, 60, 10, 0);
    EXPECT_EQ(r.endStroke(), studio::StrokeEnd::Kept);
    EXPECT_LT(r.strokesLeft(), 2u);
    session::close();
}

}  // namespace
