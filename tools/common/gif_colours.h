// Colour reduction for GIF frames. A GIF frame has at most 256 colours, and
// one of them is kept for "unchanged": a frame carries only the pixels that
// differ from the frame before. The drawing's own palette comes first (the
// canvas is painted in it); otherwise the changed pixels' own colours when
// there are at most 255; only beyond that does libimagequant choose them
// (without dithering, which would flicker from frame to frame).
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "tools/common/png_writer.h"

namespace tools {

// Index 255 of the preferred palette stands for an unchanged pixel.
constexpr int kPreferredTransparent = 255;

struct IndexedRegion {
    bool usesPreferred = false;            // indices into the preferred palette
    int transparent = -1;                  // the index of unchanged pixels, if any
    bool complete = true;                  // every changed pixel has its own colour
    std::vector<std::uint32_t> colours;    // otherwise this palette, 0x00BBGGRR
    std::vector<std::uint8_t> indices;     // one per pixel, row-major
};

class GifColours {
public:
    // Up to 255 colours (0x00BBGGRR) tried first for every frame.
    explicit GifColours(std::vector<std::uint32_t> preferred);

    const std::vector<std::uint32_t>& preferred() const { return preferred_; }

    // The rectangle (x, y, width, height) of the picture in at most 256
    // colours; pixels equal in `before` (when given) are left transparent.
    // With `exactOnly`, no colour is approximated: beyond 255 colours the
    // pixels of the others stay transparent, for a further frame.
    bool reduce(const Picture& picture, const Picture* before, int x, int y, int width, int height,
                bool exactOnly, IndexedRegion& out, std::string& error) const;

private:
    std::vector<std::uint32_t> preferred_;
    std::unordered_map<std::uint32_t, std::uint8_t> preferredIndex_;
};

}  // namespace tools
