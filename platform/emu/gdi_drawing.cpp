// Area drawing: FillRect and BitBlt, clipped to the surfaces involved, and the
// rectangle helpers.
#include <algorithm>
#include <cstring>

#include "platform/emu/desktop_state.h"

using namespace emu;

int WINAPI FillRect(HDC dc, const RECT* rect, HBRUSH handle) {
    if (!dc || !rect) return 0;
    const GdiObject* brush = findObject(handle);
    if (!brush || brush->kind != GdiKind::Brush) return 0;
    const COLORREF colour = storedColour(dc, brush->colour);
    Surface& s = *dc->surface;
    if (!s.open) return 1;
    // Right and bottom edges are exclusive; an inverted rectangle fills nothing.
    const long left = std::max<long>(rect->left, 0);
    const long top = std::max<long>(rect->top, 0);
    const long right = std::min<long>(rect->right, s.width);
    const long bottom = std::min<long>(rect->bottom, s.height);
    chargeArea(right - left, bottom - top);
    for (long y = top; y < bottom; ++y) {
        std::uint32_t* row = s.pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(s.width);
        std::fill(row + left, row + std::max(left, right), colour);
    }
    return 1;
}

BOOL WINAPI BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, DWORD rop) {
    if (!dest || !source || rop != SRCCOPY) return FALSE;
    const Surface& from = *source->surface;
    Surface& to = *dest->surface;
    if (width <= 0 || height <= 0 || !from.open || !to.open) return TRUE;

    // The part of the width x height block that lies inside both surfaces.
    using i64 = long long;
    const i64 left = std::max<i64>({0, -i64{x}, -i64{sourceX}});
    const i64 top = std::max<i64>({0, -i64{y}, -i64{sourceY}});
    const i64 right = std::min<i64>({width, i64{to.width} - x, i64{from.width} - sourceX});
    const i64 bottom = std::min<i64>({height, i64{to.height} - y, i64{from.height} - sourceY});
    if (left >= right || top >= bottom) return TRUE;
    chargeArea(right - left, bottom - top);

    const auto count = static_cast<std::size_t>(right - left);
    auto rowAt = [](const Surface& s, i64 px, i64 py) {
        return s.pixels + static_cast<std::size_t>(py) * static_cast<std::size_t>(s.width) + static_cast<std::size_t>(px);
    };
    // Copying within one surface downwards must go bottom-up.
    const bool upward = from.pixels == to.pixels && y > sourceY;
    for (i64 i = 0; i < bottom - top; ++i) {
        const i64 row = upward ? bottom - 1 - i : top + i;
        std::memmove(rowAt(to, x + left, y + row), rowAt(from, sourceX + left, sourceY + row), count * 4);
    }
    return TRUE;
}

BOOL WINAPI SetRect(LPRECT rect, int left, int top, int right, int bottom) {
    if (!rect) return FALSE;
    *rect = RECT{left, top, right, bottom};
    return TRUE;
}

BOOL WINAPI PtInRect(const RECT* rect, POINT point) {
    if (!rect) return FALSE;
    return point.x >= rect->left && point.x < rect->right && point.y >= rect->top && point.y < rect->bottom;
}

// The walk of Win32: the major axis steps every time, the minor one when the
// running error turns positive. The end point itself is not visited.
BOOL WINAPI LineDDA(int xStart, int yStart, int xEnd, int yEnd, LINEDDAPROC proc, LPARAM data) {
    if (!proc) return FALSE;
    long long dx = static_cast<long long>(xEnd) - xStart;
    long long dy = static_cast<long long>(yEnd) - yStart;
    const int xAdd = dx < 0 ? -1 : 1;
    const int yAdd = dy < 0 ? -1 : 1;
    dx = dx < 0 ? -dx : dx;
    dy = dy < 0 ? -dy : dy;
    int x = xStart;
    int y = yStart;
    if (dx > dy) {
        long long err = 2 * dy - dx;
        for (long long i = 0; i < dx; ++i) {
            chargeWork(1);
            ++callCounts.linePoints;
            proc(x, y, data);
            if (err > 0) {
                y += yAdd;
                err += 2 * dy - 2 * dx;
            } else {
                err += 2 * dy;
            }
            x += xAdd;
        }
    } else {
        long long err = 2 * dx - dy;
        for (long long i = 0; i < dy; ++i) {
            chargeWork(1);
            ++callCounts.linePoints;
            proc(x, y, data);
            if (err > 0) {
                x += xAdd;
                err += 2 * dx - 2 * dy;
            } else {
                err += 2 * dx;
            }
            y += yAdd;
        }
    }
    return TRUE;
}
