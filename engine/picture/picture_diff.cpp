#include "engine/picture/picture_diff.h"

#include <algorithm>
#include <cstring>

namespace tools {

namespace {

const std::uint32_t* row(const Picture& picture, int y) {
    return picture.pixels.data() + static_cast<std::ptrdiff_t>(y) * picture.width;
}

}  // namespace

PictureRect changedRect(const Picture& before, const Picture& after, const PictureRect& within) {
    if (before.width != after.width || before.height != after.height ||
        before.pixels.size() != after.pixels.size())
        return wholeOf(after);
    const int x0 = std::max(within.x, 0);
    const int y0 = std::max(within.y, 0);
    const int x1 = std::min(within.x + within.width, after.width);
    const int y1 = std::min(within.y + within.height, after.height);
    if (x0 >= x1 || y0 >= y1) return PictureRect{};
    const std::size_t rowBytes = static_cast<std::size_t>(x1 - x0) * sizeof(std::uint32_t);
    const auto same = [&](int y) { return std::memcmp(row(before, y) + x0, row(after, y) + x0, rowBytes) == 0; };

    int top = y0;
    while (top < y1 && same(top)) ++top;
    if (top == y1) return PictureRect{};
    int bottom = y1 - 1;
    while (same(bottom)) --bottom;
    // Each row is looked at only up to the edges found so far.
    int left = x1, right = x0 - 1;
    for (int y = top; y <= bottom; ++y) {
        if (y != top && y != bottom && same(y)) continue;
        const std::uint32_t* a = row(before, y);
        const std::uint32_t* b = row(after, y);
        int l = x0;
        while (l < left && a[l] == b[l]) ++l;
        left = l;
        int r = x1 - 1;
        while (r > right && a[r] == b[r]) --r;
        right = r;
    }
    return PictureRect{left, top, right - left + 1, bottom - top + 1};
}

PictureRect unite(const PictureRect& a, const PictureRect& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    const int x = std::min(a.x, b.x), y = std::min(a.y, b.y);
    return PictureRect{x, y, std::max(a.x + a.width, b.x + b.width) - x, std::max(a.y + a.height, b.y + b.height) - y};
}

void copyRect(const Picture& from, Picture& to, const PictureRect& rect) {
    for (int y = rect.y; y < rect.y + rect.height; ++y)
        std::copy_n(row(from, y) + rect.x, rect.width,
                    to.pixels.data() + static_cast<std::ptrdiff_t>(y) * to.width + rect.x);
}

}  // namespace tools
