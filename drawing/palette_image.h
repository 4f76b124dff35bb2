// Logical-palette images: the 1032-byte buffers from which the player's
// palettes are made. Layout (format/format.h): version (u16), entry count
// (u16), then 257 four-byte slots (red, green, blue, flags).
#pragma once

#include <cstdint>

#include "format/format.h"


// An entry count above the 257 slots would let the palette be read past the
// end of the buffer: such a count becomes 257.
void clampPaletteEntryCount(std::uint8_t* image);

// The content of the playback palette when the block holds no drawing: a
// full 256-entry palette of the 6x6x6 colour cube and a 40-step grey ramp,
// every entry flagged PC_NOCOLLAPSE; the spare 257th slot is zero.
void fillPlaceholderPalette(std::uint8_t* image);
