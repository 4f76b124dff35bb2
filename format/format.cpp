#include "format/format.h"

#include <algorithm>
#include <cstring>

namespace format {

RecordKind kindOfOpcode(std::uint16_t opcode) {
    switch (opcode) {
        case ColourRecord: return RecordKind::Colour;
        case PenModeRecord: return RecordKind::PenMode;
        case StrokeRecord: return RecordKind::Stroke;
        case BrushSizeRecord: return RecordKind::BrushSize;
        case FillRecord: return RecordKind::Fill;
        case DensityRecord: return RecordKind::Density;
        default: return RecordKind::Unknown;
    }
}

std::uint16_t opcodeOfKind(RecordKind kind) {
    switch (kind) {
        case RecordKind::Colour: return ColourRecord;
        case RecordKind::PenMode: return PenModeRecord;
        case RecordKind::Stroke: return StrokeRecord;
        case RecordKind::BrushSize: return BrushSizeRecord;
        case RecordKind::Fill: return FillRecord;
        case RecordKind::Density: return DensityRecord;
        case RecordKind::Unknown: break;
    }
    return 0xFFFF;
}

std::uint32_t recordSize(const Record& record) {
    switch (record.kind) {
        case RecordKind::Unknown: return kWordSize;
        case RecordKind::Stroke: return kStrokeHeadSize + kPointSize * static_cast<std::uint32_t>(record.points.size());
        default: return kValueRecordSize;
    }
}

namespace {

// The prologue, filled into d; returns the offset of the first record.
std::uint32_t readPrologue(const std::uint8_t* block, Drawing& d) {
    std::memcpy(d.head.data(), block, d.head.size());
    std::uint32_t at = kDrawingStreamStart;
    d.marker = readU16(block + at);
    at += kWordSize;
    for (int i = 0; i < extraWordCount(d.marker); ++i, at += kWordSize) d.extraWords.push_back(readU16(block + at));
    std::memcpy(d.header.data(), block + at, d.header.size());
    at += kHeaderSize;
    std::memcpy(d.palette.data(), block + at, d.palette.size());
    return at + kPaletteImageSize;
}

}  // namespace

Drawing parsePrologue(const std::uint8_t* block) {
    Drawing d;
    readPrologue(block, d);
    return d;
}

bool parseRecord(const std::uint8_t* block, std::uint32_t end, std::uint32_t& at, Record& r) {
    end = std::min(end, kDrawingBlockSize);
    if (at >= end || end - at < kWordSize) return false;
    const std::uint32_t left = end - at;
    r = Record{};
    r.opcode = readU16(block + at);
    r.kind = kindOfOpcode(r.opcode);
    if (r.kind == RecordKind::Unknown) {
        at += kWordSize;
        return true;
    }
    if (r.kind != RecordKind::Stroke) {
        if (left < kValueRecordSize) return false;
        r.value = readU32(block + at + kWordSize);
        at += kValueRecordSize;
        return true;
    }
    if (left < kStrokeHeadSize + kPointSize) return false;
    r.count = static_cast<std::int32_t>(readU32(block + at + kWordSize));
    const std::uint64_t size = strokeRecordSize(r.count);
    if (size > left) return false;
    const auto n = static_cast<std::uint32_t>((size - kStrokeHeadSize) / kPointSize);
    r.points.resize(n);
    const std::uint8_t* point = block + at + kStrokeHeadSize;
    for (std::uint32_t i = 0; i < n; ++i, point += kPointSize) {
        r.points[i].x = readU16(point);
        r.points[i].y = readU16(point + kWordSize);
    }
    at += static_cast<std::uint32_t>(size);
    return true;
}

Drawing parseBlock(const std::uint8_t* block) {
    Drawing d;
    std::uint32_t at = readPrologue(block, d);

    // Past the last non-zero byte there is only the zero tail.
    std::uint32_t end = kDrawingBlockSize;
    while (end > at && block[end - 1] == 0) --end;

    // Records may run into the zeros after `end`: a stroke's last point can be (0, 0).
    Record r;
    while (at < end && parseRecord(block, kDrawingBlockSize, at, r)) d.records.push_back(std::move(r));
    if (at < end) d.tail.assign(block + at, block + end);
    return d;
}

std::vector<std::uint8_t> encodeDrawing(const Drawing& d) {
    std::vector<std::uint8_t> out(d.head.begin(), d.head.end());
    appendU16(out, d.marker);
    for (int i = 0; i < extraWordCount(d.marker); ++i)
        appendU16(out, i < static_cast<int>(d.extraWords.size()) ? d.extraWords[static_cast<std::size_t>(i)] : 0);
    out.insert(out.end(), d.header.begin(), d.header.end());
    out.insert(out.end(), d.palette.begin(), d.palette.end());
    for (const Record& r : d.records) {
        appendU16(out, r.opcode);
        if (r.kind == RecordKind::Unknown) continue;
        if (r.kind != RecordKind::Stroke) {
            appendU32(out, r.value);
            continue;
        }
        appendU32(out, static_cast<std::uint32_t>(r.count));
        for (const PointWords& p : r.points) {
            appendU16(out, p.x);
            appendU16(out, p.y);
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

std::vector<std::uint32_t> paletteColours(const std::uint8_t* image) {
    const std::uint32_t count = std::min<std::uint32_t>(readU16(image + kPaletteCountAt), kPaletteEntries);
    std::vector<std::uint32_t> colours;
    colours.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) colours.push_back(readU32(image + paletteSlotAt(i)) & kColourMask);
    return colours;
}

std::array<std::uint8_t, kPaletteImageSize> paletteImage(const std::vector<std::uint32_t>& colours) {
    std::array<std::uint8_t, kPaletteImageSize> image{};
    writeU16(image.data() + kPaletteVersionAt, kPaletteVersion);
    writeU16(image.data() + kPaletteCountAt, kPaletteEntries);
    for (std::uint32_t i = 0; i < kPaletteEntries; ++i) {
        const std::uint32_t colour = i < colours.size() ? colours[i] & kColourMask : 0;
        writeU32(image.data() + paletteSlotAt(i), colour | std::uint32_t{kSlotNoCollapse} << 24);
    }
    return image;
}

BlockWriter::BlockWriter(std::uint16_t width, std::uint16_t height, std::uint16_t marker,
                         const std::vector<std::uint32_t>& colours)
    : bytes_(kDrawingBlockSize, 0), at_(kDrawingStreamStart), pressure_(marker == kMarkerPressure) {
    bytes_[0] = kDrawingByte;
    put16(marker);
    at_ += kWordSize * static_cast<std::uint32_t>(extraWordCount(marker));
    writeU16(bytes_.data() + at_ + kHeaderWidthAt, width);
    writeU16(bytes_.data() + at_ + kHeaderHeightAt, height);
    at_ += kHeaderSize;
    const auto image = paletteImage(colours);
    std::copy(image.begin(), image.end(), bytes_.begin() + at_);
    at_ += kPaletteImageSize;
}

void BlockWriter::put16(std::uint16_t value) {
    writeU16(bytes_.data() + at_, value);
    at_ += kWordSize;
}

void BlockWriter::put32(std::uint32_t value) {
    writeU32(bytes_.data() + at_, value);
    at_ += kValueSize;
}

BlockWriter& BlockWriter::word(std::uint16_t value) {
    if (fits(kWordSize)) put16(value);
    return *this;
}

BlockWriter& BlockWriter::dword(std::uint32_t value) {
    if (fits(kValueSize)) put32(value);
    return *this;
}

BlockWriter& BlockWriter::seek(std::uint32_t offset) {
    at_ = std::min(offset, kDrawingBlockSize);
    return *this;
}

BlockWriter& BlockWriter::append(const RecordWriter& records) {
    if (!fits(records.size())) return *this;
    std::copy(records.bytes().begin(), records.bytes().end(), bytes_.begin() + at_);
    at_ += static_cast<std::uint32_t>(records.size());
    return *this;
}

BlockWriter& BlockWriter::record(std::uint16_t opcode, std::uint32_t value) {
    return append(RecordWriter(pressure_).record(opcode, value));
}
BlockWriter& BlockWriter::colour(std::uint32_t rgb, int selector) {
    return append(RecordWriter(pressure_).colour(rgb, static_cast<std::uint32_t>(selector)));
}
BlockWriter& BlockWriter::penMode(std::uint32_t mode) { return append(RecordWriter(pressure_).penMode(mode)); }
BlockWriter& BlockWriter::brushSize(std::uint32_t level) { return append(RecordWriter(pressure_).brushSize(level)); }
BlockWriter& BlockWriter::density(std::uint32_t value) { return append(RecordWriter(pressure_).density(value)); }
BlockWriter& BlockWriter::fill() { return append(RecordWriter(pressure_).fill()); }
BlockWriter& BlockWriter::strokeWords(std::int32_t count, const std::vector<PointWords>& points) {
    return append(RecordWriter(pressure_).strokeWords(count, points));
}
BlockWriter& BlockWriter::stroke(const std::vector<StrokePoint>& points) {
    return append(RecordWriter(pressure_).stroke(points));
}

RecordWriter& RecordWriter::record(std::uint16_t opcode, std::uint32_t value) {
    appendU16(bytes_, opcode);
    appendU32(bytes_, value);
    return *this;
}

RecordWriter& RecordWriter::colour(std::uint32_t rgb, std::uint32_t selector) {
    return record(ColourRecord, colourValue(rgb, selector));
}
RecordWriter& RecordWriter::penMode(std::uint32_t mode) { return record(PenModeRecord, mode); }
RecordWriter& RecordWriter::brushSize(std::uint32_t level) { return record(BrushSizeRecord, level); }
RecordWriter& RecordWriter::density(std::uint32_t value) { return record(DensityRecord, value); }
RecordWriter& RecordWriter::fill() { return record(FillRecord, 0); }

RecordWriter& RecordWriter::strokeWords(std::int32_t count, const std::vector<PointWords>& points) {
    bytes_.reserve(bytes_.size() + kStrokeHeadSize + kPointSize * points.size());
    appendU16(bytes_, static_cast<std::uint16_t>(StrokeRecord));
    appendU32(bytes_, static_cast<std::uint32_t>(count));
    for (const PointWords& p : points) {
        appendU16(bytes_, p.x);
        appendU16(bytes_, p.y);
    }
    return *this;
}

RecordWriter& RecordWriter::stroke(const std::vector<StrokePoint>& points) {
    if (points.empty()) return *this;
    std::vector<PointWords> words(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        const StrokePoint& p = points[i];
        words[i].x = pressure_ && i > 0 ? pressurePointWord(p.x, p.pressure) : static_cast<std::uint16_t>(p.x);
        words[i].y = static_cast<std::uint16_t>(p.y);
    }
    return strokeWords(static_cast<std::int32_t>(points.size()), words);
}

std::uint32_t recordsEnd(const std::uint8_t* block, std::uint32_t first) {
    std::uint32_t last = kDrawingBlockSize;  // after the last non-zero byte
    while (last > first && block[last - 1] == 0) --last;
    std::uint32_t at = first;
    Record record;
    while (at < last) {
        // A record cut by the end of the block leaves no room after it.
        if (!parseRecord(block, kDrawingBlockSize, at, record)) return kDrawingBlockSize;
    }
    return at;
}

}  // namespace format
