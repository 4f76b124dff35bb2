// The drawing format: where every byte of a DrawingBlock lies and what it
// means. This is the one description of the layout; the player's reader,
// prologue and record interpreter, the script tools, the renderer, the
// samples and the test builders all take it from here. It is pure: no
// platform call, no process-wide state, no file. The player keeps reading
// the block in place through drawing/reader.h; everyone else reads and
// writes bytes with what is below.
//
// A block is exactly 451000 bytes; all values are little-endian.
//
//   offset  size  content
//   0       1     0x44 marks a placeholder (no drawing); writers put 0x51
//   1       7     the program seal (shell/seal.h); not part of the stream
//   8       2     FormatMarker: 48 (2 extra words, points carry pressure),
//                 49 (1 extra word), 999 (4 extra words), else none
//   10      2n    the marker's n extra words, ignored by the player
//   +0      14    DrawingHeader: word (unused), width, height (unsigned), 8 bytes unused
//   +14     1032  DrawingPalette: a logical-palette image (version 0x300,
//                 entry count, 257 slots of red, green, blue, flags)
//   +1046   ...   records up to the end of the block; the rest is zeros
//
//   opcode  record      payload                                   size
//   0       colour      u32: 0x00BBGGRR, bits 24..27 spare,           6
//                       bits 28..31 selector (0 pen, 1 second, 2 third)
//   1       pen mode    u32 (low 16 bits: 1 blend .. 4 speckle)   6
//   2       stroke      i32 count N, then max(N, 1) points of     10 + 4 (N - 1), at least 10
//                       two 16-bit words: x, then y (signed)
//   3       brush size  u32 (low 16 bits: level 0..4)             6
//   4       fill        u32, unused                               6
//   5       density     u32 (low 16 bits, signed)                 6
//   other   none        the opcode word alone                     2
//
// With FormatMarker 48 the x word of every stroke point after the first
// carries a pressure 0..15 in bits 12..15 and x in bits 0..11 (above 1024
// reads as 0). The first point and every y are plain signed words.
//
// What is here:
//   - the layout constants and the small decoders of record values;
//   - little-endian readers and writers (format/little_endian.h);
//   - the values records carry: colour selectors, the palette flag, pen modes;
//   - Drawing: a block taken apart losslessly, with parseBlock and
//     parsePrologue to read one and encodeDrawing/encodeBlock to write one;
//   - BlockWriter: builds a block record by record (samples, tests, tools).
#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "format/little_endian.h"

namespace format {

// ---- The block --------------------------------------------------------------

constexpr std::uint32_t kDrawingBlockSize = 451000;
constexpr std::uint32_t kDrawingStreamStart = 8;  // bytes 0..7: placeholder byte and seal
constexpr std::uint32_t kHeadSize = kDrawingStreamStart;
constexpr std::uint8_t kPlaceholderByte = 0x44;   // byte 0 of a block without a drawing ('D')
constexpr std::uint8_t kDrawingByte = 0x51;       // byte 0 as writers put it: anything but 0x44

// ---- FormatMarker ------------------------------------------------------------

constexpr std::uint16_t kMarkerPressure = 48;     // 2 extra words; stroke points carry a pressure
constexpr std::uint16_t kMarkerOneExtra = 49;     // 1 extra word
constexpr std::uint16_t kMarkerFourExtra = 999;   // 4 extra words
constexpr std::uint32_t kWordSize = 2;            // the marker, each extra word, an opcode

// How many extra words follow a FormatMarker.
constexpr int extraWordCount(std::uint16_t marker) {
    return marker == kMarkerPressure ? 2 : marker == kMarkerOneExtra ? 1 : marker == kMarkerFourExtra ? 4 : 0;
}

// ---- DrawingHeader -----------------------------------------------------------

constexpr std::uint32_t kHeaderSize = 14;
constexpr std::uint32_t kHeaderWordAt = 0;    // unused by the player
constexpr std::uint32_t kHeaderWidthAt = 2;   // unsigned 16-bit canvas width
constexpr std::uint32_t kHeaderHeightAt = 4;  // unsigned 16-bit canvas height
constexpr std::uint32_t kHeaderRestAt = 6;    // 8 bytes, unused by the player

// ---- DrawingPalette ----------------------------------------------------------

constexpr std::uint32_t kPaletteImageSize = 1032;
constexpr std::uint32_t kPaletteVersionAt = 0;
constexpr std::uint32_t kPaletteCountAt = 2;
constexpr std::uint32_t kPaletteSlotsAt = 4;
constexpr std::uint32_t kPaletteSlotSize = 4;     // red, green, blue, flags
constexpr std::uint16_t kPaletteVersion = 0x300;
constexpr std::uint16_t kPaletteEntries = 256;    // the entry count a drawing carries
constexpr std::uint16_t kPaletteSlots = 257;      // the slots the image holds
constexpr std::uint8_t kSlotNoCollapse = 0x04;    // PC_NOCOLLAPSE: the flags of every entry a drawing carries

// Where the palette's slot i starts in the image.
constexpr std::uint32_t paletteSlotAt(std::uint32_t i) { return kPaletteSlotsAt + kPaletteSlotSize * i; }

// ---- The prologue as a whole -------------------------------------------------

constexpr std::uint32_t prologueSize(std::uint16_t marker) {
    return kWordSize + kWordSize * static_cast<std::uint32_t>(extraWordCount(marker)) + kHeaderSize +
           kPaletteImageSize;
}

// Block offset of the first record: 1056 to 1064.
constexpr std::uint32_t firstRecordOffset(std::uint16_t marker) { return kDrawingStreamStart + prologueSize(marker); }

// ---- Records -----------------------------------------------------------------

enum RecordOpcode : std::int16_t {
    ColourRecord = 0,
    PenModeRecord = 1,
    StrokeRecord = 2,
    BrushSizeRecord = 3,
    FillRecord = 4,
    DensityRecord = 5,
};

constexpr std::uint32_t kValueSize = 4;                            // the payload of the one-value records
constexpr std::uint32_t kValueRecordSize = kWordSize + kValueSize; // 6
constexpr std::uint32_t kPointSize = 4;                            // x word, y word
constexpr std::uint32_t kStrokeCountSize = 4;
constexpr std::uint32_t kStrokeHeadSize = kWordSize + kStrokeCountSize;  // before the first point

// Bytes a stroke with this recorded count takes: 64-bit, since a count can
// lie far beyond what the block holds.
constexpr std::uint64_t strokeRecordSize(std::int32_t count) {
    return kStrokeHeadSize + kPointSize * (count >= 2 ? static_cast<std::uint64_t>(count) : 1);
}

// ColourRecord value: 0x00BBGGRR, spare bits 24..27, selector in 28..31.
constexpr std::uint32_t kColourMask = 0xFFFFFF;
constexpr int kSpareShift = 24;
constexpr int kSelectorShift = 28;
constexpr std::uint32_t colourSelector(std::uint32_t value) { return value >> kSelectorShift; }
constexpr std::uint32_t colourValue(std::uint32_t rgb, std::uint32_t selector) {
    return (rgb & kColourMask) | (selector & 15) << kSelectorShift;
}
// Which of the pen's three colours a ColourRecord sets.
enum ColourSelector : std::uint32_t { kPenColour = 0, kSecondColour = 1, kThirdColour = 2 };

// The colour references the engine holds carry this flag: the platform then
// takes the nearest colour of the realised palette.
constexpr std::uint32_t kPaletteFlag = 0x2000000;

// PenModeRecord values (low 16 bits).
enum PenModeValue : std::int16_t { kBlend = 1, kDarken = 2, kSmudge = 3, kSpeckle = 4 };

// Stroke points with pressure (FormatMarker 48), every point after the first.
constexpr int kPressureShift = 12;
constexpr std::uint16_t kPointXMask = 0x0FFF;
constexpr int kMaxPressure = 15;
constexpr int kMaxPressureX = 1024;  // a larger x field reads as 0

constexpr int pointPressure(std::uint16_t xWord) { return xWord >> kPressureShift; }
constexpr int pointX(std::uint16_t xWord) { return (xWord & kPointXMask) > kMaxPressureX ? 0 : xWord & kPointXMask; }
// The x word of such a point: x clamped to 0..1024, pressure to 0..15.
constexpr std::uint16_t pressurePointWord(int x, int pressure) {
    const int cx = x < 0 ? 0 : (x > kMaxPressureX ? kMaxPressureX : x);
    const int cp = pressure < 0 ? 0 : (pressure > kMaxPressure ? kMaxPressure : pressure);
    return static_cast<std::uint16_t>(cp << kPressureShift | cx);
}

// ---- A block taken apart -----------------------------------------------------

enum class RecordKind { Colour, PenMode, Stroke, BrushSize, Fill, Density, Unknown };

// The record kind an opcode word names.
RecordKind kindOfOpcode(std::uint16_t opcode);
// The opcode word of a kind; Unknown has none of its own (returns 0xFFFF).
std::uint16_t opcodeOfKind(RecordKind kind);

// One stroke point as its two words lie in the block.
struct PointWords {
    std::uint16_t x = 0;
    std::uint16_t y = 0;
    bool operator==(const PointWords& other) const { return x == other.x && y == other.y; }
};

struct Record {
    RecordKind kind = RecordKind::Unknown;
    std::uint16_t opcode = 0;        // the word itself; for Unknown any word but 0..5
    std::uint32_t value = 0;         // payload of the five one-value records
    std::int32_t count = 0;          // Stroke: the point count as recorded
    std::vector<PointWords> points;  // Stroke: max(count, 1) points
    bool operator==(const Record& other) const {
        return kind == other.kind && opcode == other.opcode && value == other.value && count == other.count &&
               points == other.points;
    }
};

// Bytes a record takes in the block.
std::uint32_t recordSize(const Record& record);

// Every field keeps its raw value, so any block, however odd, goes back to
// the same bytes.
struct Drawing {
    std::array<std::uint8_t, kHeadSize> head{};              // block bytes 0..7
    std::uint16_t marker = 0;                                // FormatMarker
    std::vector<std::uint16_t> extraWords;                   // as many as the marker asks for
    std::array<std::uint8_t, kHeaderSize> header{};          // DrawingHeader
    std::array<std::uint8_t, kPaletteImageSize> palette{};   // DrawingPalette image
    std::vector<Record> records;
    // Bytes after the last whole record, up to the last non-zero byte: the
    // start of a record that the end of the block cuts. The rest is zero.
    std::vector<std::uint8_t> tail;

    bool operator==(const Drawing& other) const {
        return head == other.head && marker == other.marker && extraWords == other.extraWords &&
               header == other.header && palette == other.palette && records == other.records && tail == other.tail;
    }
};

inline bool isPlaceholder(const Drawing& d) { return d.head[0] == kPlaceholderByte; }
inline bool carriesPressure(const Drawing& d) { return d.marker == kMarkerPressure; }
inline std::uint16_t headerWidth(const Drawing& d) { return readU16(d.header.data() + kHeaderWidthAt); }
inline std::uint16_t headerHeight(const Drawing& d) { return readU16(d.header.data() + kHeaderHeightAt); }
inline std::uint32_t firstRecordOffset(const Drawing& d) { return firstRecordOffset(d.marker); }

// The head and the prologue of a 451000-byte block; records and tail stay
// empty. Never fails: every block has a prologue.
Drawing parsePrologue(const std::uint8_t* block);

// A whole 451000-byte block: the prologue, then whole records until only
// zeros are left or a record no longer fits. Never fails.
Drawing parseBlock(const std::uint8_t* block);

// Reads the record at block offset `at` among the bytes before `end` (at
// most the block's size) and moves `at` past it. False, with `at` left as
// it was, when the record does not fit before `end`.
bool parseRecord(const std::uint8_t* block, std::uint32_t end, std::uint32_t& at, Record& record);

// The bytes of a drawing without the zero fill; longer than the block when
// the drawing does not fit.
std::vector<std::uint8_t> encodeDrawing(const Drawing& drawing);

// The drawing as a whole block. False, with how many bytes too many, when it
// does not fit; the block is then left as it was.
bool encodeBlock(const Drawing& drawing, std::vector<std::uint8_t>& block, std::uint64_t& overBy);

// The colours of a palette image: min(entry count, 256) of them, 0x00BBGGRR.
std::vector<std::uint32_t> paletteColours(const std::uint8_t* image);

// A palette image of up to 256 colours (0x00BBGGRR; missing ones are black):
// version 0x300, 256 entries flagged PC_NOCOLLAPSE, the 257th slot zero.
std::array<std::uint8_t, kPaletteImageSize> paletteImage(const std::vector<std::uint32_t>& colours);

// ---- Writing a block ---------------------------------------------------------

// A stroke point as an authoring tool has it; pressure 0..15 counts only
// in a drawing whose points carry one, and never for the first point.
struct StrokePoint {
    int x;
    int y;
    int pressure;
};

// The offset after the last record that holds a non-zero byte, walking whole
// records from `first` (the first record's offset); the block's size when
// the last record runs past its end. Where a host appends the next record.
std::uint32_t recordsEnd(const std::uint8_t* block, std::uint32_t first);

// Encodes records one after another into bytes, as they lie in a block: the
// one record encoder, for BlockWriter and for hosts that hand records to the
// engine one by one (the studio's recorder, the painter, the engine
// session). Every append returns the writer, so calls chain.
class RecordWriter {
public:
    // With pressure, the x words of stroke points after the first carry one.
    explicit RecordWriter(bool pressure = false) : pressure_(pressure) {}

    RecordWriter& colour(std::uint32_t rgb, std::uint32_t selector = kPenColour);  // rgb as 0x00BBGGRR
    RecordWriter& penMode(std::uint32_t mode);
    RecordWriter& brushSize(std::uint32_t level);
    RecordWriter& density(std::uint32_t value);
    RecordWriter& fill();
    RecordWriter& record(std::uint16_t opcode, std::uint32_t value);  // any one-value record, as given

    // A stroke through points, the x words encoded with their pressure when
    // the writer carries it. Nothing for no points.
    RecordWriter& stroke(const std::vector<StrokePoint>& points);
    // A stroke with any recorded count and the point words exactly as given.
    RecordWriter& strokeWords(std::int32_t count, const std::vector<PointWords>& points);

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    std::vector<std::uint8_t> take() { return std::move(bytes_); }
    std::size_t size() const { return bytes_.size(); }
    bool empty() const { return bytes_.empty(); }
    void clear() { bytes_.clear(); }

private:
    std::vector<std::uint8_t> bytes_;
    bool pressure_ = false;
};

// Builds a block: the head and prologue at once, then records appended in
// order (encoded by RecordWriter), then the zero tail that is already there. A record that would run
// past the end of the block is not written at all; room() says what is
// left. Every append returns the writer, so calls chain.
class BlockWriter {
public:
    // Byte 0 is kDrawingByte; the marker's extra words, the header's word
    // and its last 8 bytes are zero; the palette is paletteImage(colours).
    BlockWriter(std::uint16_t width, std::uint16_t height, std::uint16_t marker,
                const std::vector<std::uint32_t>& colours);

    BlockWriter& colour(std::uint32_t rgb, int selector = 0);  // rgb as 0x00BBGGRR
    BlockWriter& penMode(std::uint32_t mode);
    BlockWriter& brushSize(std::uint32_t level);
    BlockWriter& density(std::uint32_t value);
    BlockWriter& fill();
    BlockWriter& record(std::uint16_t opcode, std::uint32_t value);  // any one-value record, as given

    // A stroke through points, the x words encoded with their pressure when
    // the marker asks for it. Nothing for no points.
    BlockWriter& stroke(const std::vector<StrokePoint>& points);
    // A stroke with any recorded count and the point words exactly as given.
    BlockWriter& strokeWords(std::int32_t count, const std::vector<PointWords>& points);

    // Raw words at the write position, for odd and hostile blocks.
    BlockWriter& word(std::uint16_t value);
    BlockWriter& dword(std::uint32_t value);
    // Moves the write position (at most to the block's end).
    BlockWriter& seek(std::uint32_t offset);

    std::uint32_t position() const { return at_; }
    std::uint32_t room() const { return kDrawingBlockSize - at_; }
    bool withPressure() const { return pressure_; }

    std::vector<std::uint8_t>& bytes() { return bytes_; }
    // The block: exactly 451000 bytes.
    const std::vector<std::uint8_t>& block() const { return bytes_; }

    // Records encoded apart, all or nothing.
    BlockWriter& append(const RecordWriter& records);

private:
    bool fits(std::uint64_t size) const { return size <= room(); }
    void put16(std::uint16_t value);
    void put32(std::uint32_t value);

    std::vector<std::uint8_t> bytes_;
    std::uint32_t at_ = 0;
    bool pressure_ = false;
};

}  // namespace format
