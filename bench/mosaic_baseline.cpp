// mosaic_baseline PICTURE.png BUDGET OUT.qcd: the benchmark's baseline for
// quillcast-paint, a drawing of the same byte cost made the plain way. The
// canvas is the picture's size, the ground its mean colour; then a grid of
// square cells, as small as the budget allows, each with one colour record
// (its mean) and one short level-4 stroke across its middle. Written
// through the same engine as the paintings, so it plays as they do.
#include <algorithm>
#include <cstdio>
#include <string>

#include "engine/files/files.h"
#include "tools/paint/engine_canvas.h"
#include "tools/paint/picture_input.h"
#include "tools/paint/picture_palette.h"
#include "format/format.h"
#include "tools/paint/stroke_plan.h"

namespace {

constexpr std::uint32_t kCellBytes = format::kValueRecordSize + format::strokeRecordSize(2);
constexpr int kReach = 3;  // a level-4 stamp reaches 3 pixels from its centre

std::uint32_t meanOf(const tools::Picture& p, int x0, int y0, int x1, int y1) {
    std::uint64_t sum[3] = {0, 0, 0}, n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x, ++n)
            for (int c = 0; c < 3; ++c) sum[c] += (p.pixels[static_cast<std::size_t>(y * p.width + x)] >> (8 * c)) & 0xFF;
    std::uint32_t colour = 0;
    for (int c = 0; c < 3; ++c) colour |= static_cast<std::uint32_t>((sum[c] + n / 2) / n) << (8 * c);
    return colour;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: mosaic_baseline PICTURE.png BUDGET OUT.qcd\n", stderr);
        return 2;
    }
    tools::Picture picture;
    std::string error;
    if (!paint::readPicture(argv[1], picture, error)) {
        std::fprintf(stderr, "mosaic_baseline: %s\n", error.c_str());
        return 1;
    }
    const auto budget = static_cast<std::uint32_t>(std::stoul(argv[2]));
    paint::EngineCanvas engine;
    if (!engine.open(picture.width, picture.height, paint::paletteFromPicture(picture), error)) {
        std::fprintf(stderr, "mosaic_baseline: %s\n", error.c_str());
        return 1;
    }
    engine.play(format::RecordWriter().colour(meanOf(picture, 0, 0, picture.width, picture.height)).fill().take());
    const std::uint32_t room = budget - engine.usedBytes();
    int cell = 1;
    auto cells = [&](int c) {
        return static_cast<std::uint32_t>(((picture.width + c - 1) / c) * ((picture.height + c - 1) / c));
    };
    while (cells(cell) * kCellBytes > room) ++cell;
    for (int y0 = 0; y0 < picture.height; y0 += cell) {
        for (int x0 = 0; x0 < picture.width; x0 += cell) {
            const int x1 = std::min(picture.width, x0 + cell), y1 = std::min(picture.height, y0 + cell);
            format::RecordWriter records(true);
            records.colour(meanOf(picture, x0, y0, x1, y1));
            // Stamps from one end to the other (the last point is never
            // stamped), reaching a pixel past each side so the corners fill.
            const int y = (y0 + y1 - 1) / 2;
            const int from = std::min(x0 + kReach - 1, (x0 + x1 - 1) / 2);
            const int to = std::max(from + 1, x1 - kReach + 1);
            records.stroke({{from, y, 0}, {to, y, paint::pressureForLevel(4)}});
            engine.play(records.bytes());
        }
    }
    const std::vector<std::uint8_t> block = engine.block();
    if (!tools::writeFileAtomically(argv[3], [&](std::FILE* f) { return std::fwrite(block.data(), 1, block.size(), f) == block.size(); }, error)) {
        std::fprintf(stderr, "mosaic_baseline: %s\n", error.c_str());
        return 1;
    }
    std::printf("cell=%d cells=%u bytes=%u\n", cell, cells(cell), engine.usedBytes());
    return 0;
}
