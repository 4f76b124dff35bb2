#include <vector>

#include "canvas/pen_modes.h"
#include "canvas/random_table.h"
#include "tests/canvas/canvas_fixture.h"

namespace {

constexpr std::uint32_t kInk = 0x02112233;
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kHalfInk = 0x889099;  // kInk blended onto white

class StrokeTest : public CanvasFixture {
protected:
    void SetUp() override {
        CanvasFixture::SetUp();
        startCanvas();
        canvas->setPenColour(kInk);
        canvas->setBrushSize(0);
    }
};

TEST_F(StrokeTest, SegmentTracesUpToButNotIncludingItsEnd) {
    canvas->beginStroke();
    canvas->drawSegment(windowDc, 10, 10, 13, 10);
    for (int x = 10; x <= 12; ++x) EXPECT_EQ(shown(x, 10), 0x112233u) << x;
    EXPECT_EQ(shown(13, 10), kWhite);
    EXPECT_EQ(penState.randomIndex, 3);
    EXPECT_EQ(penState.lastPoint.x, 12);
    EXPECT_EQ(penState.beginStroke, 0);
}

TEST_F(StrokeTest, EqualEndsTraceNothingAndKeepTheStrokeBeginning) {
    canvas->beginStroke();
    canvas->drawSegment(windowDc, 20, 20, 20, 20);
    EXPECT_EQ(penState.randomIndex, 0);
    EXPECT_EQ(penState.beginStroke, 1);
    EXPECT_EQ(shown(20, 20), kWhite);
}

TEST_F(StrokeTest, SpeckleRefreshesTheMatrixAtEveryFirstSegment) {
    canvas->setPenMode(Speckle);
    canvas->beginStroke();
    canvas->drawSegment(windowDc, 20, 20, 20, 20);
    EXPECT_EQ(penState.randomIndex, 64) << "refreshed although nothing was traced";
    canvas->drawSegment(windowDc, 20, 20, 22, 20);
    EXPECT_EQ(penState.speckleMatrix[0], randomTable[64]) << "refreshed again: the stroke had not begun";
    EXPECT_EQ(penState.randomIndex, 128 + 2);
    canvas->drawSegment(windowDc, 22, 20, 24, 20);
    EXPECT_EQ(penState.randomIndex, 128 + 4) << "later segments do not refresh";
}

TEST_F(StrokeTest, LevelOneStampBesideThePreviousSkipsTheCoveredEdge) {
    canvas->setBrushSize(1);
    canvas->beginStroke();
    canvas->traceStep(50, 50, windowDc);
    EXPECT_EQ(penState.randomIndex, 5) << "the first stamp is full";
    canvas->traceStep(51, 50, windowDc);
    EXPECT_EQ(penState.randomIndex, 9) << "core and three edge pixels";
    EXPECT_EQ(shown(50, 50), 0x112233u) << "the covered edge did not blend over the old core";
    EXPECT_EQ(shown(51, 50), 0x112233u);
    EXPECT_EQ(shown(51, 49), kHalfInk);
    EXPECT_EQ(shown(52, 50), kHalfInk);
    EXPECT_EQ(shown(51, 51), kHalfInk);
}

TEST_F(StrokeTest, PressureMakesTheFirstStampOfEachSegmentFull) {
    canvas->setBrushSize(1);
    canvas->beginStroke();
    canvas->setPressure(5);
    canvas->drawSegment(windowDc, 50, 60, 53, 60);
    EXPECT_EQ(penState.randomIndex, 5 + 4 + 4);
    canvas->setPressure(5);  // same level
    canvas->drawSegment(windowDc, 53, 60, 55, 60);
    EXPECT_EQ(penState.randomIndex, 13 + 5 + 4);
    canvas->drawSegment(windowDc, 55, 60, 57, 60);
    EXPECT_EQ(penState.randomIndex, 22 + 4 + 4) << "no pressure: only the stroke's first stamp was full";
}

TEST_F(StrokeTest, SmudgeStampsAreAlwaysFull) {
    canvas->setBrushSize(3);
    canvas->setPenMode(Smudge);
    SetPixel(windowDc, 60, 80, 0x0000FF);
    penState.samplePoint = PenPoint{60, 80};
    penState.randomIndex = 150;
    canvas->traceStep(63, 80, windowDc);
    // Walk the draws back into decisions: one draw below a third, else two.
    int decisions = 0;
    for (int index = 150; index != penState.randomIndex && decisions < 100; ++decisions)
        index = (index + (randomTable[index] < kOneThird ? 1 : 2)) % kRandomTableSize;
    EXPECT_EQ(decisions, 25) << "dx = 3 would cover the left edge pixels, but the stamp is full";
}

TEST_F(StrokeTest, PressureLevels) {
    const std::pair<std::int16_t, std::int16_t> cases[] = {{0, 0}, {3, 0}, {4, 1}, {6, 1}, {7, 2},
                                                           {9, 2}, {10, 3}, {12, 3}, {13, 4}, {15, 4}};
    for (const auto& [pressure, level] : cases) {
        penState.levelUpdated = 0;
        canvas->setPressure(pressure);
        EXPECT_EQ(penState.brushLevel, level) << pressure;
        EXPECT_EQ(penState.levelUpdated, 1);
    }
    canvas->setBrushSize(2);
    for (std::int16_t pressure = 0; pressure <= 9; ++pressure) {
        canvas->setPressure(pressure);
        EXPECT_EQ(penState.brushLevel, 2) << pressure;
    }
    canvas->setPressure(13);
    EXPECT_EQ(penState.brushLevel, 4);
}

TEST_F(StrokeTest, BrushSizeKeepsTheLow16BitsAndLeavesLevelUpdated) {
    penState.levelUpdated = 0;
    canvas->setBrushSize(0x00030002);
    EXPECT_EQ(penState.brushLevel, 2);
    EXPECT_EQ(penState.minBrushLevel, 2);
    EXPECT_EQ(penState.levelUpdated, 0);
}

TEST_F(StrokeTest, BrushLevelWithoutMaskDrawsNothingButTheStrokeMovesOn) {
    for (std::int32_t size : {5, -1, 0x7FFF}) {
        canvas->setBrushSize(size);
        canvas->beginStroke();
        canvas->drawSegment(windowDc, 30, 30, 34, 30);
        EXPECT_EQ(penState.randomIndex, 0) << size;
        EXPECT_EQ(shown(30, 30), kWhite);
        EXPECT_EQ(penState.lastPoint.x, 33);
        EXPECT_EQ(penState.beginStroke, 0);
    }
    canvas->setBrushSize(6);
    canvas->setPressure(1);  // raised to the minimum, which has no mask either
    canvas->drawSegment(windowDc, 30, 30, 34, 30);
    EXPECT_EQ(penState.randomIndex, 0);
}

TEST_F(StrokeTest, PixelsOnOrPastTheRightAndBottomLinesCostNothing) {
    canvas->setBrushSize(4);
    canvas->beginStroke();
    // Centre on the last canvas pixel: only the stamp's upper-left quarter is inside.
    const std::uint32_t frameRight = shown(207, 206);
    const std::uint32_t frameBelow = backing(206, 207);
    canvas->traceStep(206, 206, windowDc);
    EXPECT_EQ(penState.randomIndex, 2 + 3 + 4 + 4) << "rows 0 to 3, columns 0 to 3 of the disc";
    EXPECT_EQ(shown(206, 206), 0x112233u);
    EXPECT_EQ(shown(207, 206), frameRight);
    EXPECT_EQ(backing(206, 207), frameBelow);
}

TEST_F(StrokeTest, EveryPixelGoesToTheWindowAndTheBackingBitmap) {
    canvas->setBrushSize(3);
    canvas->setDensity(3);
    canvas->beginStroke();
    canvas->drawSegment(windowDc, 20, 20, 90, 45);
    canvas->setPenMode(Darken);
    canvas->setPenColour(0x02804020);
    canvas->beginStroke();
    canvas->drawSegment(windowDc, 90, 20, 20, 45);
    for (int y = 7; y < 207; ++y)
        for (int x = 7; x < 207; ++x) ASSERT_EQ(shown(x, y), backing(x, y)) << x << "," << y;
}

// Smudge along a horizontal line: the first point only places the sample,
// then a stamp every third pixel, each carrying the colour read three back.
class SmudgeTest : public StrokeTest {
protected:
    void SetUp() override {
        StrokeTest::SetUp();
        canvas->setPenMode(Smudge);
        canvas->setBrushSize(0);
        for (int x = 20; x < 60; ++x) SetPixel(windowDc, x, 100, 0x0000FF);
    }

    // The points at which traceStep stamped, found by the draws they cost.
    std::vector<int> tracedStamps(int from, int to) {
        std::vector<int> stamped;
        for (int x = from; x < to; ++x) {
            const int before = penState.randomIndex;
            canvas->traceStep(x, 100, windowDc);
            if (penState.randomIndex != before) stamped.push_back(x);
        }
        return stamped;
    }
};

TEST_F(SmudgeTest, StampsEveryThirdPixelAfterTheFirstPoint) {
    canvas->beginStroke();
    EXPECT_EQ(tracedStamps(20, 33), (std::vector<int>{23, 26, 29, 32}));
    EXPECT_EQ(penState.penColour, kInk) << "the pen colour comes back after each stamp";
    EXPECT_EQ(penState.samplePoint.x, 32);
}

TEST_F(SmudgeTest, SampleOfTheCanvasColourIsNotStampedButMovesOn) {
    penState.canvasColour = 0x20000FF;  // the red under the line, as a fill would leave it
    canvas->beginStroke();
    EXPECT_TRUE(tracedStamps(20, 33).empty());
    EXPECT_EQ(penState.samplePoint.x, 32);
    EXPECT_EQ(penState.lastPoint.x, 29);
    EXPECT_EQ(penState.penColour, kInk);
}

TEST_F(SmudgeTest, FailedSampleReadIsNotStamped) {
    canvas->beginStroke();
    canvas->traceStep(5000, 100, windowDc);  // the sample lies outside the window
    const int before = penState.randomIndex;
    canvas->traceStep(20, 100, windowDc);
    EXPECT_EQ(penState.randomIndex, before);
    EXPECT_EQ(penState.penColour, kInk);
    EXPECT_EQ(penState.samplePoint.x, 20);
}

TEST_F(SmudgeTest, CarriesThePickedUpColour) {
    SetPixel(windowDc, 23, 100, 0xFFFFFF);
    canvas->beginStroke();
    canvas->traceStep(20, 100, windowDc);
    penState.randomIndex = 1;  // 18467 then 6334: the sample is plotted unchanged
    canvas->traceStep(23, 100, windowDc);
    EXPECT_EQ(shown(23, 100), 0x0000FFu);
    EXPECT_EQ(backing(23, 100), 0x0000FFu);
}

}  // namespace
