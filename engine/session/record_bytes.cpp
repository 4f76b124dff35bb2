#include "engine/session/record_bytes.h"

#include "format/format.h"

namespace session {

std::uint32_t findRecordsEnd(const std::uint8_t* block, std::uint32_t first) {
    std::uint32_t last = format::kDrawingBlockSize;  // after the last non-zero byte
    while (last > first && block[last - 1] == 0) --last;
    std::uint32_t at = first;
    format::Record record;
    while (at < last) {
        // A record cut by the end of the block leaves no room after it.
        if (!format::parseRecord(block, format::kDrawingBlockSize, at, record)) return format::kDrawingBlockSize;
    }
    return at;
}

std::vector<std::uint8_t> newBlock(int width, int height, const std::vector<std::uint32_t>& palette, bool pressure) {
    // Without pressure the marker is 0: no extra words.
    const std::uint16_t marker = pressure ? format::kMarkerPressure : 0;
    return format::BlockWriter(static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height), marker, palette)
        .block();
}

std::vector<std::uint8_t> strokeRecord(int x, int y, const std::vector<std::uint16_t>& words) {
    std::vector<std::uint8_t> out;
    out.reserve(format::kStrokeHeadSize + format::kPointSize + 2 * words.size());
    format::appendU16(out, static_cast<std::uint16_t>(format::StrokeRecord));
    format::appendU32(out, static_cast<std::uint32_t>(1 + words.size() / 2));
    format::appendU16(out, static_cast<std::uint16_t>(x));
    format::appendU16(out, static_cast<std::uint16_t>(y));
    for (std::uint16_t w : words) format::appendU16(out, w);
    return out;
}

}  // namespace session
