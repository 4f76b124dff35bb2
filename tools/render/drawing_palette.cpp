#include "tools/render/drawing_palette.h"

#include "format/format.h"
#include "drawing/palette_image.h"

namespace tools {

std::vector<std::uint32_t> drawingPalette(const std::vector<std::uint8_t>& block) {
    if (block.size() != format::kDrawingBlockSize) return {};
    if (block[0] == format::kPlaceholderByte) {
        std::uint8_t image[format::kPaletteImageSize];
        fillPlaceholderPalette(image);
        return format::paletteColours(image);
    }
    return format::paletteColours(format::parsePrologue(block.data()).palette.data());
}

}  // namespace tools
