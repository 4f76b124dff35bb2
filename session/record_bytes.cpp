#include "session/record_bytes.h"

#include "drawing/block.h"
#include "drawing/palette_image.h"
#include "drawing/prologue.h"
#include "drawing/records.h"

namespace session {

namespace {

constexpr std::uint8_t kDrawingByte = 0x51;  // anything but the placeholder's 0x44
constexpr std::uint16_t kPlainMarker = 0;
constexpr std::uint8_t kNoCollapse = 4;

std::uint32_t le32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

void put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t v) {
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void push16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

// Bytes of the record at offset, or 0 when even its count lies past the end.
std::uint64_t recordSize(const std::uint8_t* block, std::uint32_t at) {
    const auto opcode = static_cast<std::int16_t>(block[at] | block[at + 1] << 8);
    if (opcode < ColourRecord || opcode > DensityRecord) return 2;
    if (opcode != StrokeRecord) return 6;
    if (at + 6 > kDrawingBlockSize) return 6;
    const auto count = static_cast<std::int32_t>(le32(block + at + 2));
    return count >= 2 ? 10 + 4 * (std::uint64_t(count) - 1) : 10;
}

}  // namespace

std::uint32_t findRecordsEnd(const std::uint8_t* block, std::uint32_t first) {
    std::uint32_t last = kDrawingBlockSize;  // the last non-zero byte
    while (last > first && block[last - 1] == 0) --last;
    std::uint64_t at = first;
    while (at < last) at += recordSize(block, static_cast<std::uint32_t>(at));
    return at > kDrawingBlockSize ? kDrawingBlockSize : static_cast<std::uint32_t>(at);
}

std::vector<std::uint8_t> newBlock(int width, int height, const std::vector<std::uint32_t>& palette, bool pressure) {
    std::vector<std::uint8_t> block(kDrawingBlockSize, 0);
    block[0] = kDrawingByte;
    std::size_t at = kDrawingStreamStart;
    put16(block, at, pressure ? kMarkerPressure : kPlainMarker);
    at += pressure ? 6 : 2;  // the marker and its extra words
    put16(block, at + 2, static_cast<std::uint16_t>(width));
    put16(block, at + 4, static_cast<std::uint16_t>(height));
    at += sizeof(DrawingHeader);
    put16(block, at, kPaletteVersion);
    put16(block, at + 2, kPaletteEntries);
    for (std::size_t i = 0; i < kPaletteEntries && i < palette.size(); ++i) {
        std::uint8_t* slot = block.data() + at + 4 + 4 * i;
        slot[0] = static_cast<std::uint8_t>(palette[i]);
        slot[1] = static_cast<std::uint8_t>(palette[i] >> 8);
        slot[2] = static_cast<std::uint8_t>(palette[i] >> 16);
        slot[3] = kNoCollapse;
    }
    return block;
}

std::vector<std::uint8_t> strokeRecord(int x, int y, const std::vector<std::uint16_t>& words) {
    std::vector<std::uint8_t> out;
    out.reserve(10 + 2 * words.size());
    push16(out, static_cast<std::uint16_t>(StrokeRecord));
    const auto count = static_cast<std::uint32_t>(1 + words.size() / 2);
    push16(out, static_cast<std::uint16_t>(count));
    push16(out, static_cast<std::uint16_t>(count >> 16));
    push16(out, static_cast<std::uint16_t>(x));
    push16(out, static_cast<std::uint16_t>(y));
    for (std::uint16_t w : words) push16(out, w);
    return out;
}

}  // namespace session
