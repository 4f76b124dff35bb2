#include "tools/script/load_drawing.h"

#include <algorithm>

#include "drawing/block.h"
#include "shell/seal.h"
#include "tools/common/files.h"
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
    if (file.size() == kDrawingBlockSize) {
        block = std::move(file);
        source = DrawingSource::DrawingFile;
        return true;
    }
    std::size_t at = 0;
    if (findDrawingBlockInFile(file.data(), file.size(), at)) {
        block.assign(file.begin() + static_cast<std::ptrdiff_t>(at),
                     file.begin() + static_cast<std::ptrdiff_t>(at + kDrawingBlockSize));
        source = DrawingSource::Player;
        return true;
    }
    if (file.size() >= 2 && file[0] == 'M' && file[1] == 'Z') {
        error = path + ": a Windows program without a drawing block, not a Quillcast player";
        return false;
    }
    if (!looksLikeText(file)) {
        error = path + ": " + std::to_string(file.size()) +
                " bytes of binary data; a drawing file is exactly 451000 bytes";
        return false;
    }
    ScriptError scriptError;
    if (!buildBlock(std::string(file.begin(), file.end()), block, scriptError)) {
        error = path + ": " + scriptError.describe();
        return false;
    }
    source = DrawingSource::Script;
    return true;
}

}  // namespace script
