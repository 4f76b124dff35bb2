#include "tools/render/options.h"

#include <memory>

namespace tools {

namespace {

const ToolText kRenderText = {
    "quillcast-render",
    "INPUT -o OUTPUT.png [options]\n"
    "INPUT --gif OUT.gif | --frames DIR | --video OUT.mp4 [options]",
    "Plays INPUT (a 451000-byte drawing file or a built quillcast.exe) on a\n"
    "virtual screen and writes the finished picture as a PNG, or records the\n"
    "show as it is painted.\n",
    "The show's clock follows the real player: the 10 ms timer between\n"
    "strokes, and a fitted price for every stroke segment, line point, pixel\n"
    "written or read and area filled, after about 6 s of opening splash.\n"
    "\n"
    "A show stopped by --max-seconds or --max-work is written as it stood,\n"
    "and a line on standard error says where it stopped.\n"
    "\n"
    "Exit status: 0 done, 1 the player failed its integrity check,\n"
    "2 bad arguments, input or output (a canvas too large to hold among\n"
    "them), 3 the show was stopped by a limit.\n",
};

constexpr int kMaxSide = 16384;

CLI::Validator nonEmpty(const std::string& what) {
    return CLI::Validator([=](std::string& text) { return text.empty() ? "needs " + what : std::string(); }, "");
}

}  // namespace

ParseOutcome parseRenderArguments(int argc, const char* const* argv, RenderOptions& options) {
    TimelapseSettings& t = options.timelapse;
    double maxWorkMillions = 0;
    std::string screenSize, frameSize;
    const auto app = makeTool(kRenderText);
    app->add_option("INPUT", options.input, "a drawing file, or a player");
    app->add_option("-o,--output", options.output, "where to write the PNG ('-' for standard output)")
        ->type_name("FILE");
    app->add_flag("--canvas-only", options.canvasOnly, "only the canvas, without the frame");
    app->add_option("--at", options.atSeconds, "the window as it is at that moment of the show")
        ->type_name("SECONDS")
        ->check(number(0, 1e7, "a number of seconds"));
    app->add_flag("--screen", options.screen, "with --at: the whole screen (splashes included)");
    const auto* screenSizeOption =
        app->add_option("--screen-size", screenSize, "the virtual screen (default 1024x768)")
            ->type_name("WxH")
            ->check(pixelSize(kMaxSide, "1024x768"));
    app->add_flag("-q,--quiet", options.quiet, "no progress bar and no summary");
    app->add_flag("--stats", options.stats,
                  "print the canvas size, the show's length and the\n"
                  "pixel decisions made, on standard error");
    app->add_option("--max-seconds", options.maxSeconds, "stop the show after S seconds of its clock")
        ->type_name("S")
        ->check(number(0.001, 1e7, "a number of seconds above 0"));
    const auto* maxWork = app->add_option("--max-work", maxWorkMillions,
                                          "stop after N million units of work (a line point,\n"
                                          "or 1024 pixels filled; default 200)")
                              ->type_name("N")
                              ->check(number(1, 1e7, "a number of million work units, 1 or more"));
    addTimerResolution(*app, options.timerResolutionMs);

    const std::string recording = "Recording the show (one frame after each stroke, unless --fps)";
    app->add_option("--frames", options.framesDir, "numbered PNG files and frames.txt (their times)")
        ->type_name("DIR")
        ->check(nonEmpty("a folder name"))
        ->group(recording);
    app->add_option("--gif", options.gifPath, "an animated GIF that loops")
        ->type_name("FILE")
        ->check(nonEmpty("a file name"))
        ->group(recording);
    app->add_option("--video", options.videoPath, "a video made by ffmpeg (Debian package ffmpeg)")
        ->type_name("FILE")
        ->check(nonEmpty("a file name"))
        ->group(recording);
    // The options that only a recording takes, in the order of the help.
    const CLI::Option* showOnly[] = {
        app->add_option("--fps", t.fps,
                        "frames at N per second of the show's clock, strokes\n"
                        "caught half-drawn (videos: 30 unless given)")
            ->type_name("N")
            ->check(number(0.01, 1000, "frames per second, 0.01 to 1000"))
            ->group(recording),
        app->add_option("--speed", t.speed, "play X times faster (default 1)")
            ->type_name("X")
            ->check(number(0.001, 1e6, "a factor above 0, e.g. 4"))
            ->group(recording),
        app->add_option("--duration", t.durationSeconds, "the speed that makes the whole output this long")
            ->type_name("SECONDS")
            ->check(number(0.01, 1e6, "a number of seconds above 0"))
            ->group(recording),
        app->add_option("--hold", t.holdSeconds, "the finished picture stays this long (default 3)")
            ->type_name("SECONDS")
            ->check(number(0, 3600, "a number of seconds, 0 to 3600"))
            ->group(recording),
        app->add_flag("--final-first", t.finalFirst, "open with the finished picture for a second")->group(recording),
        app->add_flag("--include-splash", t.includeSplash, "the whole screen, opening and closing splashes too")
            ->group(recording),
        app->add_option("--size", frameSize, "scale the frames (nearest neighbour)")
            ->type_name("WxH")
            ->check(pixelSize(kMaxSide, "640x480"))
            ->group(recording),
    };
    const CLI::Option* speed = showOnly[1];
    const CLI::Option* duration = showOnly[2];

    ParseOutcome outcome = parseArguments(*app, argc, argv);
    if (!outcome.run()) return outcome;
    if (screenSizeOption->count()) readPixelSize(screenSize, options.screenWidth, options.screenHeight);
    if (!frameSize.empty()) readPixelSize(frameSize, t.width, t.height);
    if (maxWork->count()) options.workLimit = static_cast<std::uint64_t>(maxWorkMillions * 1e6);
    t.canvasOnly = options.canvasOnly;

    if (options.input.empty()) return ParseOutcome::error("no input drawing given");
    if (options.output.empty() && !options.recordsShow())
        return ParseOutcome::error("no output given (-o OUTPUT.png, or --gif, --frames or --video)");
    if (options.screen && options.atSeconds < 0) return ParseOutcome::error("--screen needs --at SECONDS");
    if (options.screen && options.canvasOnly) return ParseOutcome::error("--screen and --canvas-only exclude each other");
    if (!options.recordsShow()) {
        for (const CLI::Option* option : showOnly) {
            if (option->count())
                return ParseOutcome::error(option->get_name() + " records the show: add --gif, --frames or --video");
        }
        return outcome;
    }
    if (options.atSeconds >= 0 || options.screen)
        return ParseOutcome::error("--at and --screen take one picture; use --include-splash to record the screen");
    if (t.includeSplash && t.canvasOnly)
        return ParseOutcome::error("--include-splash and --canvas-only exclude each other");
    if (speed->count() && duration->count()) return ParseOutcome::error("--speed and --duration exclude each other");
    if (options.output == "-" && options.gifPath == "-")
        return ParseOutcome::error("-o and --gif cannot both go to standard output");
    return outcome;
}

}  // namespace tools
