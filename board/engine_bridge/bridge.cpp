// The board's calls into the engine: each one hands its bytes to a child
// process (board/engine_bridge/child_process.h) and turns the child's answer
// into the caller's result.
#include "board/engine_bridge/bridge.h"

#include <cstdlib>
#include <stdexcept>

#include <sys/stat.h>

#include "board/engine_bridge/child_process.h"
#include "engine/files/files.h"
#include "engine/embed/embed.h"

#ifndef QC_BOARD_PLAYER
#define QC_BOARD_PLAYER ""
#endif

namespace board::engine {

namespace {

// The work bound as the child's argument: 0 leaves the renderer's default.
std::string workArgument(const Limits& limits) { return std::to_string(limits.workUnits); }

int number(const std::string& text) { return std::atoi(text.c_str()); }

// A child's answer: its "error" field, else why it failed, else the field wanted.
Bytes answerOrThrow(const ChildResult& result, const std::string& field, const std::string& what) {
    if (result.has("error")) throw std::runtime_error(result.text("error"));
    if (!result.failure.empty()) throw std::runtime_error(what + ": " + result.failure);
    const auto it = result.fields.find(field);
    if (it == result.fields.end()) throw std::runtime_error(what + ": the engine gave no answer");
    return it->second;
}

}  // namespace

Checked checkDrawing(const Bytes& upload, const std::string& fileName, const Limits& limits) {
    Checked checked;
    // The name goes into messages and onto the child's command line: keep
    // it short and printable.
    std::string name;
    for (const char c : fileName.substr(0, 100)) name += (c >= 0x20 && c != 0x7F) ? c : '?';
    if (name.empty()) name = "the file";
    if (upload.empty()) {
        checked.error = name + ": an empty file, not a drawing";
        return checked;
    }
    const ChildResult result = runEngineChild({"check", name, workArgument(limits)}, upload, limits);
    if (result.has("error")) {
        checked.error = result.text("error");
        return checked;
    }
    if (!result.failure.empty()) {
        checked.error = name + ": " + result.failure;
        return checked;
    }
    for (const char* field : {"drawing", "picture", "thumbnail", "width", "height", "show_seconds"}) {
        if (!result.has(field)) {
            checked.error = name + ": the engine gave no " + field;
            return checked;
        }
    }
    checked.drawing = result.fields.at("drawing");
    checked.picture = result.fields.at("picture");
    checked.thumbnail = result.fields.at("thumbnail");
    checked.width = number(result.text("width"));
    checked.height = number(result.text("height"));
    checked.showSeconds = std::atof(result.text("show_seconds").c_str());
    return checked;
}

Bytes renderGif(const Bytes& drawing, const Limits& limits, const std::function<void(double)>& progress) {
    return answerOrThrow(runEngineChild({"gif", workArgument(limits)}, drawing, limits, progress), "file",
                         "the GIF time-lapse failed");
}

Bytes renderMp4(const Bytes& drawing, const Limits& limits, const std::function<void(double)>& progress) {
    return answerOrThrow(runEngineChild({"mp4", workArgument(limits)}, drawing, limits, progress), "file",
                         "the MP4 time-lapse failed");
}

std::string scriptText(const Bytes& drawing, const Limits& limits) {
    const Bytes text = answerOrThrow(runEngineChild({"script"}, drawing, limits), "text", "the script failed");
    return std::string(text.begin(), text.end());
}

std::string defaultPlayerPath() {
    const char* fromEnvironment = std::getenv("QUILLCAST_PLAYER");
    if (fromEnvironment && *fromEnvironment) return fromEnvironment;
    return QC_BOARD_PLAYER;
}

// Writing a drawing into a player moves bytes and seals them; nothing of the
// drawing is played, so it runs here rather than in a child.
Bytes makePlayer(const Bytes& drawing, const std::string& playerPath) {
    const std::string path = playerPath.empty() ? defaultPlayerPath() : playerPath;
    struct stat info;
    if (path.empty() || ::stat(path.c_str(), &info) != 0) {
        throw std::runtime_error("no Windows player to write the drawing into" +
                                 (path.empty() ? std::string() : " (" + path + " is missing)") +
                                 ": build it with scripts/build, or name one in QUILLCAST_PLAYER");
    }
    Bytes player;
    std::string error;
    if (!tools::readFile(path, player, error)) throw std::runtime_error(error);
    Bytes result;
    if (!embed::embedDrawing(player, drawing, false, result, error))
        throw std::runtime_error("cannot make the player: " + error);
    return result;
}

}  // namespace board::engine
