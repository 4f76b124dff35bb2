#include "tools/script/load_drawing.h"

#include <algorithm>

#include "tools/common/files.h"
#include "tools/common/show_input.h"
#include "tools/script/script_reader.h"

namespace script {

namespace {

// Scripts are text: no NUL and no other control byte but blanks.
bool looksLikeText(const std::vector<std::uint8_t>& bytes) {
    return std::none_of(bytes.begin(), bytes.end(),
                        [](std::uint8_t b) { return b < 0x20 && b != '\n' && b != '\r' && b != '\t'; });
}

}  // namespace

bool loadDrawing(const std::string& path, std::vector<std::uint8_t>& block, DrawingSource& source, std::string& error) {
    std::vector<std::uint8_t> file;
    if (!tools::readFile(path, file, error)) return false;
    return loadDrawingBytes(std::move(file), path, block, source, error);
}

bool loadDrawingBytes(std::vector<std::uint8_t> file, const std::string& path, std::vector<std::uint8_t>& block,
                      DrawingSource& source, std::string& error) {
    tools::ShowInput input;
    if (!tools::takeDrawingInput(std::move(file), path, input, error)) return false;
    if (input.kind != tools::InputKind::Other) {
        block = std::move(input.block);
        source = input.isPlayer() ? DrawingSource::Player : DrawingSource::DrawingFile;
        return true;
    }
    if (!looksLikeText(input.file)) {
        error = path + ": " + std::to_string(input.file.size()) +
                " bytes of binary data; a drawing file is exactly 451000 bytes";
        return false;
    }
    ScriptError scriptError;
    if (!buildBlock(std::string(input.file.begin(), input.file.end()), block, scriptError)) {
        error = path + ": " + scriptError.describe();
        return false;
    }
    source = DrawingSource::Script;
    return true;
}

}  // namespace script
