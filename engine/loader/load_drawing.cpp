#include "engine/loader/load_drawing.h"

#include <algorithm>
#include <initializer_list>
#include <string>

#include "engine/files/files.h"
#include "engine/loader/show_input.h"
#include "engine/script/script_reader.h"

namespace script {

namespace {

// Scripts are text: no NUL and no other control byte but blanks.
bool looksLikeText(const std::vector<std::uint8_t>& bytes) {
    return std::none_of(bytes.begin(), bytes.end(),
                        [](std::uint8_t b) { return b < 0x20 && b != '\n' && b != '\r' && b != '\t'; });
}

// What a file that is neither a drawing, a player nor a script is, where it
// is something people often pick by mistake.
std::string whatItIs(const std::vector<std::uint8_t>& bytes) {
    const auto startsWith = [&bytes](std::initializer_list<std::uint8_t> magic) {
        return bytes.size() >= magic.size() && std::equal(magic.begin(), magic.end(), bytes.begin());
    };
    if (bytes.empty()) return "an empty file";
    if (startsWith({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'})) return "a PNG picture";
    if (startsWith({0xFF, 0xD8, 0xFF})) return "a JPEG picture";
    if (startsWith({'G', 'I', 'F', '8'})) return "a GIF picture";
    return {};
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
    const std::string kind = whatItIs(input.file);
    if (!kind.empty()) {
        error = path + ": " + kind + ", not a drawing (a drawing file is exactly 451000 bytes)";
        return false;
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
