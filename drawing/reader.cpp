#include "drawing/reader.h"

#include <cstring>

#include "drawing/block.h"

std::uint32_t drawingCursor = 0;

bool isDrawingPresent() { return drawingBlock[0] != format::kPlaceholderByte; }

void rewindDrawing() { drawingCursor = format::kDrawingStreamStart; }

bool readDrawing(void* destination, std::uint32_t size, std::uint32_t count) {
    // Formed in 64 bits: neither the product nor the sum can wrap.
    const std::uint64_t n = std::uint64_t{size} * count;
    if (std::uint64_t{drawingCursor} + n > format::kDrawingBlockSize) return false;
    if (n > 0) std::memcpy(destination, drawingBlock + drawingCursor, static_cast<std::size_t>(n));
    drawingCursor += static_cast<std::uint32_t>(n);
    return true;
}

bool readDrawing16(void* destination, std::int16_t size, std::int16_t count) {
    const auto wideSize = static_cast<std::uint32_t>(std::int32_t{size});
    const auto wideCount = static_cast<std::uint32_t>(std::int32_t{count});
    return readDrawing(destination, wideSize, wideCount);
}

bool isDrawingUsedUp() { return drawingCursor > format::kDrawingBlockSize - 1; }

void resetDrawingReader() { drawingCursor = 0; }
