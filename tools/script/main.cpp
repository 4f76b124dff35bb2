// quillcast-script: drawings as text. "dump" writes the text form of a
// drawing file or a player's drawing; "build" turns a script back into a
// 451000-byte drawing file. Nothing is written on an error.
#include <cstdio>
#include <string>

#include "format/format.h"
#include "tools/common/cli.h"
#include "engine/files/files.h"
#include "engine/loader/load_drawing.h"
#include "engine/script/script_reader.h"
#include "engine/script/script_writer.h"

namespace {

constexpr char kTool[] = "quillcast-script";
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "usage: quillcast-script dump INPUT [-o OUT.txt]\n"
    "       quillcast-script build SCRIPT -o OUT.qcd\n"
    "\n"
    "dump   writes the text form of INPUT (a 451000-byte drawing file or a\n"
    "       built player) to OUT.txt, or to standard output.\n"
    "build  turns a script back into a 451000-byte drawing file.\n"
    "\n"
    "The format is described in docs/script-format.md.\n"
    "Exit status: 0 done, 1 bad input or output, 2 bad arguments.\n";

int usageError(const std::string& message) { return tools::reportUsageError(kTool, message, kExitUsage); }

int failed(const std::string& message) { return tools::reportError(kTool, message, kExitFailed); }

bool writeBytes(const std::string& path, const void* data, std::size_t size, std::string& error) {
    return tools::writeFileAtomically(
        path, [&](std::FILE* f) { return std::fwrite(data, 1, size, f) == size; }, error);
}

}  // namespace

int main(int argc, char** argv) {
    std::string command, input, output;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "-o" || arg == "--output") {
            if (i + 1 >= argc) return usageError(arg + " needs a file name");
            output = argv[++i];
        } else if (command.empty() && (arg == "dump" || arg == "build")) {
            command = arg;
        } else if (!command.empty() && input.empty() && (arg == "-" || arg[0] != '-')) {
            input = arg;
        } else {
            return usageError("unexpected argument '" + arg + "'");
        }
    }
    if (command.empty()) return usageError("say dump or build");
    if (input.empty()) return usageError("no input file");

    std::string error;
    std::vector<std::uint8_t> block;
    script::DrawingSource source;
    if (command == "dump") {
        if (output.empty()) output = "-";
        if (!script::loadDrawing(input, block, source, error)) return failed(error);
        const std::string text = script::writeScript(format::parseBlock(block.data()), input);
        if (!writeBytes(output, text.data(), text.size(), error)) return failed(error);
        return 0;
    }

    if (output.empty()) return usageError("build needs -o OUT.qcd");
    std::vector<std::uint8_t> file;
    if (!tools::readFile(input, file, error)) return failed(error);
    script::ScriptError scriptError;
    if (!script::buildBlock(std::string(file.begin(), file.end()), block, scriptError)) {
        return failed(input + ": " + scriptError.describe());
    }
    if (!writeBytes(output, block.data(), block.size(), error)) return failed(error);
    return 0;
}
