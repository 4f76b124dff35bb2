// The stream prologue: FormatMarker, DrawingHeader and DrawingPalette, read
// by the player into its process-wide state. Layout: format/format.h.
//
//   marker  extra words  header at  palette at  first record at
//   48      2            14         28          1060   (points carry pressure)
//   49      1            12         26          1058
//   999     4            18         32          1064
//   other   0            10         24          1056
#pragma once

#include <cstdint>

#include "format/format.h"


// The 14-byte DrawingHeader as it lies in the stream. Only width and height
// are used; both are unsigned, so 0x8000 is 32768.
struct DrawingHeader {
    std::uint16_t word;
    std::uint16_t width;
    std::uint16_t height;
    std::uint8_t unused[8];
};
static_assert(sizeof(DrawingHeader) == format::kHeaderSize, "the header is 14 bytes in the stream");

extern DrawingHeader drawingHeader;

// On once the FormatMarker was 48: then every stroke point after the first
// carries a 4-bit pressure in the top bits of its x word.
extern bool pressureEncoding;

// Rewinds the reader and reads the whole prologue: marker, header, and the
// palette into paletteBuffer (whose entry count is then at most 257).
void readDrawingPrologue();

// Reads the FormatMarker and its extra words, which are discarded.
void readFormatMarker();

// Start values, for a new run in the same process.
void resetPrologue();
