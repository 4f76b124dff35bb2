#include "tools/render/options.h"

#include <cstdlib>
#include <vector>

namespace tools {

const char kRenderUsage[] =
    "usage: quillcast-render INPUT -o OUTPUT.png [options]\n"
    "       quillcast-render INPUT --gif OUT.gif | --frames DIR | --video OUT.mp4 [options]\n"
    "\n"
    "Plays INPUT (a 451000-byte drawing file or a built quillcast.exe) on a\n"
    "virtual screen and writes the finished picture as a PNG, or records the\n"
    "show as it is painted.\n"
    "\n"
    "  -o, --output FILE    where to write the PNG ('-' for standard output)\n"
    "  --canvas-only        only the canvas, without the frame\n"
    "  --at SECONDS         the window as it is at that moment of the show\n"
    "  --screen             with --at: the whole screen (splashes included)\n"
    "  --screen-size WxH    the virtual screen (default 1024x768)\n"
    "  -q, --quiet          no progress bar and no summary\n"
    "  --stats              print the canvas size, the show's length and the\n"
    "                       pixel decisions made, on standard error\n"
    "  --max-seconds S      stop the show after S seconds of its clock\n"
    "  --max-work N         stop after N million units of work (a line point,\n"
    "                       or 1024 pixels filled; default 200)\n"
    "  --timer-resolution MS  timers come due only on a grid of MS milliseconds:\n"
    "                       15.625 for Windows' default system tick; 0, the\n"
    "                       default, as measured under Wine\n"
    "  -h, --help           this text\n"
    "\n"
    "Recording the show (one frame after each stroke, unless --fps):\n"
    "  --frames DIR         numbered PNG files and frames.txt (their times)\n"
    "  --gif FILE           an animated GIF that loops\n"
    "  --video FILE         a video made by ffmpeg (Debian package ffmpeg)\n"
    "  --fps N              frames at N per second of the show's clock, strokes\n"
    "                       caught half-drawn (videos: 30 unless given)\n"
    "  --speed X            play X times faster (default 1)\n"
    "  --duration SECONDS   the speed that makes the whole output this long\n"
    "  --hold SECONDS       the finished picture stays this long (default 3)\n"
    "  --final-first        open with the finished picture for a second\n"
    "  --include-splash     the whole screen, opening and closing splashes too\n"
    "  --size WxH           scale the frames (nearest neighbour)\n"
    "\n"
    "The show's clock follows the real player: the 10 ms timer between\n"
    "strokes, and a fitted price for every stroke segment, line point, pixel\n"
    "written or read and area filled, after about 6 s of opening splash.\n"
    "\n"
    "A show stopped by --max-seconds or --max-work is written as it stood,\n"
    "and a line on standard error says where it stopped.\n"
    "\n"
    "Exit status: 0 done, 1 the player failed its integrity check,\n"
    "2 bad arguments, input or output (a canvas too large to hold among\n"
    "them), 3 the show was stopped by a limit.\n";

namespace {

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

bool parseNumber(const char* text, double low, double high, double& out) {
    if (!text) return false;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(value >= low && value <= high)) return false;
    out = value;
    return true;
}

bool fail(std::string& error, const std::string& message) {
    error = message;
    return false;
}

}  // namespace

bool parseRenderArguments(int argc, const char* const* argv, RenderOptions& options, std::string& error) {
    TimelapseSettings& t = options.timelapse;
    std::vector<std::string> showOnly;  // options that only a recording takes
    bool speedGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (arg == "-h" || arg == "--help") {
            options.help = true;
            return true;
        } else if (arg == "-o" || arg == "--output") {
            const char* v = value();
            if (!v) return fail(error, "-o needs a file name");
            options.output = v;
        } else if (arg == "--frames" || arg == "--gif" || arg == "--video") {
            const char* v = value();
            if (!v || !*v) return fail(error, arg + " needs a " + (arg == "--frames" ? "folder" : "file") + " name");
            (arg == "--frames" ? options.framesDir : arg == "--gif" ? options.gifPath : options.videoPath) = v;
        } else if (arg == "--canvas-only") {
            options.canvasOnly = t.canvasOnly = true;
        } else if (arg == "--screen") {
            options.screen = true;
        } else if (arg == "--stats") {
            options.stats = true;
        } else if (arg == "-q" || arg == "--quiet") {
            options.quiet = true;
        } else if (arg == "--at") {
            if (!parseNumber(value(), 0, 1e7, options.atSeconds)) return fail(error, "--at needs a number of seconds");
        } else if (arg == "--max-seconds") {
            if (!parseNumber(value(), 0.001, 1e7, options.maxSeconds))
                return fail(error, "--max-seconds needs a number of seconds above 0");
        } else if (arg == "--max-work") {
            double millions = 0;
            if (!parseNumber(value(), 1, 1e7, millions))
                return fail(error, "--max-work needs a number of million work units, 1 or more");
            options.workLimit = static_cast<std::uint64_t>(millions * 1e6);
        } else if (arg == "--timer-resolution") {
            if (!parseNumber(value(), 0, 1000, options.timerResolutionMs))
                return fail(error, "--timer-resolution needs milliseconds, 0 to 1000 (15.625: Windows' default)");
        } else if (arg == "--screen-size") {
            const char* v = value();
            if (!v || !parseSize(v, options.screenWidth, options.screenHeight))
                return fail(error, "--screen-size needs WIDTHxHEIGHT, e.g. 1024x768");
        } else if (arg == "--fps") {
            if (!parseNumber(value(), 0.01, 1000, t.fps)) return fail(error, "--fps needs frames per second, 0.01 to 1000");
            showOnly.push_back(arg);
        } else if (arg == "--speed") {
            if (!parseNumber(value(), 0.001, 1e6, t.speed) || t.speed <= 0)
                return fail(error, "--speed needs a factor above 0, e.g. 4");
            speedGiven = true;
            showOnly.push_back(arg);
        } else if (arg == "--duration") {
            if (!parseNumber(value(), 0.01, 1e6, t.durationSeconds))
                return fail(error, "--duration needs a number of seconds above 0");
            showOnly.push_back(arg);
        } else if (arg == "--hold") {
            if (!parseNumber(value(), 0, 3600, t.holdSeconds)) return fail(error, "--hold needs a number of seconds");
            showOnly.push_back(arg);
        } else if (arg == "--final-first") {
            t.finalFirst = true;
            showOnly.push_back(arg);
        } else if (arg == "--include-splash") {
            t.includeSplash = true;
            showOnly.push_back(arg);
        } else if (arg == "--size") {
            const char* v = value();
            if (!v || !parseSize(v, t.width, t.height)) return fail(error, "--size needs WIDTHxHEIGHT, e.g. 640x480");
            showOnly.push_back(arg);
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
            return fail(error, "unknown option " + arg);
        } else if (options.input.empty()) {
            options.input = arg;
        } else {
            return fail(error, "more than one input: " + options.input + " and " + arg);
        }
    }
    if (options.input.empty()) return fail(error, "no input drawing given");
    if (options.output.empty() && !options.recordsShow())
        return fail(error, "no output given (-o OUTPUT.png, or --gif, --frames or --video)");
    if (options.screen && options.atSeconds < 0) return fail(error, "--screen needs --at SECONDS");
    if (options.screen && options.canvasOnly) return fail(error, "--screen and --canvas-only exclude each other");
    if (!options.recordsShow() && !showOnly.empty())
        return fail(error, showOnly.front() + " records the show: add --gif, --frames or --video");
    if (options.recordsShow()) {
        if (options.atSeconds >= 0 || options.screen)
            return fail(error, "--at and --screen take one picture; use --include-splash to record the screen");
        if (t.includeSplash && t.canvasOnly) return fail(error, "--include-splash and --canvas-only exclude each other");
        if (speedGiven && t.durationSeconds > 0) return fail(error, "--speed and --duration exclude each other");
        if (options.output == "-" && options.gifPath == "-")
            return fail(error, "-o and --gif cannot both go to standard output");
    }
    return true;
}

}  // namespace tools
