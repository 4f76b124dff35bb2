// The gilded frame as repaint paints it from the real resource bitmaps.
#include "resources/compiled_resources.h"
#include "resources/ids.h"
#include "tests/canvas/canvas_fixture.h"

namespace {

// One frame piece, readable pixel by pixel.
class Piece {
public:
    Piece(HINSTANCE instance, int id) {
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = LoadBitmapA(instance, MAKEINTRESOURCEA(id));
        SelectObject(dc_, bitmap_);
    }
    ~Piece() {
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    Piece(const Piece&) = delete;
    Piece& operator=(const Piece&) = delete;
    std::uint32_t at(int x, int y) const { return GetPixel(dc_, x, y) & 0xFFFFFF; }

private:
    HDC dc_;
    HBITMAP bitmap_;
};

class FrameTest : public CanvasFixture {
protected:
    void SetUp() override {
        CanvasFixture::SetUp();
        instance = emu::createModule(compiledResources(), compiledResourcesSize(), "quillcast.exe");
    }
    HINSTANCE instance = nullptr;
};

TEST_F(FrameTest, PiecesSitAroundA200By200Canvas) {
    startCanvas(200, 200, instance);
    const Piece horizontal(instance, kFrameHorizontalEdge);
    const Piece vertical(instance, kFrameVerticalEdge);
    const Piece topLeft(instance, kFrameTopLeft);
    const Piece topRight(instance, kFrameTopRight);
    const Piece bottomRight(instance, kFrameBottomRight);
    const Piece bottomLeft(instance, kFrameBottomLeft);

    EXPECT_EQ(shown(100, 0), horizontal.at(100, 0));
    EXPECT_EQ(shown(100, 210), horizontal.at(100, 3));
    EXPECT_EQ(shown(0, 100), vertical.at(0, 100));
    EXPECT_EQ(shown(210, 100), vertical.at(3, 100));
    EXPECT_EQ(shown(0, 0), topLeft.at(0, 0));
    EXPECT_EQ(shown(213, 0), topRight.at(9, 0));
    EXPECT_EQ(shown(213, 213), bottomRight.at(9, 9));
    EXPECT_EQ(shown(0, 213), bottomLeft.at(0, 9));
    EXPECT_EQ(shown(9, 6), topLeft.at(9, 6)) << "the corner covers the edge's end";
    EXPECT_EQ(shown(9, 9), 0xFFFFFFu) << "the canvas covers the corner's inner part";
}

TEST_F(FrameTest, EdgesLongerThanAPieceRepeatIt) {
    startCanvas(600, 1020, instance);
    const Piece horizontal(instance, kFrameHorizontalEdge);
    const Piece vertical(instance, kFrameVerticalEdge);
    for (int x : {20, 499, 500, 550, 600}) {
        EXPECT_EQ(shown(x, 2), horizontal.at(x % 500, 2)) << x;
        EXPECT_EQ(shown(x, 1029), horizontal.at(x % 500, 2)) << x;
    }
    for (int y : {20, 499, 500, 999, 1000, 1020}) {
        EXPECT_EQ(shown(3, y), vertical.at(3, y % 500)) << y;
        EXPECT_EQ(shown(610, y), vertical.at(3, y % 500)) << y;
    }
}

TEST_F(FrameTest, DestructionReleasesEveryObjectEvenAfterASecondSetUp) {
    makeCanvas();
    canvas.reset();
    const std::size_t withoutCanvas = emu::liveObjectCount();
    canvas = std::make_unique<Canvas>(windowDc);
    canvas->setUp(instance, kFrameBorder, kFrameBorder, 200, 200, kFrameBorder, kFrameBorder, kCorner, kCorner);
    canvas->repaint(windowDc);
    canvas->setUp(instance, kFrameBorder, kFrameBorder, 300, 100, kFrameBorder, kFrameBorder, kCorner, kCorner);
    canvas->repaint(windowDc);
    EXPECT_EQ(emu::liveObjectCount(), withoutCanvas + 2 + 1 + 6) << "two contexts, one backing bitmap, six pieces";
    canvas.reset();
    EXPECT_EQ(emu::liveObjectCount(), withoutCanvas);
}

}  // namespace
