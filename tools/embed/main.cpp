// quillcast-embed: writes a drawing into a copy of a built player and seals
// it; takes a drawing out of a player; checks a player. The input files are
// never changed, and nothing is written when the tool refuses.
#include <cstdio>
#include <string>

#include <sys/stat.h>

#include "tools/common/cli.h"
#include "tools/common/files.h"
#include "tools/embed/embed.h"
#include "tools/embed/embed_options.h"
#include "tools/script/load_drawing.h"

namespace {

constexpr char kTool[] = "quillcast-embed";
constexpr int kExitFailed = 1;

int failed(const std::string& message) { return tools::reportError(kTool, message, kExitFailed); }

bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    if (a == "-" || b == "-" || ::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// The temporary file is private; the result gets the mode it should have.
bool writeOutput(const std::string& path, const std::vector<std::uint8_t>& bytes, mode_t mode, std::string& error) {
    if (!tools::writeFileAtomically(
            path, [&](std::FILE* f) { return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size(); },
            error)) {
        return false;
    }
    if (path != "-") ::chmod(path.c_str(), mode);
    return true;
}

mode_t defaultMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

int main(int argc, char** argv) {
    embed::CommandLine line;
    const tools::ParseOutcome parsed = embed::parseCommandLine(argc, argv, line);
    if (!parsed.run()) return tools::finishCommandLine(kTool, parsed);
    const std::string &player = line.player, &drawing = line.drawing, &output = line.output;
    if (sameFile(output, player) || sameFile(output, drawing)) {
        return failed(output + " is one of the inputs, which are never changed; write to a new file");
    }

    std::string error;
    std::vector<std::uint8_t> playerBytes;
    if (!tools::readFile(player, playerBytes, error)) return failed(error);

    if (line.mode == embed::Mode::Check) {
        embed::PlayerCheck check;
        if (!embed::checkPlayer(playerBytes, check, error)) return failed(player + ": " + error);
        std::vector<std::uint8_t> block;
        if (embed::extractDrawing(playerBytes, block, error))
            check.playTime = embed::estimatePlayTime(block, static_cast<std::uint64_t>(line.timerResolutionMs * 1e6 + 0.5));
        std::printf("player: %s\n%s", player.c_str(), embed::describeCheck(check).c_str());
        return check.intact ? 0 : kExitFailed;
    }

    if (line.mode == embed::Mode::Extract) {
        std::vector<std::uint8_t> block;
        if (!embed::extractDrawing(playerBytes, block, error)) return failed(player + ": " + error);
        embed::PlayerCheck check;
        embed::checkPlayer(playerBytes, check, error);
        if (!check.intact) std::fprintf(stderr, "quillcast-embed: warning: %s fails its integrity check\n", player.c_str());
        if (!check.summary.present) {
            std::fprintf(stderr, "quillcast-embed: warning: %s carries no drawing (a placeholder)\n", player.c_str());
        }
        if (!writeOutput(output, block, defaultMode(), error)) return failed(error);
        return 0;
    }

    std::vector<std::uint8_t> block;
    script::DrawingSource source;
    if (!script::loadDrawing(drawing, block, source, error)) return failed(error);
    std::vector<std::uint8_t> newPlayer;
    if (!embed::embedDrawing(playerBytes, block, line.force, newPlayer, error)) {
        return failed("will not write " + drawing + " into " + player + ": " + error);
    }
    struct stat playerStat;
    const mode_t mode_ = ::stat(player.c_str(), &playerStat) == 0 ? (playerStat.st_mode & 0777) : defaultMode();
    if (!writeOutput(output, newPlayer, mode_, error)) return failed(error);
    return 0;
}
