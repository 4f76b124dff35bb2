#include "tools/render/gif_colours.h"

#include <libimagequant.h>

#include <algorithm>

namespace tools {

namespace {

constexpr std::size_t kMaxColours = 256;
constexpr std::uint32_t kUnchanged = 0xFF000000;  // no picture colour has a top byte
constexpr std::uint32_t kEmptySlot = 0xFFFFFFFF;  // nor is any equal to this

struct LiqDeleter {
    void operator()(liq_image* p) const { liq_image_destroy(p); }
    void operator()(liq_result* p) const { liq_result_destroy(p); }
    void operator()(liq_histogram* p) const { liq_histogram_destroy(p); }
};

liq_color toLiq(std::uint32_t c) {
    return liq_color{static_cast<unsigned char>(c), static_cast<unsigned char>(c >> 8),
                     static_cast<unsigned char>(c >> 16), 255};
}

}  // namespace

void ColourTable::clear() {
    // Emptying only the slots in use keeps this in proportion to the colours;
    // last in, first out, each colour is found where it went in.
    for (auto c = colours_.rbegin(); c != colours_.rend(); ++c) keys_[slot(*c)] = kEmptySlot;
    colours_.clear();
    counts_.clear();
    index.clear();
}

std::size_t ColourTable::slot(std::uint32_t colour) const {
    const std::size_t mask = keys_.size() - 1;
    std::size_t s = (colour * 0x9E3779B1u) & mask;
    while (keys_[s] != colour && keys_[s] != kEmptySlot) s = (s + 1) & mask;
    return s;
}

void ColourTable::grow() {
    keys_.assign(keys_.empty() ? 1024 : keys_.size() * 2, kEmptySlot);
    positions_.resize(keys_.size());
    for (std::size_t i = 0; i < colours_.size(); ++i) {
        const std::size_t s = slot(colours_[i]);
        keys_[s] = colours_[i];
        positions_[s] = static_cast<std::uint32_t>(i);
    }
}

std::size_t ColourTable::count(std::uint32_t colour) {
    // At most half full, so probes stay short.
    if ((colours_.size() + 1) * 2 > keys_.size()) grow();
    const std::size_t s = slot(colour);
    if (keys_[s] == colour) {
        ++counts_[positions_[s]];
        return positions_[s];
    }
    keys_[s] = colour;
    positions_[s] = static_cast<std::uint32_t>(colours_.size());
    colours_.push_back(colour);
    counts_.push_back(1);
    index.push_back(0);
    return colours_.size() - 1;
}

std::size_t ColourTable::find(std::uint32_t colour) const {
    if (keys_.empty()) return size();
    const std::size_t s = slot(colour);
    return keys_[s] == colour ? positions_[s] : size();
}

void GifColours::LiqAttrDeleter::operator()(liq_attr* attr) const { liq_attr_destroy(attr); }

GifColours::GifColours(std::vector<std::uint32_t> preferred) : preferred_(std::move(preferred)) {
    if (preferred_.size() > kPreferredTransparent) preferred_.resize(kPreferredTransparent);
    // The first of equal entries wins, as a palette match would pick it.
    for (std::size_t i = 0; i < preferred_.size(); ++i) {
        const std::size_t at = preferredTable_.count(preferred_[i] & 0xFFFFFF);
        if (preferredTable_.counts()[at] == 1) preferredTable_.index[at] = static_cast<std::uint8_t>(i);
    }
    if (!preferred_.empty()) {
        preferredTable_.index[preferredTable_.count(kUnchanged)] = kPreferredTransparent;
        preferred_.resize(kMaxColours, 0);
    }
}

GifColours::~GifColours() = default;

// Whether every colour of the frame is in the preferred palette; if so, each
// takes its index there.
bool GifColours::inPreferred() {
    const std::vector<std::uint32_t>& colours = frameTable_.colours();
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const std::size_t at = preferredTable_.find(colours[i]);
        if (at == preferredTable_.size()) return false;
        frameTable_.index[i] = preferredTable_.index[at];
    }
    return true;
}

// Indices through the frame's table, remembering the last colour: frames are
// mostly long runs of one colour.
bool GifColours::indexPixels(IndexedRegion& out, std::string& error) const {
    out.indices.resize(pixels_.size());
    std::uint32_t lastColour = kEmptySlot;
    std::uint8_t lastIndex = 0;
    for (std::size_t i = 0; i < pixels_.size(); ++i) {
        if (pixels_[i] != lastColour) {
            const std::size_t at = frameTable_.find(pixels_[i]);
            if (at == frameTable_.size()) {
                error = "a colour of a frame went missing";
                return false;
            }
            lastColour = pixels_[i];
            lastIndex = frameTable_.index[at];
        }
        out.indices[i] = lastIndex;
    }
    return true;
}

// libimagequant picks the palette from the colour counts and maps each
// colour of the frame to its entry; the pixels then only look their colour up.
bool GifColours::quantise(bool hasUnchanged, IndexedRegion& out, std::string& error) {
    error = "the colour quantiser failed on a frame";
    if (!quantiser_) {
        quantiser_.reset(liq_attr_create());
        if (!quantiser_ || liq_set_speed(quantiser_.get(), 10) != LIQ_OK) {
            quantiser_.reset();
            error = "the colour quantiser failed to start";
            return false;
        }
    }
    const int most = static_cast<int>(hasUnchanged ? kMaxColours - 1 : kMaxColours);
    if (liq_set_max_colors(quantiser_.get(), most) != LIQ_OK) return false;

    const std::vector<std::uint32_t>& colours = frameTable_.colours();
    std::vector<liq_histogram_entry> entries;
    std::vector<liq_color> row;  // the frame's colours as one row of an image
    entries.reserve(colours.size());
    row.reserve(colours.size());
    for (std::size_t i = 0; i < colours.size(); ++i) {
        if (colours[i] == kUnchanged) continue;
        entries.push_back(liq_histogram_entry{toLiq(colours[i]), frameTable_.counts()[i]});
        row.push_back(toLiq(colours[i]));
    }
    std::unique_ptr<liq_histogram, LiqDeleter> histogram(liq_histogram_create(quantiser_.get()));
    liq_result* raw = nullptr;
    if (!histogram ||
        liq_histogram_add_colors(histogram.get(), quantiser_.get(), entries.data(), static_cast<int>(entries.size()),
                                 0) != LIQ_OK ||
        liq_histogram_quantize(histogram.get(), quantiser_.get(), &raw) != LIQ_OK)
        return false;
    std::unique_ptr<liq_result, LiqDeleter> result(raw);
    liq_set_dithering_level(result.get(), 0.0f);
    std::unique_ptr<liq_image, LiqDeleter> image(
        liq_image_create_rgba(quantiser_.get(), row.data(), static_cast<int>(row.size()), 1, 0));
    std::vector<std::uint8_t> mapped(row.size());
    if (!image || liq_write_remapped_image(result.get(), image.get(), mapped.data(), mapped.size()) != LIQ_OK)
        return false;
    const liq_palette* palette = liq_get_palette(result.get());
    if (!palette || palette->count > static_cast<unsigned>(most)) return false;
    for (unsigned i = 0; i < palette->count; ++i) {
        const liq_color& c = palette->entries[i];
        out.colours.push_back(static_cast<std::uint32_t>(c.r) | static_cast<std::uint32_t>(c.g) << 8 |
                              static_cast<std::uint32_t>(c.b) << 16);
    }
    std::size_t next = 0;
    for (std::size_t i = 0; i < colours.size(); ++i) {
        if (colours[i] == kUnchanged) {
            out.transparent = static_cast<int>(out.colours.size());
            frameTable_.index[i] = static_cast<std::uint8_t>(out.transparent);
        } else {
            frameTable_.index[i] = mapped[next++];
        }
    }
    if (out.transparent >= 0) out.colours.push_back(0);
    error.clear();
    return true;
}

bool GifColours::reduce(const Picture& picture, const Picture* before, const PictureRect& rect, bool exactOnly,
                        IndexedRegion& out, std::string& error) {
    // The rectangle's pixels, kUnchanged where before has the same colour,
    // counted as they go by; runs of one colour are counted without a look-up.
    frameTable_.clear();
    pixels_.resize(static_cast<std::size_t>(rect.width) * static_cast<std::size_t>(rect.height));
    std::uint32_t* into = pixels_.data();
    std::uint32_t last = kEmptySlot;
    std::size_t lastAt = 0;
    for (int row = rect.y; row < rect.y + rect.height; ++row) {
        const std::size_t start =
            static_cast<std::size_t>(row) * static_cast<std::size_t>(picture.width) + static_cast<std::size_t>(rect.x);
        const std::uint32_t* now = picture.pixels.data() + start;
        const std::uint32_t* then = before ? before->pixels.data() + start : nullptr;
        for (int i = 0; i < rect.width; ++i) {
            std::uint32_t c = now[i] & 0xFFFFFF;
            if (then && (then[i] & 0xFFFFFF) == c) c = kUnchanged;
            *into++ = c;
            if (c == last) {
                frameTable_.countAgain(lastAt);
            } else {
                lastAt = frameTable_.count(c);
                last = c;
            }
        }
    }

    out.usesPreferred = false;
    out.transparent = -1;
    out.complete = true;
    out.colours.clear();
    if (!preferred_.empty() && inPreferred()) {
        out.usesPreferred = true;
        out.transparent = before ? kPreferredTransparent : -1;
        return indexPixels(out, error);
    }

    const std::vector<std::uint32_t>& colours = frameTable_.colours();
    const bool hasUnchanged = frameTable_.find(kUnchanged) != frameTable_.size();

    if (colours.size() <= kMaxColours) {
        // The pixels' own colours.
        for (std::size_t i = 0; i < colours.size(); ++i) {
            if (colours[i] == kUnchanged) out.transparent = static_cast<int>(i);
            out.colours.push_back(colours[i] == kUnchanged ? 0 : colours[i]);
            frameTable_.index[i] = static_cast<std::uint8_t>(i);
        }
    } else if (exactOnly) {
        // The most common 255 exactly; the others' pixels wait, unchanged.
        std::vector<std::uint32_t> order;
        order.reserve(colours.size());
        for (std::uint32_t i = 0; i < colours.size(); ++i)
            if (colours[i] != kUnchanged) order.push_back(i);
        const auto& counts = frameTable_.counts();
        const auto commoner = [&](std::uint32_t a, std::uint32_t b) {
            return counts[a] != counts[b] ? counts[a] > counts[b] : colours[a] < colours[b];
        };
        const auto sent = static_cast<std::ptrdiff_t>(kMaxColours - 1);
        std::partial_sort(order.begin(), order.begin() + sent, order.end(), commoner);
        out.transparent = 0;
        out.complete = false;
        out.colours.push_back(0);
        std::fill(frameTable_.index.begin(), frameTable_.index.end(), std::uint8_t{0});
        for (auto it = order.begin(); it != order.begin() + sent; ++it) {
            frameTable_.index[*it] = static_cast<std::uint8_t>(out.colours.size());
            out.colours.push_back(colours[*it]);
        }
    } else {
        out.complete = false;
        if (!quantise(hasUnchanged, out, error)) return false;
    }
    return indexPixels(out, error);
}

}  // namespace tools
