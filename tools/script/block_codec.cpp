#include "tools/script/block_codec.h"

#include <algorithm>
#include <cstring>

#include "drawing/block.h"

namespace script {

namespace {

std::uint16_t u16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

std::uint32_t u32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

void put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, static_cast<std::uint16_t>(v));
    put16(out, static_cast<std::uint16_t>(v >> 16));
}

// Bytes a stroke of this count takes; 64-bit, since a recorded count can be
// far beyond what the block holds.
std::uint64_t strokeSize(std::int32_t count) {
    return count >= 2 ? 10 + 4 * (static_cast<std::uint64_t>(count) - 1) : 10;
}

}  // namespace

int extraWordCount(std::uint16_t marker) {
    switch (marker) {
        case 48: return 2;
        case 49: return 1;
        case 999: return 4;
        default: return 0;
    }
}

RecordKind kindOfOpcode(std::uint16_t opcode) {
    switch (opcode) {
        case 0: return RecordKind::Colour;
        case 1: return RecordKind::PenMode;
        case 2: return RecordKind::Stroke;
        case 3: return RecordKind::BrushSize;
        case 4: return RecordKind::Fill;
        case 5: return RecordKind::Density;
        default: return RecordKind::Unknown;
    }
}

std::uint32_t recordSize(const Record& record) {
    switch (record.kind) {
        case RecordKind::Unknown: return 2;
        case RecordKind::Stroke: return static_cast<std::uint32_t>(6 + 4 * record.points.size());
        default: return 6;
    }
}

std::uint32_t firstRecordOffset(const Drawing& drawing) {
    return kDrawingStreamStart + 2 + 2 * static_cast<std::uint32_t>(extraWordCount(drawing.marker)) + 14 + 1032;
}

Drawing decodeBlock(const std::uint8_t* block) {
    Drawing d;
    std::memcpy(d.head.data(), block, d.head.size());
    std::uint32_t at = kDrawingStreamStart;
    d.marker = u16(block + at);
    at += 2;
    for (int i = 0; i < extraWordCount(d.marker); ++i, at += 2) d.extraWords.push_back(u16(block + at));
    std::memcpy(d.header.data(), block + at, d.header.size());
    at += static_cast<std::uint32_t>(d.header.size());
    std::memcpy(d.palette.data(), block + at, d.palette.size());
    at += static_cast<std::uint32_t>(d.palette.size());

    // Past the last non-zero byte there is only the zero tail.
    std::uint32_t end = kDrawingBlockSize;
    while (end > at && block[end - 1] == 0) --end;

    while (at < end) {
        const std::uint32_t left = kDrawingBlockSize - at;
        Record r;
        r.opcode = u16(block + at);
        r.kind = kindOfOpcode(r.opcode);
        if (r.kind == RecordKind::Unknown) {
            d.records.push_back(r);
            at += 2;
            continue;
        }
        if (r.kind != RecordKind::Stroke) {
            if (left < 6) break;
            r.value = u32(block + at + 2);
            d.records.push_back(r);
            at += 6;
            continue;
        }
        if (left < 10) break;
        r.count = static_cast<std::int32_t>(u32(block + at + 2));
        const std::uint64_t size = strokeSize(r.count);
        if (size > left) break;
        const std::uint32_t n = static_cast<std::uint32_t>((size - 6) / 4);
        r.points.resize(n);
        for (std::uint32_t i = 0; i < n; ++i) {
            r.points[i].x = u16(block + at + 6 + 4 * i);
            r.points[i].y = u16(block + at + 8 + 4 * i);
        }
        at += static_cast<std::uint32_t>(size);
        d.records.push_back(std::move(r));
    }
    if (at < end) d.tail.assign(block + at, block + end);
    return d;
}

std::vector<std::uint8_t> encodeDrawing(const Drawing& d) {
    std::vector<std::uint8_t> out(d.head.begin(), d.head.end());
    put16(out, d.marker);
    for (int i = 0; i < extraWordCount(d.marker); ++i)
        put16(out, i < static_cast<int>(d.extraWords.size()) ? d.extraWords[static_cast<std::size_t>(i)] : 0);
    out.insert(out.end(), d.header.begin(), d.header.end());
    out.insert(out.end(), d.palette.begin(), d.palette.end());
    for (const Record& r : d.records) {
        put16(out, r.opcode);
        if (r.kind == RecordKind::Unknown) continue;
        if (r.kind != RecordKind::Stroke) {
            put32(out, r.value);
            continue;
        }
        put32(out, static_cast<std::uint32_t>(r.count));
        for (const PointWords& p : r.points) {
            put16(out, p.x);
            put16(out, p.y);
        }
    }
    out.insert(out.end(), d.tail.begin(), d.tail.end());
    return out;
}

bool encodeBlock(const Drawing& drawing, std::vector<std::uint8_t>& block, std::uint64_t& overBy) {
    std::vector<std::uint8_t> bytes = encodeDrawing(drawing);
    if (bytes.size() > kDrawingBlockSize) {
        overBy = bytes.size() - kDrawingBlockSize;
        return false;
    }
    overBy = 0;
    bytes.resize(kDrawingBlockSize, 0);
    block = std::move(bytes);
    return true;
}

}  // namespace script
