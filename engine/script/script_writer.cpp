#include "engine/script/script_writer.h"

#include <cstdarg>
#include <cstdio>


namespace script {

namespace {

constexpr std::size_t kTailBytesPerLine = 32;

void appendf(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));

void appendf(std::string& out, const char* format, ...) {
    char buffer[256];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n > 0) out.append(buffer, static_cast<std::size_t>(n) < sizeof buffer ? static_cast<std::size_t>(n) : sizeof buffer - 1);
}

void appendColour(std::string& out, std::uint32_t bgr) {
    appendf(out, "#%02x%02x%02x", bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

void appendBytes(std::string& out, const std::uint8_t* bytes, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) appendf(out, " %02x", bytes[i]);
}

void appendStroke(std::string& out, const format::Record& r, bool pressure) {
    out += "stroke";
    if (r.count != static_cast<std::int32_t>(r.points.size())) appendf(out, " count %d", r.count);
    for (std::size_t i = 0; i < r.points.size(); ++i) {
        const format::PointWords& p = r.points[i];
        const int y = static_cast<std::int16_t>(p.y);
        if (pressure && i > 0) {
            appendf(out, " %d,%d/%d", p.x & format::kPointXMask, y, format::pointPressure(p.x));
        } else {
            appendf(out, " %d,%d", static_cast<std::int16_t>(p.x), y);
        }
    }
    out += '\n';
}

void appendRecord(std::string& out, const format::Record& r, bool pressure) {
    const auto value = static_cast<std::int32_t>(r.value);
    switch (r.kind) {
        case format::RecordKind::Colour: {
            const unsigned selector = format::colourSelector(r.value);
            out += "colour ";
            if (const char* name = selectorName(selector)) {
                out += name;
            } else {
                appendf(out, "%u", selector);
            }
            out += ' ';
            appendColour(out, r.value);
            if (const unsigned spare = (r.value >> format::kSpareShift) & 0xF) appendf(out, " spare %u", spare);
            out += '\n';
            break;
        }
        case format::RecordKind::PenMode:
            if (const char* name = penModeName(r.value)) {
                appendf(out, "pen-mode %s\n", name);
            } else {
                appendf(out, "pen-mode %d\n", value);
            }
            break;
        case format::RecordKind::BrushSize: appendf(out, "brush-size %d\n", value); break;
        case format::RecordKind::Density: appendf(out, "density %d\n", value); break;
        case format::RecordKind::Fill:
            if (r.value == 0) {
                out += "fill\n";
            } else {
                appendf(out, "fill %d\n", value);
            }
            break;
        case format::RecordKind::Stroke: appendStroke(out, r, pressure); break;
        case format::RecordKind::Unknown: appendf(out, "opcode %d\n", static_cast<std::int16_t>(r.opcode)); break;
    }
}

}  // namespace

const char* penModeName(std::uint32_t value) {
    switch (value) {
        case 1: return "blend";
        case 2: return "darken";
        case 3: return "smudge";
        case 4: return "speckle";
        default: return nullptr;
    }
}

const char* selectorName(unsigned selector) {
    switch (selector) {
        case 0: return "pen";
        case 1: return "second";
        case 2: return "third";
        default: return nullptr;
    }
}

std::string writeScript(const format::Drawing& d, const std::string& source) {
    std::string out;
    out.reserve(64 * 1024);
    out += "quillcast script 1\n";
    if (!source.empty()) out += "# from " + source + "\n";

    out += "head";
    appendBytes(out, d.head.data(), d.head.size());
    out += format::isPlaceholder(d) ? "  # byte 0 is 0x44: a placeholder, no drawing\n" : "\n";

    appendf(out, "marker %u", d.marker);
    if (!d.extraWords.empty()) {
        out += " extra";
        for (std::uint16_t w : d.extraWords) appendf(out, " %u", w);
    }
    out += format::carriesPressure(d) ? "  # stroke points after the first carry a pressure\n" : "\n";

    const unsigned word = format::readU16(d.header.data() + format::kHeaderWordAt);
    appendf(out, "header width %u height %u word %u rest", format::headerWidth(d), format::headerHeight(d), word);
    appendBytes(out, d.header.data() + format::kHeaderRestAt, format::kHeaderSize - format::kHeaderRestAt);
    out += '\n';

    const unsigned version = format::readU16(d.palette.data() + format::kPaletteVersionAt);
    const unsigned count = format::readU16(d.palette.data() + format::kPaletteCountAt);
    appendf(out, "palette version 0x%x count %u\n", version, count);
    for (unsigned i = 0; i < format::kPaletteSlots; ++i) {
        const std::uint8_t* slot = d.palette.data() + format::paletteSlotAt(i);
        appendf(out, "slot %u ", i);
        appendColour(out, format::readU32(slot) & format::kColourMask);
        appendf(out, " flags %u\n", slot[3]);
    }

    appendf(out, "# records from block offset %u\n", format::firstRecordOffset(d));
    const bool pressure = format::carriesPressure(d);
    for (const format::Record& r : d.records) appendRecord(out, r, pressure);

    if (!d.tail.empty()) {
        out += "# a record cut by the end of the block\n";
        for (std::size_t at = 0; at < d.tail.size(); at += kTailBytesPerLine) {
            out += "tail";
            const std::size_t n = d.tail.size() - at < kTailBytesPerLine ? d.tail.size() - at : kTailBytesPerLine;
            appendBytes(out, d.tail.data() + at, n);
            out += '\n';
        }
    }
    return out;
}

}  // namespace script
