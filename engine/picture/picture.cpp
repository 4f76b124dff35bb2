#include "engine/picture/picture.h"

#include <algorithm>

namespace tools {

Picture crop(const Picture& picture, int x, int y, int width, int height) {
    const int left = std::clamp(x, 0, picture.width);
    const int top = std::clamp(y, 0, picture.height);
    const int right = std::clamp(x + width, left, picture.width);
    const int bottom = std::clamp(y + height, top, picture.height);
    Picture out;
    out.width = right - left;
    out.height = bottom - top;
    out.pixels.reserve(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height));
    for (int row = top; row < bottom; ++row) {
        const auto start = picture.pixels.begin() + static_cast<std::ptrdiff_t>(row) * picture.width;
        out.pixels.insert(out.pixels.end(), start + left, start + right);
    }
    return out;
}

}  // namespace tools
