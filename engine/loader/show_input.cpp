#include "engine/loader/show_input.h"

#include "format/format.h"
#include "shell/seal.h"
#include "engine/files/files.h"

namespace tools {

bool readDrawingInput(const std::string& path, ShowInput& input, std::string& error) {
    std::vector<std::uint8_t> file;
    if (!readFile(path, file, error)) return false;
    return takeDrawingInput(std::move(file), path, input, error);
}

bool takeDrawingInput(std::vector<std::uint8_t> file, const std::string& path, ShowInput& input, std::string& error) {
    input = ShowInput{};
    input.file = std::move(file);
    std::size_t blockAt = 0;
    if (input.file.size() == format::kDrawingBlockSize) {
        input.block = input.file;
        input.kind = InputKind::DrawingFile;
        return true;
    }
    if (findDrawingBlockInFile(input.file.data(), input.file.size(), blockAt)) {
        input.block.assign(input.file.begin() + static_cast<std::ptrdiff_t>(blockAt),
                           input.file.begin() + static_cast<std::ptrdiff_t>(blockAt + format::kDrawingBlockSize));
        input.kind = InputKind::Player;
        return true;
    }
    if (input.file.size() >= 2 && input.file[0] == 'M' && input.file[1] == 'Z') {
        error = path + ": a Windows program without a drawing block (not a Quillcast player)";
        return false;
    }
    return true;
}

bool loadShowInput(const std::string& path, ShowInput& input, std::string& error) {
    if (!readDrawingInput(path, input, error)) return false;
    if (input.kind != InputKind::Other) return true;
    error = path + ": " + std::to_string(input.file.size()) +
            " bytes; a drawing is exactly 451000 bytes, or a Quillcast player";
    return false;
}

}  // namespace tools
