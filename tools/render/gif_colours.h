// Colour reduction for GIF frames. A GIF frame has at most 256 colours, and
// one of them is kept for "unchanged": a frame carries only the pixels that
// differ from the frame before. The drawing's own palette comes first (the
// canvas is painted in it); otherwise the changed pixels' own colours when
// there are at most 255; only beyond that does libimagequant choose them
// (without dithering, which would flicker from frame to frame), from the
// frame's colour counts rather than from its pixels, so a frame costs in
// proportion to its colours.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/picture/picture_diff.h"

struct liq_attr;

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

// The colours of a frame, each with its count and an output index, in the
// order first seen. Open addressing: a frame has tens of thousands of pixels
// and a few thousand colours, looked up once a pixel.
class ColourTable {
public:
    void clear();  // keeps the storage for the next frame
    // One more pixel of this colour; its position in colours().
    std::size_t count(std::uint32_t colour);
    void countAgain(std::size_t position) { ++counts_[position]; }
    // Its position in colours(), or size() when absent.
    std::size_t find(std::uint32_t colour) const;
    std::size_t size() const { return colours_.size(); }
    const std::vector<std::uint32_t>& colours() const { return colours_; }
    const std::vector<std::uint32_t>& counts() const { return counts_; }
    std::vector<std::uint8_t> index;  // by position: the colour's index in a frame

private:
    void grow();
    std::size_t slot(std::uint32_t colour) const;
    std::vector<std::uint32_t> keys_;       // kEmptySlot where free
    std::vector<std::uint32_t> positions_;  // by slot
    std::vector<std::uint32_t> colours_;
    std::vector<std::uint32_t> counts_;
};

class GifColours {
public:
    // Up to 255 colours (0x00BBGGRR) tried first for every frame.
    explicit GifColours(std::vector<std::uint32_t> preferred);
    ~GifColours();
    GifColours(const GifColours&) = delete;
    GifColours& operator=(const GifColours&) = delete;

    const std::vector<std::uint32_t>& preferred() const { return preferred_; }

    // The rectangle of the picture in at most 256 colours; pixels equal in
    // `before` (when given) are left transparent. With `exactOnly`, no colour
    // is approximated: beyond 255 colours the most common 255 are sent and
    // the pixels of the others stay transparent, for a further frame.
    bool reduce(const Picture& picture, const Picture* before, const PictureRect& rect, bool exactOnly,
                IndexedRegion& out, std::string& error);

private:
    bool quantise(bool hasUnchanged, IndexedRegion& out, std::string& error);
    bool inPreferred();
    bool indexPixels(IndexedRegion& out, std::string& error) const;

    std::vector<std::uint32_t> preferred_;
    ColourTable preferredTable_;
    ColourTable frameTable_;              // the colours of the frame at hand
    std::vector<std::uint32_t> pixels_;   // its pixels, kUnchanged where equal
    struct LiqAttrDeleter {
        void operator()(liq_attr* attr) const;
    };
    std::unique_ptr<liq_attr, LiqAttrDeleter> quantiser_;
};

}  // namespace tools
