// quillcast-render: plays a drawing on the emulated desktop, as the player
// would, and writes what the window shows as a PNG.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

#include "tools/common/files.h"
#include "tools/common/headless_player.h"
#include "tools/common/png_writer.h"
#include "tools/common/show_input.h"

namespace {

constexpr int kExitCorrupted = 1;
constexpr int kExitUsage = 2;
constexpr int kCanvasOffset = 7;

const char kUsage[] =
    "usage: quillcast-render INPUT -o OUTPUT.png [options]\n"
    "\n"
    "Plays INPUT (a 451000-byte drawing file or a built quillcast.exe) on a\n"
    "virtual screen and writes the finished picture as a PNG.\n"
    "\n"
    "  -o, --output FILE    where to write the PNG ('-' for standard output)\n"
    "  --canvas-only        only the canvas, without the frame\n"
    "  --at SECONDS         the window as it is at that moment of the show\n"
    "  --screen             with --at: the whole screen (splashes included)\n"
    "  --screen-size WxH    the virtual screen (default 1024x768)\n"
    "  -q, --quiet          no progress line\n"
    "  --stats              print the canvas size, the show's length and the\n"
    "                       pixel decisions made, on standard error\n"
    "  -h, --help           this text\n"
    "\n"
    "Exit status: 0 done, 1 the player failed its integrity check,\n"
    "2 bad arguments, input or output.\n";

struct Options {
    std::string input;
    std::string output;
    bool canvasOnly = false;
    double atSeconds = -1;
    bool screen = false;
    int screenWidth = 1024;
    int screenHeight = 768;
    bool quiet = false;
    bool stats = false;
};

int usageError(const std::string& message) {
    std::fprintf(stderr, "quillcast-render: %s (try --help)\n", message.c_str());
    return kExitUsage;
}

bool parseSize(const char* text, int& width, int& height) {
    char* end = nullptr;
    const long w = std::strtol(text, &end, 10);
    if (end == text || (*end != 'x' && *end != 'X')) return false;
    const char* rest = end + 1;
    const long h = std::strtol(rest, &end, 10);
    if (end == rest || *end != '\0' || w < 1 || h < 1 || w > 16384 || h > 16384) return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

bool parseSeconds(const char* text, double& seconds) {
    char* end = nullptr;
    seconds = std::strtod(text, &end);
    return end != text && *end == '\0' && seconds >= 0 && seconds < 1e7;
}

// Returns -1 when the arguments are good, else the exit status.
int parseArguments(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "-o" || arg == "--output") {
            const char* v = value();
            if (!v) return usageError("-o needs a file name");
            options.output = v;
        } else if (arg == "--canvas-only") {
            options.canvasOnly = true;
        } else if (arg == "--screen") {
            options.screen = true;
        } else if (arg == "--stats") {
            options.stats = true;
        } else if (arg == "-q" || arg == "--quiet") {
            options.quiet = true;
        } else if (arg == "--at") {
            const char* v = value();
            if (!v || !parseSeconds(v, options.atSeconds)) return usageError("--at needs a number of seconds");
        } else if (arg == "--screen-size") {
            const char* v = value();
            if (!v || !parseSize(v, options.screenWidth, options.screenHeight))
                return usageError("--screen-size needs WIDTHxHEIGHT, e.g. 1024x768");
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
            return usageError("unknown option " + arg);
        } else if (options.input.empty()) {
            options.input = arg;
        } else {
            return usageError("more than one input: " + options.input + " and " + arg);
        }
    }
    if (options.input.empty()) return usageError("no input drawing given");
    if (options.output.empty()) return usageError("no output given (-o OUTPUT.png)");
    if (options.screen && options.atSeconds < 0) return usageError("--screen needs --at SECONDS");
    if (options.screen && options.canvasOnly) return usageError("--screen and --canvas-only exclude each other");
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    const int status = parseArguments(argc, argv, options);
    if (status >= 0) return status;

    tools::ShowInput input;
    std::string error;
    if (!tools::loadShowInput(options.input, input, error)) {
        std::fprintf(stderr, "quillcast-render: %s\n", error.c_str());
        return kExitUsage;
    }

    tools::ShowSetup setup;
    setup.block = input.block;
    if (input.isPlayer) setup.programPath = options.input;
    setup.screenWidth = options.screenWidth;
    setup.screenHeight = options.screenHeight;
    setup.captureScreen = options.screen;
    if (options.atSeconds >= 0) setup.captureAtMs = static_cast<std::int64_t>(options.atSeconds * 1000.0 + 0.5);
    const bool showProgress = !options.quiet && ::isatty(STDERR_FILENO);
    if (showProgress) {
        setup.progress = [](double share) {
            std::fprintf(stderr, "\rquillcast-render: %3d%% of the drawing", static_cast<int>(share * 100));
        };
    }

    const tools::ShowOutcome outcome = tools::runShow(setup);
    if (showProgress) std::fputs("\n", stderr);
    if (outcome.corrupted) {
        std::fprintf(stderr, "quillcast-render: %s\n", outcome.message.c_str());
        return kExitCorrupted;
    }
    if (!outcome.captured || outcome.picture.width <= 0) {
        std::fprintf(stderr, "quillcast-render: %s: %s\n", options.input.c_str(),
                     outcome.message.empty() ? "the show ended before there was a picture" : outcome.message.c_str());
        return kExitUsage;
    }

    if (options.stats) {
        std::fprintf(stderr, "canvas %dx%d, show %.3f s of virtual time, %llu pixel decisions\n", outcome.canvasWidth,
                     outcome.canvasHeight, static_cast<double>(outcome.endMs) / 1000.0,
                     static_cast<unsigned long long>(outcome.decisions));
    }
    tools::Picture picture = outcome.picture;
    if (options.canvasOnly) {
        picture = tools::crop(picture, kCanvasOffset, kCanvasOffset, outcome.canvasWidth, outcome.canvasHeight);
    }
    if (!tools::writeFileAtomically(
            options.output, [&](std::FILE* file) { return tools::writePng(file, picture); }, error)) {
        std::fprintf(stderr, "quillcast-render: %s\n", error.c_str());
        return kExitUsage;
    }
    return 0;
}
