#include "tools/common/gif_colours.h"

#include <libimagequant.h>

#include <memory>

namespace tools {

namespace {

constexpr std::size_t kMaxColours = 256;
constexpr std::uint32_t kUnchanged = 0xFF000000;  // no picture colour has a top byte

using Region = std::vector<std::uint32_t>;

// The rectangle's pixels, with kUnchanged where before has the same colour.
Region cut(const Picture& picture, const Picture* before, int x, int y, int width, int height) {
    Region pixels;
    pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int row = y; row < y + height; ++row) {
        const std::size_t start = static_cast<std::size_t>(row) * static_cast<std::size_t>(picture.width) +
                                  static_cast<std::size_t>(x);
        for (std::size_t i = start; i < start + static_cast<std::size_t>(width); ++i) {
            const std::uint32_t c = picture.pixels[i] & 0xFFFFFF;
            pixels.push_back(before && (before->pixels[i] & 0xFFFFFF) == c ? kUnchanged : c);
        }
    }
    return pixels;
}

// Indices through a colour table, remembering the last colour: frames are
// mostly long runs of one colour.
bool indexWith(const Region& pixels, const std::unordered_map<std::uint32_t, std::uint8_t>& table,
               std::vector<std::uint8_t>& indices) {
    indices.resize(pixels.size());
    std::uint32_t lastColour = 0xFFFFFFFF;
    std::uint8_t lastIndex = 0;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        if (pixels[i] != lastColour) {
            const auto it = table.find(pixels[i]);
            if (it == table.end()) return false;
            lastColour = pixels[i];
            lastIndex = it->second;
        }
        indices[i] = lastIndex;
    }
    return true;
}

// The pixels' own colours; with `partial`, the first 255 of them, the
// pixels of any others left unchanged.
bool exactColours(Region& pixels, bool partial, IndexedRegion& out) {
    std::unordered_map<std::uint32_t, std::uint8_t> table;
    out.colours.clear();
    // A partial frame needs the unchanged colour whether or not it is there yet.
    if (partial) {
        out.transparent = 0;
        table.emplace(kUnchanged, 0);
        out.colours.push_back(0);
    }
    for (std::uint32_t& c : pixels) {
        if (table.count(c)) continue;
        if (out.colours.size() == kMaxColours) {
            if (!partial) return false;
            c = kUnchanged;
            out.complete = false;
            continue;
        }
        if (c == kUnchanged) out.transparent = static_cast<int>(out.colours.size());
        table.emplace(c, static_cast<std::uint8_t>(out.colours.size()));
        out.colours.push_back(c == kUnchanged ? 0 : c);
    }
    return indexWith(pixels, table, out.indices);
}

struct LiqDeleter {
    void operator()(liq_attr* p) const { liq_attr_destroy(p); }
    void operator()(liq_image* p) const { liq_image_destroy(p); }
    void operator()(liq_result* p) const { liq_result_destroy(p); }
};

bool quantise(const Region& pixels, int width, int height, IndexedRegion& out, std::string& error) {
    std::vector<std::uint8_t> rgba(pixels.size() * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        rgba[i * 4] = static_cast<std::uint8_t>(pixels[i]);
        rgba[i * 4 + 1] = static_cast<std::uint8_t>(pixels[i] >> 8);
        rgba[i * 4 + 2] = static_cast<std::uint8_t>(pixels[i] >> 16);
        rgba[i * 4 + 3] = pixels[i] == kUnchanged ? 0 : 255;
    }
    std::unique_ptr<liq_attr, LiqDeleter> attr(liq_attr_create());
    if (!attr || liq_set_max_colors(attr.get(), static_cast<int>(kMaxColours)) != LIQ_OK ||
        liq_set_speed(attr.get(), 10) != LIQ_OK) {
        error = "the colour quantiser failed to start";
        return false;
    }
    std::unique_ptr<liq_image, LiqDeleter> image(liq_image_create_rgba(attr.get(), rgba.data(), width, height, 0));
    liq_result* raw = nullptr;
    if (!image || liq_image_quantize(image.get(), attr.get(), &raw) != LIQ_OK) {
        error = "the colour quantiser failed on a frame";
        return false;
    }
    std::unique_ptr<liq_result, LiqDeleter> result(raw);
    liq_set_dithering_level(result.get(), 0.0f);
    out.indices.resize(pixels.size());
    if (liq_write_remapped_image(result.get(), image.get(), out.indices.data(), out.indices.size()) != LIQ_OK) {
        error = "the colour quantiser failed on a frame";
        return false;
    }
    const liq_palette* palette = liq_get_palette(result.get());
    out.colours.clear();
    for (unsigned i = 0; i < palette->count; ++i) {
        const liq_color& c = palette->entries[i];
        if (c.a == 0) out.transparent = static_cast<int>(i);
        out.colours.push_back(static_cast<std::uint32_t>(c.r) | static_cast<std::uint32_t>(c.g) << 8 |
                              static_cast<std::uint32_t>(c.b) << 16);
    }
    return true;
}

}  // namespace

GifColours::GifColours(std::vector<std::uint32_t> preferred) : preferred_(std::move(preferred)) {
    if (preferred_.size() > kPreferredTransparent) preferred_.resize(kPreferredTransparent);
    // The first of equal entries wins, as a palette match would pick it.
    for (std::size_t i = 0; i < preferred_.size(); ++i)
        preferredIndex_.emplace(preferred_[i] & 0xFFFFFF, static_cast<std::uint8_t>(i));
    if (!preferred_.empty()) {
        preferredIndex_[kUnchanged] = kPreferredTransparent;
        preferred_.resize(kMaxColours, 0);
    }
}

bool GifColours::reduce(const Picture& picture, const Picture* before, int x, int y, int width, int height,
                        bool exactOnly, IndexedRegion& out, std::string& error) const {
    Region pixels = cut(picture, before, x, y, width, height);
    out = IndexedRegion{};
    out.usesPreferred = !preferred_.empty() && indexWith(pixels, preferredIndex_, out.indices);
    if (out.usesPreferred) {
        out.transparent = before ? kPreferredTransparent : -1;
        return true;
    }
    if (exactColours(pixels, exactOnly, out)) return true;
    out = IndexedRegion{};
    out.complete = false;
    return quantise(pixels, width, height, out, error);
}

}  // namespace tools
