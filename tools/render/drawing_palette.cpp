#include "tools/render/drawing_palette.h"

#include <algorithm>

#include "drawing/block.h"
#include "drawing/palette_image.h"
#include "drawing/prologue.h"
#include "drawing/reader.h"
#include "shell/state.h"
#include "tools/common/headless_player.h"

namespace tools {

std::vector<std::uint32_t> drawingPalette(const std::vector<std::uint8_t>& block) {
    if (block.size() != kDrawingBlockSize) return {};
    std::vector<std::uint8_t> image(kPaletteImageSize, 0);
    // The player's own prologue reader, into a buffer of ours.
    resetPlayerState();
    loadDrawingBlock(block.data());
    if (isDrawingPresent()) {
        std::uint8_t* saved = paletteBuffer;
        paletteBuffer = image.data();
        readDrawingPrologue();
        paletteBuffer = saved;
    } else {
        fillPlaceholderPalette(image.data());
    }
    resetPlayerState();

    const std::size_t count = std::min<std::size_t>(image[2] | image[3] << 8, kPaletteEntries);
    std::vector<std::uint32_t> colours;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* entry = image.data() + 4 + i * 4;
        colours.push_back(static_cast<std::uint32_t>(entry[0]) | static_cast<std::uint32_t>(entry[1]) << 8 |
                          static_cast<std::uint32_t>(entry[2]) << 16);
    }
    return colours;
}

}  // namespace tools
