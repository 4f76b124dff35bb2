// The pen modes and the colour arithmetic of the pixel decision. A colour is
// a 32-bit reference: red in bits 0..7, green 8..15, blue 16..23; the top byte
// carries the PaletteFlag and is ignored when channels are taken apart.
#pragma once

#include <cstdint>

#include "format/format.h"

enum PenMode : std::int16_t {
    Blend = format::kBlend,
    Darken = format::kDarken,
    Smudge = format::kSmudge,
    Speckle = format::kSpeckle,
};

// What a failed pixel read returns; it counts as 255 in each channel.
constexpr std::uint32_t kInvalidColour = 0xFFFFFFFF;

// Below this, Smudge refuses a pixel (first draw) or Speckle picks the pen colour.
constexpr std::int32_t kOneThird = 10922;
// Below this, Smudge plots its picked-up colour unchanged (second draw).
constexpr std::int32_t kOneHalf = 16383;
// At most this, Speckle picks the third colour; above, the second.
constexpr std::int32_t kTwoThirds = 21844;

// The gate refuses a draw at most this value. Density 0 refuses every draw:
// the limit of 32767 / density as the density falls to 0.
constexpr std::int32_t densityThreshold(std::int16_t density) {
    return density == 0 ? INT32_MAX : 32767 / density;
}

constexpr std::uint32_t channel(std::uint32_t colour, int shift) { return (colour >> shift) & 0xFF; }

constexpr std::uint32_t fromChannels(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return red | (green << 8) | (blue << 16) | format::kPaletteFlag;
}

// Each channel halfway between the two, rounded down.
constexpr std::uint32_t averageColour(std::uint32_t a, std::uint32_t b) {
    return fromChannels((channel(a, 0) + channel(b, 0)) / 2, (channel(a, 8) + channel(b, 8)) / 2,
                        (channel(a, 16) + channel(b, 16)) / 2);
}

// Each channel the smaller of the two.
constexpr std::uint32_t darkerColour(std::uint32_t a, std::uint32_t b) {
    auto least = [](std::uint32_t p, std::uint32_t q) { return p < q ? p : q; };
    return fromChannels(least(channel(a, 0), channel(b, 0)), least(channel(a, 8), channel(b, 8)),
                        least(channel(a, 16), channel(b, 16)));
}
