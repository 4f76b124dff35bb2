// The DrawingReader: the one forward-only cursor over the DrawingBlock.
// A read either copies all that it was asked for and moves the cursor by
// exactly that, or copies nothing and leaves the cursor where it was.
#pragma once

#include <cstdint>

// Block offset of the next byte to read; never above the block's size.
extern std::uint32_t drawingCursor;

// True unless block byte 0 marks a placeholder (0x44).
bool isDrawingPresent();

// Puts the cursor at the start of the drawing stream (offset 8).
void rewindDrawing();

// Copies size x count bytes from the cursor, or fails without effect when
// they do not all lie inside the block. Nothing wraps around.
bool readDrawing(void* destination, std::uint32_t size, std::uint32_t count);

// The same with signed 16-bit arguments, sign-extended first: a negative
// size or count asks for more than the block holds and fails.
bool readDrawing16(void* destination, std::int16_t size, std::int16_t count);

// True once no byte is left to read.
bool isDrawingUsedUp();

// Start value of the cursor, for a new run in the same process.
void resetDrawingReader();
