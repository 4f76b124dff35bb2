// The stroke filter: whole pixels, no repeated point, the stabiliser's pull
// and the simplification's tolerance.
#include <gtest/gtest.h>

#include <cmath>

#include "studio/stroke_filter.h"

namespace {

using studio::StrokePoint;

TEST(StrokeFilter, ExactWithoutSmoothingAndNoRepeatedPixel) {
    studio::StrokeFilter f;
    EXPECT_EQ(f.begin(3.7, -0.5, 4), (StrokePoint{3, -1, 4}));
    StrokePoint p;
    EXPECT_FALSE(f.next(3.2, -0.9, 9, p));  // same pixel, whatever the pressure
    ASSERT_TRUE(f.next(4.0, -0.9, 9, p));
    EXPECT_EQ(p, (StrokePoint{4, -1, 9}));
}

TEST(StrokeFilter, SmoothingPullsTowardThePathSoFar) {
    studio::StrokeFilter f(0.5);
    f.begin(0, 0, 0);
    StrokePoint p;
    ASSERT_TRUE(f.next(10, 0, 0, p));
    EXPECT_EQ(p.x, 5);
    ASSERT_TRUE(f.next(10, 0, 0, p));
    EXPECT_EQ(p.x, 7);
}

TEST(StrokeFilter, SimplifyKeepsCornersEndsAndPressureChanges) {
    std::vector<StrokePoint> line;
    for (int i = 0; i <= 20; ++i) line.push_back(StrokePoint{i, i <= 10 ? 0 : i - 10, 3});
    EXPECT_EQ(studio::simplify(line, 0), line);
    const auto corner = studio::simplify(line, 0.5);
    EXPECT_EQ(corner, (std::vector<StrokePoint>{line[0], line[10], line[20]}));
    line[5].pressure = 9;
    EXPECT_EQ(studio::simplify(line, 0.5).size(), 5u);  // 4 and 5 and 6 carry the change
}

// The distance from p to the polyline through points.
double offPath(const StrokePoint& p, const std::vector<StrokePoint>& path) {
    double best = 1e9;
    for (std::size_t i = 0; i + 1 < path.size(); ++i) {
        const double ax = path[i].x, ay = path[i].y, bx = path[i + 1].x, by = path[i + 1].y;
        const double dx = bx - ax, dy = by - ay, length2 = dx * dx + dy * dy;
        double t = length2 == 0 ? 0 : ((p.x - ax) * dx + (p.y - ay) * dy) / length2;
        t = std::fmax(0, std::fmin(1, t));
        best = std::fmin(best, std::hypot(p.x - (ax + t * dx), p.y - (ay + t * dy)));
    }
    return best;
}

TEST(StrokeFilter, SimplifyKeepsAClosedLoopAndCollapsesAStraightLine) {
    // A circle drawn round to where it started: the ends coincide.
    std::vector<StrokePoint> loop;
    for (int i = 0; i <= 60; ++i) {
        const double a = 6.283185307179586 * i / 60;
        loop.push_back(StrokePoint{static_cast<int>(std::lround(50 + 30 * std::cos(a))),
                                   static_cast<int>(std::lround(50 + 30 * std::sin(a))), 5});
    }
    ASSERT_EQ(loop.front(), loop.back());
    const auto kept = studio::simplify(loop, 1.0);
    EXPECT_GE(kept.size(), 8u) << "a loop is not a dot";
    EXPECT_LT(kept.size(), loop.size());
    for (const StrokePoint& p : loop) EXPECT_LE(offPath(p, kept), 1.0) << p.x << "," << p.y;

    // A straight line (not along an axis) goes to its two ends.
    std::vector<StrokePoint> line;
    for (int i = 0; i <= 40; ++i) line.push_back(StrokePoint{3 + 2 * i, 7 + 3 * i, 5});
    EXPECT_EQ(studio::simplify(line, 0.5), (std::vector<StrokePoint>{line.front(), line.back()}));
}

}  // namespace
