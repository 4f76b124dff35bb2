// quillcast-script: drawings as text. "dump" writes the text form of a
// drawing file or a player's drawing; "build" turns a script back into a
// 451000-byte drawing file. Nothing is written on an error.
#include <cstdio>
#include <string>

#include "drawing/format.h"
#include "tools/common/cli.h"
#include "tools/common/files.h"
#include "tools/script/load_drawing.h"
#include "tools/script/script_options.h"
#include "tools/script/script_reader.h"
#include "tools/script/script_writer.h"

namespace {

constexpr char kTool[] = "quillcast-script";
constexpr int kExitFailed = 1;

int failed(const std::string& message) { return tools::reportError(kTool, message, kExitFailed); }

bool writeBytes(const std::string& path, const void* data, std::size_t size, std::string& error) {
    return tools::writeFileAtomically(
        path, [&](std::FILE* f) { return std::fwrite(data, 1, size, f) == size; }, error);
}

}  // namespace

int main(int argc, char** argv) {
    script::CommandLine line;
    const tools::ParseOutcome parsed = script::parseCommandLine(argc, argv, line);
    if (!parsed.run()) return tools::finishCommandLine(kTool, parsed);
    const std::string &input = line.input, &output = line.output;

    std::string error;
    std::vector<std::uint8_t> block;
    script::DrawingSource source;
    if (line.command == "dump") {
        if (!script::loadDrawing(input, block, source, error)) return failed(error);
        const std::string text = script::writeScript(format::parseBlock(block.data()), input);
        if (!writeBytes(output, text.data(), text.size(), error)) return failed(error);
        return 0;
    }

    std::vector<std::uint8_t> file;
    if (!tools::readFile(input, file, error)) return failed(error);
    script::ScriptError scriptError;
    if (!script::buildBlock(std::string(file.begin(), file.end()), block, scriptError)) {
        return failed(input + ": " + scriptError.describe());
    }
    if (!writeBytes(output, block.data(), block.size(), error)) return failed(error);
    return 0;
}
