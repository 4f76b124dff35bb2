// quillcast-embed: writes a drawing into a copy of a built player and seals
// it; takes a drawing out of a player; checks a player. The input files are
// never changed, and nothing is written when the tool refuses.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <sys/stat.h>

#include "tools/common/cli.h"
#include "engine/files/files.h"
#include "engine/embed/embed.h"
#include "engine/loader/load_drawing.h"

namespace {

constexpr char kTool[] = "quillcast-embed";
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "usage: quillcast-embed PLAYER.exe DRAWING -o NEW.exe [--force]\n"
    "       quillcast-embed --extract PLAYER.exe -o DRAWING.qcd\n"
    "       quillcast-embed --check PLAYER.exe [--timer-resolution MS]\n"
    "\n"
    "The first form writes DRAWING (a 451000-byte drawing file, a script, or\n"
    "another player) into a copy of PLAYER.exe and seals the copy so that it\n"
    "passes its own integrity check. It refuses a file that is not a Quillcast\n"
    "player, a player that fails its integrity check (unless --force), a\n"
    "drawing of the wrong size, and a drawing whose byte 0 marks a placeholder.\n"
    "\n"
    "--extract writes the drawing a player carries as a drawing file.\n"
    "--check says whether a player is intact and what it carries, and how\n"
    "long its show lasts: it plays it on the emulated desktop, whose clock\n"
    "follows the player as measured under Wine. --timer-resolution 15.625\n"
    "times it for Windows' default system tick instead.\n"
    "\n"
    "Exit status: 0 done (for --check: the player is intact), 1 refused,\n"
    "failed, or (for --check) not intact, 2 bad arguments.\n";

int usageError(const std::string& message) { return tools::reportUsageError(kTool, message, kExitUsage); }

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
    enum class Mode { Embed, Extract, Check } mode = Mode::Embed;
    std::string player, drawing, output;
    bool force = false;
    double resolutionMs = -1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "-o" || arg == "--output") {
            if (i + 1 >= argc) return usageError(arg + " needs a file name");
            output = argv[++i];
        } else if (arg == "--extract") {
            mode = Mode::Extract;
        } else if (arg == "--check") {
            mode = Mode::Check;
        } else if (arg == "--force") {
            force = true;
        } else if (arg == "--timer-resolution") {
            char* end = nullptr;
            if (i + 1 < argc) resolutionMs = std::strtod(argv[++i], &end);
            if (!end || *end != '\0' || !(resolutionMs >= 0 && resolutionMs <= 1000))
                return usageError("--timer-resolution needs milliseconds, 0 to 1000 (15.625: Windows' default)");
        } else if (!arg.empty() && arg[0] != '-' && player.empty()) {
            player = arg;
        } else if (!arg.empty() && arg[0] != '-' && drawing.empty()) {
            drawing = arg;
        } else {
            return usageError("unexpected argument '" + arg + "'");
        }
    }
    if (player.empty()) return usageError("no player given");
    if (mode != Mode::Embed && !drawing.empty()) return usageError("unexpected argument '" + drawing + "'");
    if (mode == Mode::Embed && drawing.empty()) return usageError("no drawing given");
    if (mode != Mode::Check && output.empty()) return usageError("no output file: give -o FILE");
    if (mode == Mode::Check && !output.empty()) return usageError("--check writes no file");
    if (mode != Mode::Check && resolutionMs >= 0) return usageError("--timer-resolution goes with --check");
    if (sameFile(output, player) || sameFile(output, drawing)) {
        return failed(output + " is one of the inputs, which are never changed; write to a new file");
    }

    std::string error;
    std::vector<std::uint8_t> playerBytes;
    if (!tools::readFile(player, playerBytes, error)) return failed(error);

    if (mode == Mode::Check) {
        embed::PlayerCheck check;
        if (!embed::checkPlayer(playerBytes, check, error)) return failed(player + ": " + error);
        std::vector<std::uint8_t> block;
        if (embed::extractDrawing(playerBytes, block, error))
            check.playTime = embed::estimatePlayTime(block, static_cast<std::uint64_t>(std::max(resolutionMs, 0.0) * 1e6 + 0.5));
        std::printf("player: %s\n%s", player.c_str(), embed::describeCheck(check).c_str());
        return check.intact ? 0 : kExitFailed;
    }

    if (mode == Mode::Extract) {
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
    if (!embed::embedDrawing(playerBytes, block, force, newPlayer, error)) {
        return failed("will not write " + drawing + " into " + player + ": " + error);
    }
    struct stat playerStat;
    const mode_t mode_ = ::stat(player.c_str(), &playerStat) == 0 ? (playerStat.st_mode & 0777) : defaultMode();
    if (!writeOutput(output, newPlayer, mode_, error)) return failed(error);
    return 0;
}
