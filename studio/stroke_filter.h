// What the studio makes of the points a pointer gives: a stabiliser that
// pulls each point toward the last one by a share (0: exact, toward 1: very
// smooth), whole canvas pixels, and no point equal to the one before. The
// same code runs while the stroke is drawn, so what is drawn is what is
// recorded. Simplification, when asked for, runs once the stroke is done.
#pragma once

#include <vector>

namespace studio {

struct StrokePoint {
    int x = 0;
    int y = 0;
    int pressure = 0;  // 0..15
    bool operator==(const StrokePoint& o) const { return x == o.x && y == o.y && pressure == o.pressure; }
};

class StrokeFilter {
public:
    explicit StrokeFilter(double smoothing = 0) : smoothing_(smoothing) {}

    // The first point of a stroke; always kept.
    StrokePoint begin(double x, double y, int pressure);
    // A further point: true, with out set, when it is kept; false when it
    // lands on the pixel of the last kept point.
    bool next(double x, double y, int pressure, StrokePoint& out);

private:
    double smoothing_;
    double sx_ = 0;
    double sy_ = 0;
    StrokePoint last_;
};

// The points that stay when every point within tolerance pixels of the line
// between the kept ones around it is left out (Douglas-Peucker). The first
// and last points always stay; a tolerance of 0 or less keeps every point.
std::vector<StrokePoint> simplify(const std::vector<StrokePoint>& points, double tolerance);

}  // namespace studio
