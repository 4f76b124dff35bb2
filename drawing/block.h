// The DrawingBlock: the recorded drawing that a player carries in its own
// initialised data, exactly 451000 bytes. Bytes 0 to 7 belong to the start-up
// integrity check; the drawing stream starts at offset 8 and runs to the end.
//
// In the Windows build the block sits alone in the PE section ".qcdraw", so
// that a tool can find it in a built player and overwrite it without
// relinking. A fresh build carries a placeholder block: byte 0 is 0x44 ('D').
// The layout of the bytes is format/format.h.
#pragma once

#include <cstdint>

#include "format/format.h"


// The block as the program sees it in memory. Only the reader reads it.
extern std::uint8_t drawingBlock[format::kDrawingBlockSize];

// Replaces the block with a drawing loaded before start-up (native tools).
void loadDrawingBlock(const std::uint8_t* bytes);
