// Whole replays: a fixed script of strokes in each pen mode must give the
// same picture on every run. The digests pin that picture; one decision too
// many or too few anywhere shifts every later random draw and changes them.
// They were checked against a separate model of the engine, written from its
// description rather than from this code.
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "canvas/pen_modes.h"
#include "tests/canvas/canvas_fixture.h"

namespace {

struct Point {
    int x, y, pressure;
};

void stroke(Canvas& canvas, HDC dc, std::initializer_list<Point> points, bool withPressure) {
    canvas.beginStroke();
    const Point* previous = nullptr;
    for (const Point& p : points) {
        if (previous) {
            if (withPressure) canvas.setPressure(static_cast<std::int16_t>(p.pressure));
            canvas.drawSegment(dc, previous->x, previous->y, p.x, p.y);
        }
        previous = &p;
    }
}

void blendScript(Canvas& c, HDC dc) {
    c.setDensity(1000);
    c.setBrushSize(0);
    c.setPenColour(0x02203040);
    stroke(c, dc, {{20, 20, 0}, {60, 35, 5}, {95, 30, 9}, {120, 80, 14}, {118, 81, 2}}, true);
    c.setBrushSize(3);
    c.setDensity(4);
    c.setPenColour(0x02C08010);
    stroke(c, dc, {{10, 150, 0}, {100, 100, 0}, {210, 190, 0}}, false);
}

void darkenScript(Canvas& c, HDC dc) {
    c.setPenColour(0x00A0C0E0);
    c.fill(dc);
    c.setPenMode(Darken);
    c.setDensity(2);
    c.setBrushSize(4);
    c.setPenColour(0x0230F050);
    stroke(c, dc, {{30, 30, 0}, {170, 40, 0}, {40, 170, 0}}, false);
    c.setBrushSize(1);
    stroke(c, dc, {{5, 100, 3}, {100, 105, 8}, {200, 110, 15}}, true);
}

void smudgeScript(Canvas& c, HDC dc) {
    blendScript(c, dc);
    c.setPenMode(Smudge);
    c.setBrushSize(3);
    stroke(c, dc, {{15, 25, 0}, {80, 60, 0}, {130, 140, 0}}, false);
    c.setBrushSize(2);
    stroke(c, dc, {{120, 20, 0}, {100, 120, 11}, {30, 180, 4}}, true);
}

void speckleScript(Canvas& c, HDC dc) {
    c.setPenMode(Speckle);
    c.setDensity(3);
    c.setPenColour(0x02FF0000);
    c.setSecondColour(0x0200FF00);
    c.setThirdColour(0x020000FF);
    c.setBrushSize(4);
    stroke(c, dc, {{20, 20, 0}, {180, 60, 0}, {60, 190, 0}}, false);
    c.setBrushSize(2);
    stroke(c, dc, {{190, 20, 0}, {20, 120, 6}, {150, 150, 12}}, true);
    c.setPenMode(7);  // no such mode: nothing drawn, nothing drawn from the table
    stroke(c, dc, {{10, 10, 0}, {200, 200, 0}}, false);
}

// A picture's digest: FNV-1a over the canvas area of the backing bitmap and
// the random cursor, after checking that the window shows the same pixels.
std::uint64_t digestOf(HDC windowDc) {
    std::uint64_t hash = 14695981039346656037ull;
    auto mix = [&hash](std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            hash ^= (value >> (8 * i)) & 0xFF;
            hash *= 1099511628211ull;
        }
    };
    for (int y = clipRect.top; y < clipRect.bottom; ++y) {
        for (int x = clipRect.left; x < clipRect.right; ++x) {
            const std::uint32_t pixel = GetPixel(canvasDc, x, y);
            EXPECT_EQ(GetPixel(windowDc, x, y), pixel) << x << "," << y;
            if (GetPixel(windowDc, x, y) != pixel) return 0;
            mix(pixel);
        }
    }
    mix(static_cast<std::uint32_t>(penState.randomIndex));
    return hash;
}

class ReplayTest : public CanvasFixture {
protected:
    std::uint64_t replay(void (*script)(Canvas&, HDC)) {
        startCanvas();
        script(*canvas, windowDc);
        return digestOf(windowDc);
    }
};

TEST_F(ReplayTest, BlendGivesItsFixedPicture) { EXPECT_EQ(replay(blendScript), 0xF70F5F1B54ADABBCull); }
TEST_F(ReplayTest, DarkenGivesItsFixedPicture) { EXPECT_EQ(replay(darkenScript), 0x0683A9CD5D18345Bull); }
TEST_F(ReplayTest, SmudgeGivesItsFixedPicture) { EXPECT_EQ(replay(smudgeScript), 0x9717A01E95FEF12Cull); }
TEST_F(ReplayTest, SpeckleGivesItsFixedPicture) { EXPECT_EQ(replay(speckleScript), 0xAD6BFBFB88249A8Dull); }

TEST_F(ReplayTest, TwoReplaysAfterSetUpDrawIdenticalPixels) {
    const std::uint64_t first = replay(speckleScript);
    smudgeScript(*canvas, windowDc);  // leaves the pen state and the cursor elsewhere

    // A new Canvas in the same process, without resetting the PenState.
    canvas.reset();
    DeleteDC(windowDc);
    DeleteObject(windowBitmap);
    EXPECT_EQ(replay(speckleScript), first);

    // And a second setUp on the same Canvas.
    canvas->setUp(nullptr, kFrameBorder, kFrameBorder, 200, 200, kFrameBorder, kFrameBorder, kCorner, kCorner);
    canvas->repaint(windowDc);
    canvas->clear(windowDc);
    speckleScript(*canvas, windowDc);
    EXPECT_EQ(digestOf(windowDc), first);
}

}  // namespace
