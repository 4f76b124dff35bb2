#include "tools/paint/picture_palette.h"

#include <algorithm>
#include <array>

namespace paint {

namespace {

using Rgb = std::array<std::uint8_t, 3>;

struct Box {
    std::size_t from, to;  // a range of the sorted colour list
    int axis = 0;
    int range = 0;
};

Rgb rgbOf(std::uint32_t pixel) {
    return Rgb{static_cast<std::uint8_t>(pixel), static_cast<std::uint8_t>(pixel >> 8),
               static_cast<std::uint8_t>(pixel >> 16)};
}

// The widest channel of the box, and how wide it is.
void measure(const std::vector<Rgb>& colours, Box& box) {
    std::array<int, 3> low{255, 255, 255}, high{0, 0, 0};
    for (std::size_t i = box.from; i < box.to; ++i) {
        for (int c = 0; c < 3; ++c) {
            low[c] = std::min<int>(low[c], colours[i][c]);
            high[c] = std::max<int>(high[c], colours[i][c]);
        }
    }
    box.axis = 0;
    for (int c = 1; c < 3; ++c) {
        if (high[c] - low[c] > high[box.axis] - low[box.axis]) box.axis = c;
    }
    box.range = high[box.axis] - low[box.axis];
}

}  // namespace

std::vector<std::uint32_t> paletteFromPicture(const tools::Picture& picture) {
    std::vector<Rgb> colours;
    colours.reserve(picture.pixels.size());
    for (std::uint32_t p : picture.pixels) colours.push_back(rgbOf(p));
    std::vector<std::uint32_t> palette;
    if (colours.empty()) return std::vector<std::uint32_t>(kPaletteSlots, 0);

    std::vector<Box> boxes{Box{0, colours.size()}};
    measure(colours, boxes[0]);
    while (boxes.size() < kPaletteSlots) {
        // Split the box with the widest channel; ties go to the earlier box.
        std::size_t widest = 0;
        for (std::size_t i = 1; i < boxes.size(); ++i) {
            if (boxes[i].range > boxes[widest].range) widest = i;
        }
        Box box = boxes[widest];
        if (box.range == 0) break;  // every box holds one colour
        const int axis = box.axis;
        auto first = colours.begin() + static_cast<std::ptrdiff_t>(box.from);
        auto last = colours.begin() + static_cast<std::ptrdiff_t>(box.to);
        std::sort(first, last, [axis](const Rgb& a, const Rgb& b) {
            return a[axis] != b[axis] ? a[axis] < b[axis] : a < b;
        });
        // At the median, moved off a run of equal values so that both halves hold colours.
        std::size_t middle = box.from + (box.to - box.from) / 2;
        while (middle > box.from && colours[middle - 1][axis] == colours[middle][axis]) --middle;
        if (middle == box.from) {
            middle = box.from + (box.to - box.from) / 2;
            while (middle < box.to && colours[middle - 1][axis] == colours[middle][axis]) ++middle;
        }
        Box low{box.from, middle}, high{middle, box.to};
        measure(colours, low);
        measure(colours, high);
        boxes[widest] = low;
        boxes.push_back(high);
    }
    for (const Box& box : boxes) {
        std::array<std::uint64_t, 3> sum{0, 0, 0};
        for (std::size_t i = box.from; i < box.to; ++i) {
            for (int c = 0; c < 3; ++c) sum[c] += colours[i][c];
        }
        const std::uint64_t n = box.to - box.from;
        std::uint32_t colour = 0;
        for (int c = 0; c < 3; ++c) colour |= static_cast<std::uint32_t>((sum[c] + n / 2) / n) << (8 * c);
        palette.push_back(colour);
    }
    std::sort(palette.begin(), palette.end());
    palette.erase(std::unique(palette.begin(), palette.end()), palette.end());
    while (palette.size() < kPaletteSlots) palette.push_back(palette.back());
    return palette;
}

}  // namespace paint
