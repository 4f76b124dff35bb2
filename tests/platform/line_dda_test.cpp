// The line walk: Win32's points in Win32's order, never the end point.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/platform.h"

namespace {

using Points = std::vector<std::pair<int, int>>;

void CALLBACK collect(int x, int y, LPARAM data) { reinterpret_cast<Points*>(data)->emplace_back(x, y); }

Points walk(int x1, int y1, int x2, int y2) {
    Points points;
    LineDDA(x1, y1, x2, y2, collect, reinterpret_cast<LPARAM>(&points));
    return points;
}

// The walk written out from its definition, independently of the emulation.
Points reference(int x1, int y1, int x2, int y2) {
    Points out;
    int dx = x2 - x1, dy = y2 - y1;
    const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    dx = std::abs(dx);
    dy = std::abs(dy);
    const bool xMajor = dx > dy;
    const int major = xMajor ? dx : dy, minor = xMajor ? dy : dx;
    int err = 2 * minor - major, x = x1, y = y1;
    for (int i = 0; i < major; ++i) {
        out.emplace_back(x, y);
        const bool stepMinor = err > 0;
        err += stepMinor ? 2 * minor - 2 * major : 2 * minor;
        if (xMajor) {
            if (stepMinor) y += sy;
            x += sx;
        } else {
            if (stepMinor) x += sx;
            y += sy;
        }
    }
    return out;
}

TEST(LineDDA, KnownWalks) {
    EXPECT_EQ(walk(0, 0, 7, 3), (Points{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}, {6, 3}}));
    EXPECT_EQ(walk(5, 5, 0, 2), (Points{{5, 5}, {4, 4}, {3, 4}, {2, 3}, {1, 3}}));
    EXPECT_EQ(walk(0, 0, 3, 3), (Points{{0, 0}, {1, 1}, {2, 2}}));
    EXPECT_EQ(walk(2, 2, 2, -1), (Points{{2, 2}, {2, 1}, {2, 0}}));
    EXPECT_TRUE(walk(4, 4, 4, 4).empty()) << "equal ends give no point";
}

TEST(LineDDA, AgreesWithTheDefinitionOnRandomSegments) {
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> coordinate(-300, 300);
    for (int i = 0; i < 20000; ++i) {
        const int x1 = coordinate(random), y1 = coordinate(random), x2 = coordinate(random), y2 = coordinate(random);
        const Points points = walk(x1, y1, x2, y2);
        ASSERT_EQ(points, reference(x1, y1, x2, y2)) << x1 << "," << y1 << " -> " << x2 << "," << y2;
        ASSERT_EQ(points.size(), static_cast<std::size_t>(std::max(std::abs(x2 - x1), std::abs(y2 - y1))));
    }
}

}  // namespace
