#include "tools/script/script_writer.h"

#include <cstdarg>
#include <cstdio>

#include "tools/script/block_codec.h"

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

void appendStroke(std::string& out, const Record& r, bool pressure) {
    out += "stroke";
    if (r.count != static_cast<std::int32_t>(r.points.size())) appendf(out, " count %d", r.count);
    for (std::size_t i = 0; i < r.points.size(); ++i) {
        const PointWords& p = r.points[i];
        const int y = static_cast<std::int16_t>(p.y);
        if (pressure && i > 0) {
            appendf(out, " %d,%d/%d", p.x & 0xFFF, y, p.x >> 12);
        } else {
            appendf(out, " %d,%d", static_cast<std::int16_t>(p.x), y);
        }
    }
    out += '\n';
}

void appendRecord(std::string& out, const Record& r, bool pressure) {
    const auto value = static_cast<std::int32_t>(r.value);
    switch (r.kind) {
        case RecordKind::Colour: {
            const unsigned selector = r.value >> 28;
            out += "colour ";
            if (const char* name = selectorName(selector)) {
                out += name;
            } else {
                appendf(out, "%u", selector);
            }
            out += ' ';
            appendColour(out, r.value);
            if (const unsigned spare = (r.value >> 24) & 0xF) appendf(out, " spare %u", spare);
            out += '\n';
            break;
        }
        case RecordKind::PenMode:
            if (const char* name = penModeName(r.value)) {
                appendf(out, "pen-mode %s\n", name);
            } else {
                appendf(out, "pen-mode %d\n", value);
            }
            break;
        case RecordKind::BrushSize: appendf(out, "brush-size %d\n", value); break;
        case RecordKind::Density: appendf(out, "density %d\n", value); break;
        case RecordKind::Fill:
            if (r.value == 0) {
                out += "fill\n";
            } else {
                appendf(out, "fill %d\n", value);
            }
            break;
        case RecordKind::Stroke: appendStroke(out, r, pressure); break;
        case RecordKind::Unknown: appendf(out, "opcode %d\n", static_cast<std::int16_t>(r.opcode)); break;
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

std::string writeScript(const Drawing& d, const std::string& source) {
    std::string out;
    out.reserve(64 * 1024);
    out += "quillcast script 1\n";
    if (!source.empty()) out += "# from " + source + "\n";

    out += "head";
    appendBytes(out, d.head.data(), d.head.size());
    out += d.head[0] == 0x44 ? "  # byte 0 is 0x44: a placeholder, no drawing\n" : "\n";

    appendf(out, "marker %u", d.marker);
    if (!d.extraWords.empty()) {
        out += " extra";
        for (std::uint16_t w : d.extraWords) appendf(out, " %u", w);
    }
    out += carriesPressure(d) ? "  # stroke points after the first carry a pressure\n" : "\n";

    const unsigned word = static_cast<unsigned>(d.header[0] | d.header[1] << 8);
    appendf(out, "header width %u height %u word %u rest", headerWidth(d), headerHeight(d), word);
    appendBytes(out, d.header.data() + 6, 8);
    out += '\n';

    const unsigned version = static_cast<unsigned>(d.palette[0] | d.palette[1] << 8);
    const unsigned count = static_cast<unsigned>(d.palette[2] | d.palette[3] << 8);
    appendf(out, "palette version 0x%x count %u\n", version, count);
    for (unsigned i = 0; i < 257; ++i) {
        const std::uint8_t* slot = d.palette.data() + 4 + 4 * i;
        appendf(out, "slot %u ", i);
        appendColour(out, static_cast<std::uint32_t>(slot[0] | slot[1] << 8 | slot[2] << 16));
        appendf(out, " flags %u\n", slot[3]);
    }

    appendf(out, "# records from block offset %u\n", firstRecordOffset(d));
    const bool pressure = carriesPressure(d);
    for (const Record& r : d.records) appendRecord(out, r, pressure);

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
