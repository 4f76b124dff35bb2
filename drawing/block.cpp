#include "drawing/block.h"

#include <cstring>

#ifdef _WIN32
#define QC_DRAWING_SECTION __attribute__((section(".qcdraw"), used))
#else
#define QC_DRAWING_SECTION
#endif

// Non-const, so that the compiler reads the block from memory instead of
// folding the placeholder's values into the code.
QC_DRAWING_SECTION std::uint8_t drawingBlock[format::kDrawingBlockSize] = {format::kPlaceholderByte};

void loadDrawingBlock(const std::uint8_t* bytes) { std::memcpy(drawingBlock, bytes, format::kDrawingBlockSize); }
