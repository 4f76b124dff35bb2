// A DrawingBlock taken apart into what its bytes mean: the bytes before the
// stream, the prologue, one entry per record, and the bytes after the last
// whole record. Every field keeps its raw value, so any block, however odd,
// goes back to the same bytes.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace script {

enum class RecordKind { Colour, PenMode, Stroke, BrushSize, Fill, Density, Unknown };

// One stroke point as its two words lie in the block. With pressure on, the
// x word of every point after the first holds the pressure in bits 12 to 15.
struct PointWords {
    std::uint16_t x = 0;
    std::uint16_t y = 0;
    bool operator==(const PointWords& other) const { return x == other.x && y == other.y; }
};

struct Record {
    RecordKind kind = RecordKind::Unknown;
    std::uint16_t opcode = 0;       // the word itself; for Unknown any word but 0..5
    std::uint32_t value = 0;        // payload of the five one-value records
    std::int32_t count = 0;         // Stroke: the point count as recorded
    std::vector<PointWords> points; // Stroke: max(count, 1) points
    bool operator==(const Record& other) const {
        return kind == other.kind && opcode == other.opcode && value == other.value && count == other.count &&
               points == other.points;
    }
};

struct Drawing {
    std::array<std::uint8_t, 8> head{};       // block bytes 0..7: the drawing byte and the seal
    std::uint16_t marker = 0;                 // FormatMarker
    std::vector<std::uint16_t> extraWords;    // as many as the marker asks for
    std::array<std::uint8_t, 14> header{};    // DrawingHeader
    std::array<std::uint8_t, 1032> palette{}; // DrawingPalette image
    std::vector<Record> records;
    // Bytes after the last whole record, up to the last non-zero byte: the
    // start of a record that the end of the block cuts. The rest is zero.
    std::vector<std::uint8_t> tail;

    bool operator==(const Drawing& other) const {
        return head == other.head && marker == other.marker && extraWords == other.extraWords &&
               header == other.header && palette == other.palette && records == other.records && tail == other.tail;
    }
};

constexpr std::uint8_t kDrawingByte = 0x51;  // byte 0 of a drawing: anything but 0x44
constexpr std::uint16_t kPressureMarker = 48;

// How many extra words follow a FormatMarker.
int extraWordCount(std::uint16_t marker);

inline bool carriesPressure(const Drawing& drawing) { return drawing.marker == kPressureMarker; }

inline std::uint16_t headerWidth(const Drawing& d) { return static_cast<std::uint16_t>(d.header[2] | d.header[3] << 8); }
inline std::uint16_t headerHeight(const Drawing& d) { return static_cast<std::uint16_t>(d.header[4] | d.header[5] << 8); }

// Bytes a record takes in the block.
std::uint32_t recordSize(const Record& record);

// The record kind an opcode word names.
RecordKind kindOfOpcode(std::uint16_t opcode);

}  // namespace script
