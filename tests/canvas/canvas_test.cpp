#include "canvas/canvas.h"

#include "canvas/pen_modes.h"
#include "canvas/random_table.h"
#include "tests/canvas/canvas_fixture.h"

namespace {

using CanvasTest = CanvasFixture;

TEST_F(CanvasTest, GeometryOf300By400) {
    startCanvas(300, 400);
    EXPECT_EQ(canvas->totalWidth(), 314);
    EXPECT_EQ(canvas->totalHeight(), 414);
    EXPECT_EQ(clipRect.left, 7);
    EXPECT_EQ(clipRect.top, 7);
    EXPECT_EQ(clipRect.right, 307);
    EXPECT_EQ(clipRect.bottom, 407);
    // The clear covers (7, 7) to (306, 406) inclusive, in both copies.
    EXPECT_EQ(shown(306, 406), 0xFFFFFFu);
    EXPECT_EQ(backing(7, 7), 0xFFFFFFu);
    EXPECT_EQ(backing(306, 406), 0xFFFFFFu);
    EXPECT_NE(backing(307, 406), 0xFFFFFFu);
    EXPECT_NE(backing(306, 407), 0xFFFFFFu);
}

TEST_F(CanvasTest, GeometryOfTheDefault200By200) {
    startCanvas(200, 200);
    EXPECT_EQ(canvas->totalWidth(), 214);
    EXPECT_EQ(canvas->totalHeight(), 214);
    EXPECT_EQ(clipRect.right, 207);
    EXPECT_EQ(clipRect.bottom, 207);
}

TEST_F(CanvasTest, NothingHappensBeforeSetUpButTheSetters) {
    makeCanvas();
    SetPixel(windowDc, 50, 50, 0x123456);
    canvas->setPenColour(0x02ABCDEF);
    canvas->setDensity(7);
    canvas->setPenMode(0x00050002);
    EXPECT_EQ(penState.penColour, 0x02ABCDEFu);
    EXPECT_EQ(penState.density, 7);
    EXPECT_EQ(penState.penMode, Darken);

    canvas->repaint(windowDc);
    canvas->clear(windowDc);
    canvas->fill(windowDc);
    canvas->beginStroke();
    canvas->drawSegment(windowDc, 40, 50, 60, 50);
    EXPECT_FALSE(canvas->isReady());
    EXPECT_EQ(shown(50, 50), 0x123456u);
    EXPECT_EQ(penState.randomIndex, 0);
    EXPECT_EQ(penState.penColour, 0x02ABCDEFu) << "fill did not add the flag";
    EXPECT_EQ(clipRect.right, 0);
}

TEST_F(CanvasTest, SetUpResetsThePenButKeepsTheDensity) {
    makeCanvas();
    canvas->setDensity(5);
    canvas->setPenMode(Smudge);
    canvas->setPenColour(1);
    penState.randomIndex = 77;
    canvas->setUp(nullptr, 7, 7, 200, 200, 7, 7, 10, 10);
    EXPECT_TRUE(canvas->isReady());
    EXPECT_EQ(penState.penMode, Blend);
    EXPECT_EQ(penState.penColour, kInvalidColour);
    EXPECT_EQ(penState.secondColour, kInvalidColour);
    EXPECT_EQ(penState.thirdColour, kInvalidColour);
    EXPECT_EQ(penState.randomIndex, 0);
    EXPECT_EQ(penState.density, 5);
    EXPECT_EQ(clipRect.right, 0) << "the clip waits for the first repaint";
}

TEST_F(CanvasTest, StrokesBeforeTheFirstRepaintDrawNothing) {
    makeCanvas();
    canvas->setUp(nullptr, 7, 7, 200, 200, 7, 7, 10, 10);
    canvas->setPenColour(0x02112233);
    canvas->beginStroke();
    canvas->drawSegment(windowDc, 50, 50, 60, 50);
    EXPECT_EQ(penState.randomIndex, 0);
}

TEST_F(CanvasTest, ClearPaintsWhiteAndSetsTheCanvasColour) {
    startCanvas();
    EXPECT_EQ(shown(7, 7), 0xFFFFFFu);
    EXPECT_EQ(shown(206, 206), 0xFFFFFFu);
    EXPECT_EQ(backing(100, 100), 0xFFFFFFu);
    EXPECT_EQ(penState.canvasColour, 0x2FFFFFFu);
}

TEST_F(CanvasTest, FillLeavesThePaletteFlagOnThePenColour) {
    startCanvas();
    canvas->setPenColour(0x00336699);
    canvas->fill(windowDc);
    EXPECT_EQ(penState.penColour, 0x02336699u);
    EXPECT_EQ(penState.canvasColour, 0x02336699u);
    EXPECT_EQ(shown(7, 7), 0x336699u);
    EXPECT_EQ(backing(206, 206), 0x336699u);
    canvas->setPenColour(0x00BFBFBF);
    EXPECT_EQ(penState.penColour, 0x00BFBFBFu) << "exactly the value passed";
}

TEST_F(CanvasTest, RepaintRestoresTheCanvasFromTheBackingBitmap) {
    startCanvas();
    canvas->setPenColour(0x02112233);
    canvas->setBrushSize(3);
    canvas->beginStroke();
    canvas->drawSegment(windowDc, 20, 30, 150, 90);
    std::vector<std::uint32_t> before;
    for (int y = 7; y < 207; ++y)
        for (int x = 7; x < 207; ++x) before.push_back(shown(x, y));

    // Something covered the window; the paint message brings the picture back.
    const RECT all{0, 0, 214, 214};
    const HBRUSH black = CreateSolidBrush(0);
    FillRect(windowDc, &all, black);
    DeleteObject(black);
    canvas->repaint(windowDc);
    std::size_t i = 0;
    for (int y = 7; y < 207; ++y)
        for (int x = 7; x < 207; ++x) ASSERT_EQ(shown(x, y), before[i++]) << x << "," << y;
}

TEST_F(CanvasTest, PlottingTheInvalidColourStoresBlack) {
    startCanvas();
    canvas->plotPixel(windowDc, 30, 40, kInvalidColour);
    EXPECT_EQ(shown(30, 40), 0u);
    EXPECT_EQ(backing(30, 40), 0u);
}

TEST_F(CanvasTest, SecondSetUpStartsAFreshBackingBitmap) {
    startCanvas(100, 100);
    canvas->setUp(nullptr, 7, 7, 300, 250, 7, 7, 10, 10);
    canvas->repaint(windowDc);
    EXPECT_EQ(canvas->totalWidth(), 314);
    EXPECT_EQ(canvas->totalHeight(), 264);
    canvas->plotPixel(windowDc, 280, 240, 0x00123456);
    EXPECT_EQ(backing(280, 240), 0x123456u) << "the new, larger bitmap is selected";
}

}  // namespace
