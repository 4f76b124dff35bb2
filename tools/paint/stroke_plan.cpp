#include "tools/paint/stroke_plan.h"

#include <algorithm>
#include <cmath>

namespace paint {

namespace {

constexpr float kFlatGradient = 1.0f;    // below this the reference has no direction
constexpr float kDarkLines = 0.8f;       // Darken lines are this much darker than the picture
constexpr float kSpeckleSpread = 10.0f;  // Speckle colours lie at least this far from the mean

struct Vec {
    float x = 0, y = 0;
};

// The direction a stroke takes at (x, y): along the edge through it, or the
// hatching slant; zero where the reference is flat.
Vec directionAt(const LayerGuide& guide, float x, float y) {
    if (guide.layer->direction == StrokeDirection::Hatch) return {0.70710678f, -0.70710678f};
    const int ix = std::clamp(static_cast<int>(std::lround(x)), 0, guide.gradient.width - 1);
    const int iy = std::clamp(static_cast<int>(std::lround(y)), 0, guide.gradient.height - 1);
    const std::size_t i = static_cast<std::size_t>(iy) * guide.gradient.width + ix;
    const float gx = guide.gradient.gx[i], gy = guide.gradient.gy[i];
    const float length = std::sqrt(gx * gx + gy * gy);
    if (length < kFlatGradient) return {};
    return {-gy / length, gx / length};
}

// Whether a brush level's stamp covers (dx, dy) from its centre: diamonds
// of radius 0 to 3, and level 4's disc of rows 3, 5, 7, 7, 7, 5, 3 wide.
bool stampCovers(int level, int dx, int dy) {
    static constexpr int kDiscHalfWidth[7] = {1, 2, 3, 3, 3, 2, 1};
    if (std::abs(dy) > 3) return false;
    if (level >= 4) return std::abs(dx) <= kDiscHalfWidth[dy + 3];
    return std::abs(dx) + std::abs(dy) <= level;
}

int levelOfPressure(int pressure) { return pressure <= 3 ? 0 : pressure <= 6 ? 1 : pressure <= 9 ? 2 : pressure <= 12 ? 3 : 4; }

// The points of a segment as the player's line walk (LineDDA) visits them:
// every point but the end, stepping along the longer axis and moving along
// the shorter one where the error passes zero. Rounding the line instead
// picks other pixels on most slopes, and the mean would be taken over
// pixels the stroke never draws.
template <typename Visit>
void walkSegment(int x0, int y0, int x1, int y1, Visit visit) {
    long long dx = static_cast<long long>(x1) - x0;
    long long dy = static_cast<long long>(y1) - y0;
    const int xAdd = dx < 0 ? -1 : 1;
    const int yAdd = dy < 0 ? -1 : 1;
    dx = dx < 0 ? -dx : dx;
    dy = dy < 0 ? -dy : dy;
    const bool alongX = dx > dy;
    const long long major = alongX ? dx : dy;
    const long long minor = alongX ? dy : dx;
    long long err = 2 * minor - major;
    int x = x0, y = y0;
    for (long long i = 0; i < major; ++i) {
        visit(x, y);
        if (err > 0) {
            if (alongX) y += yAdd;
            else x += xAdd;
            err += 2 * minor - 2 * major;
        } else {
            err += 2 * minor;
        }
        if (alongX) x += xAdd;
        else y += yAdd;
    }
}

// The picture's mean and spread over the pixels the stroke's stamps cover:
// each segment walked as the player walks it (its end is the next one's
// start) with the stamp of the level its end point's pressure gives.
void colourUnder(const Plane& target, const std::vector<format::StrokePoint>& points, Rgb& mean, Rgb& spread) {
    int left = points[0].x, top = points[0].y, right = left, bottom = top;
    for (const format::StrokePoint& p : points) {
        left = std::min(left, p.x);
        top = std::min(top, p.y);
        right = std::max(right, p.x);
        bottom = std::max(bottom, p.y);
    }
    left = std::max(0, left - 3);
    top = std::max(0, top - 3);
    right = std::min(target.width - 1, right + 3);
    bottom = std::min(target.height - 1, bottom + 3);
    const int w = right - left + 1;
    std::vector<std::uint8_t> covered(static_cast<std::size_t>(w) * static_cast<std::size_t>(bottom - top + 1), 0);
    auto stamp = [&](int cx, int cy, int level) {
        for (int dy = -3; dy <= 3; ++dy) {
            for (int dx = -3; dx <= 3; ++dx) {
                const int x = cx + dx, y = cy + dy;
                if (x < left || x > right || y < top || y > bottom || !stampCovers(level, dx, dy)) continue;
                covered[static_cast<std::size_t>(y - top) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x - left)] = 1;
            }
        }
    };
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        const int level = levelOfPressure(points[i + 1].pressure);
        walkSegment(points[i].x, points[i].y, points[i + 1].x, points[i + 1].y,
                    [&](int x, int y) { stamp(x, y, level); });
    }
    Rgb sum, squares;
    float n = 0;
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            if (!covered[static_cast<std::size_t>(y - top) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x - left)]) continue;
            const Rgb& c = target.at(x, y);
            sum = sum + c;
            squares = squares + Rgb{c.r * c.r, c.g * c.g, c.b * c.b};
            n += 1;
        }
    }
    if (n == 0) {
        sum = target.at(points[0].x, points[0].y);
        squares = Rgb{sum.r * sum.r, sum.g * sum.g, sum.b * sum.b};
        n = 1;
    }
    mean = sum * (1.0f / n);
    const Rgb meanSquares = squares * (1.0f / n);
    spread = {std::sqrt(std::max(0.0f, meanSquares.r - mean.r * mean.r)),
              std::sqrt(std::max(0.0f, meanSquares.g - mean.g * mean.g)),
              std::sqrt(std::max(0.0f, meanSquares.b - mean.b * mean.b))};
}

}  // namespace

std::uint64_t nextRandom64(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

float brushReach(int level) {
    static constexpr float kReach[5] = {0.5f, 1.5f, 2.5f, 3.5f, 3.5f};
    return kReach[std::clamp(level, 0, 4)];
}

StrokePlan planStroke(const LayerGuide& guide, const Plane& target, const CanvasView& canvas, int x, int y,
                      std::uint64_t& random) {
    const Layer& layer = *guide.layer;
    StrokePlan plan;
    const Rgb startColour = guide.reference.at(x, y);
    std::vector<Vec> path{{static_cast<float>(x), static_cast<float>(y)}};
    Vec previous;
    Vec at = path[0];
    while (static_cast<int>(path.size()) < layer.maxPoints) {
        Vec d = directionAt(guide, at.x, at.y);
        if (d.x == 0 && d.y == 0) {
            d = previous;
            if (d.x == 0 && d.y == 0) {
                const float angle = static_cast<float>(nextRandom64(random) % 6283) / 1000.0f;
                d = {std::cos(angle), std::sin(angle)};
            }
        }
        // Keep going the same way along the edge, and turn only part way.
        if (d.x * previous.x + d.y * previous.y < 0) d = {-d.x, -d.y};
        if (previous.x != 0 || previous.y != 0) {
            d = {layer.bend * d.x + (1 - layer.bend) * previous.x, layer.bend * d.y + (1 - layer.bend) * previous.y};
            const float length = std::sqrt(d.x * d.x + d.y * d.y);
            if (length < 1e-4f) break;
            d = {d.x / length, d.y / length};
        }
        const Vec next{at.x + layer.step * d.x, at.y + layer.step * d.y};
        if (next.x < 0 || next.y < 0 || next.x > static_cast<float>(canvas.width - 1) ||
            next.y > static_cast<float>(canvas.height - 1)) {
            break;
        }
        path.push_back(next);
        previous = d;
        at = next;
        if (static_cast<int>(path.size()) >= layer.minPoints) {
            // Stop where the canvas already matches the reference as well as this colour would.
            const int px = static_cast<int>(std::lround(at.x)), py = static_cast<int>(std::lround(at.y));
            const Rgb wanted = guide.reference.at(px, py);
            if (pixelError(canvas.at(px, py), wanted) <= squaredLength(wanted - startColour)) break;
        }
    }

    // Whole pixels, without repeats.
    for (const Vec& v : path) {
        const format::StrokePoint p{static_cast<int>(std::lround(v.x)), static_cast<int>(std::lround(v.y)),
                              pressureForLevel(layer.level)};
        if (!plan.points.empty() && plan.points.back().x == p.x && plan.points.back().y == p.y) continue;
        plan.points.push_back(p);
    }
    if (plan.points.size() < 2) {
        plan.points.clear();
        return plan;
    }
    const std::size_t n = plan.points.size();
    if (layer.taper && n >= 4 && layer.level > 0) {
        plan.points[1].pressure = pressureForLevel(layer.level - 1);
        plan.points[n - 1].pressure = pressureForLevel(layer.level - 1);
    }

    Rgb mean, spread;
    colourUnder(target, plan.points, mean, spread);
    switch (layer.colour) {
        case StrokeColour::Mean:
            plan.colour = pixelOf(mean);
            break;
        case StrokeColour::Dark:
            plan.colour = pixelOf(mean * kDarkLines);
            break;
        case StrokeColour::Speckle: {
            const Rgb offset{0.5f * spread.r + kSpeckleSpread, 0.5f * spread.g + kSpeckleSpread, 0.5f * spread.b + kSpeckleSpread};
            plan.colour = pixelOf(mean);
            plan.second = pixelOf(mean + offset);
            plan.third = pixelOf(mean - offset);
            break;
        }
    }

    const int reach = static_cast<int>(std::ceil(brushReach(layer.level))) + 1;
    plan.left = plan.right = plan.points[0].x;
    plan.top = plan.bottom = plan.points[0].y;
    for (const format::StrokePoint& p : plan.points) {
        plan.left = std::min(plan.left, p.x);
        plan.right = std::max(plan.right, p.x);
        plan.top = std::min(plan.top, p.y);
        plan.bottom = std::max(plan.bottom, p.y);
    }
    plan.left = std::max(0, plan.left - reach);
    plan.top = std::max(0, plan.top - reach);
    plan.right = std::min(canvas.width, plan.right + reach + 1);
    plan.bottom = std::min(canvas.height, plan.bottom + reach + 1);
    return plan;
}

int pressureForLevel(int level) {
    // The middle of each band: 0..3 level 0, 4..6 level 1, 7..9 level 2, 10..12 level 3, 13..15 level 4.
    static constexpr int kPressures[5] = {2, 5, 8, 11, 14};
    return kPressures[std::clamp(level, 0, 4)];
}

}  // namespace paint
