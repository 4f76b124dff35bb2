#include "studio/stroke_filter.h"

#include <algorithm>
#include <cmath>

namespace studio {

namespace {

int toPixel(double v) { return static_cast<int>(std::floor(std::clamp(v, -32768.0, 32767.0))); }

double distanceToLine(const StrokePoint& p, const StrokePoint& a, const StrokePoint& b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double length = std::hypot(dx, dy);
    if (length == 0) return std::hypot(p.x - a.x, p.y - a.y);
    return std::fabs(dy * (p.x - a.x) - dx * (p.y - a.y)) / length;
}

// Marks the points to keep between first and last, both kept already.
void keepFarPoints(const std::vector<StrokePoint>& points, std::size_t first, std::size_t last, double tolerance,
                   std::vector<bool>& keep) {
    // An explicit stack: a long stroke must not run the call stack out.
    std::vector<std::pair<std::size_t, std::size_t>> spans{{first, last}};
    while (!spans.empty()) {
        const auto [a, b] = spans.back();
        spans.pop_back();
        double farthest = -1;
        std::size_t at = a;
        for (std::size_t i = a + 1; i < b; ++i) {
            const double d = distanceToLine(points[i], points[a], points[b]);
            // A change of pressure counts as being off the line.
            const bool pressureChanges = points[i].pressure != points[a].pressure;
            const double weight = pressureChanges ? tolerance + 1 : d;
            if (weight > farthest) {
                farthest = weight;
                at = i;
            }
        }
        if (farthest > tolerance) {
            keep[at] = true;
            spans.push_back({a, at});
            spans.push_back({at, b});
        }
    }
}

}  // namespace

StrokePoint StrokeFilter::begin(double x, double y, int pressure) {
    sx_ = x;
    sy_ = y;
    last_ = StrokePoint{toPixel(x), toPixel(y), pressure};
    return last_;
}

bool StrokeFilter::next(double x, double y, int pressure, StrokePoint& out) {
    const double pull = std::clamp(smoothing_, 0.0, 0.95);
    sx_ += (x - sx_) * (1 - pull);
    sy_ += (y - sy_) * (1 - pull);
    const StrokePoint p{toPixel(sx_), toPixel(sy_), pressure};
    if (p.x == last_.x && p.y == last_.y) return false;
    last_ = p;
    out = p;
    return true;
}

std::vector<StrokePoint> simplify(const std::vector<StrokePoint>& points, double tolerance) {
    if (tolerance <= 0 || points.size() < 3) return points;
    std::vector<bool> keep(points.size(), false);
    keep.front() = keep.back() = true;
    keepFarPoints(points, 0, points.size() - 1, tolerance, keep);
    std::vector<StrokePoint> out;
    for (std::size_t i = 0; i < points.size(); ++i)
        if (keep[i]) out.push_back(points[i]);
    return out;
}

}  // namespace studio
