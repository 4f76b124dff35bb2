// Decoding of a resource bitmap (a DIB without its file header) into a 32-bit
// bitmap: 1, 4 and 8 bits through the colour table, 16, 24 and 32 bits direct;
// bottom-up or top-down rows, each padded to four bytes. Compressed DIBs are
// refused: the player's resources never use them.
#include "platform/emu/desktop_state.h"

#include "format/little_endian.h"

namespace emu {

bool decodeDib(const std::uint8_t* data, std::size_t size, GdiObject& bitmap) {
    if (size < 40) return false;
    const std::uint32_t headerSize = format::readU32(data);
    if (headerSize < 40 || headerSize > size) return false;
    const auto width = static_cast<std::int32_t>(format::readU32(data + 4));
    const auto rawHeight = static_cast<std::int32_t>(format::readU32(data + 8));
    const std::uint16_t bits = format::readU16(data + 14);
    const std::uint32_t compression = format::readU32(data + 16);
    std::uint32_t colours = format::readU32(data + 32);
    if (width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN) return false;
    const bool topDown = rawHeight < 0;
    const std::int32_t height = topDown ? -rawHeight : rawHeight;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    if (compression != 0 && !(compression == 3 && (bits == 16 || bits == 32))) return false;

    std::size_t at = headerSize;
    std::uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
    if (bits == 32) masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    if (compression == 3) {
        if (size < 52) return false;
        if (headerSize == 40) {
            if (size - at < 12) return false;
            at += 12;
        }
        for (int i = 0; i < 3; ++i) masks[i] = format::readU32(data + 40 + 4 * i);
    }
    if (bits <= 8 && colours == 0) colours = 1u << bits;
    if (bits > 8) colours = 0;  // a table beside direct colours is only a hint
    if (colours > 256 || (size - at) / 4 < colours) return false;
    const std::uint8_t* table = data + at;
    at += std::size_t{colours} * 4;

    const std::uint64_t stride = ((std::uint64_t(width) * bits + 31) / 32) * 4;
    if ((size - at) / stride < std::uint64_t(height)) return false;
    if (std::uint64_t(width) * std::uint64_t(height) * 4 > maxSurfaceBytes) return false;
    bitmap.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    bitmap.surface = Surface{bitmap.pixels.data(), width, height, true};

    auto maskedChannel = [](std::uint32_t value, std::uint32_t mask) -> std::uint32_t {
        if (!mask) return 0;
        int shift = 0;
        while (!((mask >> shift) & 1)) ++shift;
        const std::uint32_t top = mask >> shift;
        return ((value & mask) >> shift) * 255 / top;
    };
    for (std::int32_t row = 0; row < height; ++row) {
        const std::uint8_t* src = data + at + stride * static_cast<std::uint64_t>(row);
        const std::int32_t y = topDown ? row : height - 1 - row;
        std::uint32_t* out = bitmap.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        for (std::int32_t x = 0; x < width; ++x) {
            std::uint32_t colour = 0;
            if (bits <= 8) {
                const std::uint64_t bit = std::uint64_t(x) * bits;
                const std::uint8_t byte = src[bit / 8];
                const unsigned index = (byte >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
                if (index < colours) colour = RGB(table[index * 4 + 2], table[index * 4 + 1], table[index * 4]);
            } else if (bits == 24) {
                colour = RGB(src[x * 3 + 2], src[x * 3 + 1], src[x * 3]);
            } else {
                const std::uint32_t v = bits == 16 ? format::readU16(src + x * 2) : format::readU32(src + x * 4);
                colour = RGB(maskedChannel(v, masks[0]), maskedChannel(v, masks[1]), maskedChannel(v, masks[2]));
            }
            out[x] = colour;
        }
    }
    return true;
}

}  // namespace emu
