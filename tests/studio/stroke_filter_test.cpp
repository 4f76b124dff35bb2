// The stroke filter: whole pixels, no repeated point, the stabiliser's pull
// and the simplification's tolerance.
#include <gtest/gtest.h>

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

}  // namespace
