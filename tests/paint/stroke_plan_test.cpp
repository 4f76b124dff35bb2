// Candidate strokes: they follow edges, stop where the canvas already
// matches, take the mean of what their stamps cover, taper, and never draw
// outside the box the search scores them in.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/emu/desktop.h"
#include "platform/platform.h"
#include "shell/player_window.h"
#include "tools/paint/engine_canvas.h"
#include "tools/paint/paint_options.h"
#include "format/format.h"
#include "tools/paint/painter.h"
#include "tools/paint/stroke_plan.h"

namespace {

constexpr int kSize = 64;
constexpr std::uint32_t kRed = 0x0000FF, kBlue = 0xFF0000, kBlack = 0, kWhite = 0xFFFFFF;

paint::Plane planeOf(std::uint32_t (*colourAt)(int x, int y)) {
    paint::Plane plane;
    plane.width = plane.height = kSize;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) plane.pixels.push_back(paint::rgbOf(colourAt(x, y)));
    return plane;
}

struct Canvas {
    std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(kSize * kSize, 0x00FF00);  // green: far from all
    paint::CanvasView view() const { return paint::CanvasView{pixels.data(), kSize, kSize, kSize}; }
};

paint::StrokePlan plan(const paint::Layer& layer, const paint::Plane& picture, const Canvas& canvas, int x, int y) {
    paint::LayerGuide guide;
    guide.layer = &layer;
    guide.reference = paint::blurred(picture, layer.blurSigma);
    guide.gradient = paint::gradientOf(guide.reference);
    std::uint64_t random = 1;
    return paint::planStroke(guide, picture, canvas.view(), x, y, random);
}

paint::Layer layerOf(int level, int maxPoints, float step) {
    paint::Layer layer;
    layer.level = level;
    layer.blurSigma = 1;
    layer.maxPoints = maxPoints;
    layer.step = step;
    return layer;
}

std::uint32_t redLeftBlueRight(int x, int) { return x < kSize / 2 ? kRed : kBlue; }

TEST(StrokePlan, FollowsAnEdgeAndTakesTheMeanUnderIt) {
    const paint::Plane picture = planeOf(redLeftBlueRight);
    const paint::StrokePlan along = plan(layerOf(2, 8, 4), picture, Canvas{}, kSize / 2, 40);
    ASSERT_EQ(along.points.size(), 8u) << "nothing on the canvas matches yet: the stroke runs its length";
    for (const auto& p : along.points) EXPECT_LE(std::abs(p.x - kSize / 2), 1) << "along the edge, at y " << p.y;
    EXPECT_GE(std::abs(along.points.back().y - along.points.front().y), 24);
    // Across the edge the stamps cover red and blue alike.
    EXPECT_GT(along.colour & 0xFF, 0x40u);
    EXPECT_GT(along.colour >> 16, 0x40u);

    // Inside the red half, pure red.
    const paint::StrokePlan inside = plan(layerOf(2, 4, 4), picture, Canvas{}, 8, 10);
    ASSERT_GE(inside.points.size(), 2u);
    EXPECT_EQ(inside.colour, kRed);
}

TEST(StrokePlan, StopsWhereTheCanvasAlreadyMatches) {
    // Steeper across x than down y, so that strokes run down y and the
    // picture drifts away from their colour; the canvas is the picture from y = 30 on.
    const paint::Plane picture = planeOf([](int x, int y) { return static_cast<std::uint32_t>(x * 3 + y / 2) * 0x010101u; });
    Canvas canvas;
    for (int y = 30; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) canvas.pixels[static_cast<std::size_t>(y * kSize + x)] = paint::pixelOf(picture.at(x, y));
    paint::Layer layer = layerOf(1, 16, 4);
    layer.blurSigma = 0;
    const paint::StrokePlan stroke = plan(layer, picture, canvas, 20, 6);
    ASSERT_GE(stroke.points.size(), 2u);
    EXPECT_LT(stroke.points.size(), 16u);
    // The first point on the matching canvas ends it.
    EXPECT_GE(stroke.points.back().y, 30);
    EXPECT_LT(stroke.points[stroke.points.size() - 2].y, 30);
}

TEST(StrokePlan, BroadStrokesTaperAtBothEnds) {
    const paint::Plane picture = planeOf(redLeftBlueRight);
    paint::Layer layer = layerOf(3, 6, 4);
    layer.taper = true;
    const paint::StrokePlan stroke = plan(layer, picture, Canvas{}, kSize / 2, 40);
    ASSERT_EQ(stroke.points.size(), 6u);
    EXPECT_EQ(stroke.points[1].pressure, paint::pressureForLevel(2));
    for (std::size_t i = 2; i + 1 < stroke.points.size(); ++i) EXPECT_EQ(stroke.points[i].pressure, paint::pressureForLevel(3));
    EXPECT_EQ(stroke.points.back().pressure, paint::pressureForLevel(2));
}

// The search scores a stroke in its box and copies only that box back: the
// engine must draw nothing outside it.
TEST(StrokePlan, TheEngineDrawsOnlyInsideTheBox) {
    const paint::Plane picture = planeOf([](int x, int y) { return (x * 7 + y * 3) % 64 < 32 ? kBlack : kWhite; });
    paint::EngineCanvas engine;
    std::string error;
    ASSERT_TRUE(engine.open(kSize, kSize, std::vector<std::uint32_t>(256, 0), error)) << error;
    for (int level = 0; level <= 4; ++level) {
        for (int start = 0; start < kSize; start += 9) {
            paint::Layer layer = layerOf(level, 12, 3.0f + static_cast<float>(level));
            layer.taper = level > 1;
            const paint::CanvasView now = engine.view();
            Canvas before;
            for (int y = 0; y < kSize; ++y)
                for (int x = 0; x < kSize; ++x) before.pixels[static_cast<std::size_t>(y * kSize + x)] = now.at(x, y);
            const paint::StrokePlan stroke = plan(layer, picture, before, start, (start * 5) % kSize);
            if (stroke.points.size() < 2) continue;
            const std::vector<std::uint8_t> records = format::RecordWriter(true)
                                                          .colour(0x123456u + static_cast<std::uint32_t>(start))
                                                          .stroke(stroke.points)
                                                          .take();
            ASSERT_TRUE(engine.play(records));
            const paint::CanvasView after = engine.view();
            for (int y = 0; y < kSize; ++y) {
                for (int x = 0; x < kSize; ++x) {
                    if (after.at(x, y) == before.pixels[static_cast<std::size_t>(y * kSize + x)]) continue;
                    ASSERT_TRUE(x >= stroke.left && x < stroke.right && y >= stroke.top && y < stroke.bottom)
                        << "level " << level << ", start " << start << ": drew (" << x << ", " << y << ")";
                }
            }
        }
    }
}

std::vector<std::uint32_t> copyOf(const paint::CanvasView& view) {
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < view.height; ++y)
        for (int x = 0; x < view.width; ++x) pixels.push_back(view.at(x, y));
    return pixels;
}

// The stroke's colour is the picture's mean over exactly the pixels the
// engine draws for it, its lighter tapered ends included: on a white canvas
// with an all-black palette, those are the pixels that turn black.
TEST(StrokePlan, ColourIsTheMeanOverThePixelsTheEngineDraws) {
    const paint::Plane picture = planeOf([](int x, int y) {
        return static_cast<std::uint32_t>(x * 4) | static_cast<std::uint32_t>((y * 7) % 256) << 8 |
               static_cast<std::uint32_t>(((x * y) % 97) * 2) << 16;
    });
    paint::Layer layer = layerOf(3, 7, 5);
    layer.taper = true;
    const paint::StrokePlan stroke = plan(layer, picture, Canvas{}, 20, 24);
    ASSERT_GE(stroke.points.size(), 4u);
    ASSERT_EQ(stroke.points[1].pressure, paint::pressureForLevel(2)) << "tapered";

    paint::EngineCanvas engine;
    std::string error;
    ASSERT_TRUE(engine.open(kSize, kSize, std::vector<std::uint32_t>(256, 0), error)) << error;
    const std::vector<std::uint32_t> before = copyOf(engine.view());
    const std::vector<std::uint8_t> records = format::RecordWriter(true).colour(0).stroke(stroke.points).take();
    ASSERT_TRUE(engine.play(records));
    const std::vector<std::uint32_t> after = copyOf(engine.view());
    double r = 0, g = 0, b = 0, n = 0;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const std::size_t i = static_cast<std::size_t>(y * kSize + x);
            if (after[i] == before[i]) continue;
            r += picture.at(x, y).r;
            g += picture.at(x, y).g;
            b += picture.at(x, y).b;
            n += 1;
        }
    }
    ASSERT_GT(n, 20);
    const paint::Rgb want{static_cast<float>(r / n), static_cast<float>(g / n), static_cast<float>(b / n)};
    const paint::Rgb got = paint::rgbOf(stroke.colour);
    EXPECT_NEAR(got.r, want.r, 0.51) << n << " pixels";
    EXPECT_NEAR(got.g, want.g, 0.51);
    EXPECT_NEAR(got.b, want.b, 0.51);
}

// A stroke taken back leaves the window and its backing bitmap as they
// were: a repaint (the window uncovered) shows no trace of it.
TEST(StrokePlan, TakeBackRestoresWhatARepaintShows) {
    paint::EngineCanvas engine;
    std::string error;
    ASSERT_TRUE(engine.open(kSize, kSize, std::vector<std::uint32_t>(256, 0), error)) << error;
    const std::vector<std::uint8_t> first = format::RecordWriter(true).colour(0).stroke({{5, 5, 9}, {40, 12, 9}}).take();
    ASSERT_TRUE(engine.play(first));
    engine.mark();
    const std::vector<std::uint32_t> kept = copyOf(engine.view());
    const std::vector<std::uint8_t> tried =
        format::RecordWriter(true).stroke({{10, 50, 15}, {55, 30, 15}, {20, 20, 15}}).take();
    ASSERT_TRUE(engine.play(tried));
    ASSERT_NE(copyOf(engine.view()), kept);
    engine.takeBack();
    EXPECT_EQ(copyOf(engine.view()), kept) << "the window";
    HWND window = emu::findWindowByClass(kPlayerClassName);
    ASSERT_NE(window, nullptr);
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    EXPECT_EQ(copyOf(engine.view()), kept) << "the backing bitmap, after a repaint";
}

tools::ParseOutcome parsePaint(std::vector<const char*> args, paint::CommandLine& line) {
    args.insert(args.begin(), "quillcast-paint");
    return paint::parseCommandLine(static_cast<int>(args.size()), args.data(), line);
}

TEST(PaintCommandLine, ReadsTheOutputKindAndTheDefaults) {
    paint::CommandLine line;
    tools::ParseOutcome outcome = parsePaint({"p.jpg", "-o", "a.qcs"}, line);
    ASSERT_TRUE(outcome.run()) << outcome.text;
    EXPECT_EQ(line.kind, paint::OutputKind::Script);
    EXPECT_EQ(line.fit, 400);
    EXPECT_EQ(line.paint.budget, 0u);
    EXPECT_EQ(line.paint.showSeconds, 120.0);

    paint::CommandLine sized;
    outcome = parsePaint({"--size", "640x200", "p.png", "-o", "x.exe", "--budget", "100000", "--style", "sketch",
                          "--seed", "7", "--show-seconds", "0"},
                         sized);
    ASSERT_TRUE(outcome.run()) << outcome.text;
    EXPECT_EQ(sized.kind, paint::OutputKind::Player);
    EXPECT_EQ(sized.fit, 0);
    EXPECT_EQ(sized.width, 640);
    EXPECT_EQ(sized.height, 200);
    EXPECT_EQ(sized.paint.budget, 100000u);
    EXPECT_EQ(sized.paint.style, paint::Style::Sketch);
    EXPECT_EQ(sized.paint.seed, 7u);
    EXPECT_EQ(sized.paint.showSeconds, 0.0);

    // Numbers are decimal whatever their leading zeros: a seed of 010 is
    // ten, as it always was, not eight.
    paint::CommandLine zeros;
    outcome = parsePaint({"p.png", "-o", "a.qcd", "--seed=010", "--fit", "0064"}, zeros);
    ASSERT_TRUE(outcome.run()) << outcome.text;
    EXPECT_EQ(zeros.paint.seed, 10u);
    EXPECT_EQ(zeros.fit, 64);

    const std::vector<std::vector<const char*>> bad = {
        {"p.png", "-o", "a.txt"},          {"p.png", "-o", "a.qcd", "--fit"},
        {"p.png", "-o", "a.qcd", "--seed=-3"}, {"p.png", "a.png", "-o", "a.qcd"},
        {"p.png", "-o", "a.qcd", "--seed", "0x10"}, {"p.png", "-o", "a.qcd", "--budget", "1e5"},
        {"p.png", "-o", "a.qcd", "--show-seconds", "6.9"}, {"p.png", "-o", "a.qcd", "--fit", "9", "--size", "9x9"},
    };
    for (const auto& args : bad) {
        paint::CommandLine refused;
        outcome = parsePaint(args, refused);
        EXPECT_EQ(outcome.kind, tools::ParseOutcome::Kind::Error) << args.back();
        EXPECT_FALSE(outcome.text.empty());
    }
}

TEST(PaintCommandLine, TakesTheSmallestBudgetItNames) {
    const std::string smallest = std::to_string(paint::smallestBudget());
    paint::CommandLine line;
    tools::ParseOutcome outcome = parsePaint({"p.png", "-o", "a.qcd", "--budget", smallest.c_str()}, line);
    ASSERT_TRUE(outcome.run()) << outcome.text;
    EXPECT_EQ(line.paint.budget, paint::smallestBudget());
    const std::string less = std::to_string(paint::smallestBudget() - 1);
    paint::CommandLine refused;
    outcome = parsePaint({"p.png", "-o", "a.qcd", "--budget", less.c_str()}, refused);
    EXPECT_EQ(outcome.kind, tools::ParseOutcome::Kind::Error);
    EXPECT_NE(outcome.text.find(smallest), std::string::npos) << outcome.text;
}

}  // namespace
