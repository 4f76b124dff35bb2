#include "studio/drawing_files.h"

#include "engine/embed/embed.h"
#include "format/format.h"
#include "engine/loader/load_drawing.h"
#include "engine/script/script_writer.h"

namespace studio {

bool readDrawingFile(const std::vector<std::uint8_t>& file, const std::string& name, std::vector<std::uint8_t>& block,
                     std::string& error) {
    script::DrawingSource source;
    return script::loadDrawingBytes(file, name, block, source, error);
}

std::string drawingScript(const std::vector<std::uint8_t>& block, const std::string& source) {
    return script::writeScript(format::parseBlock(block.data()), source);
}

bool playerWithDrawing(const std::vector<std::uint8_t>& player, const std::vector<std::uint8_t>& block,
                       std::vector<std::uint8_t>& out, std::string& error) {
    return embed::embedDrawing(player, block, false, out, error);
}

}  // namespace studio
