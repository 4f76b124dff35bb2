#include "tools/paint/paint_options.h"

#include <cstdlib>

#include "drawing/format.h"
#include "tools/paint/picture_fit.h"

namespace paint {

namespace {

const tools::ToolText kPaintText = {
    "quillcast-paint",
    "PICTURE -o OUT [options]",
    "Paints PICTURE (a PNG or a JPEG) as a Quillcast drawing: broad strokes\n"
    "first, then ones that follow the forms, then the detail, each stroke\n"
    "played by the player's own brush engine and kept only where it brings\n"
    "the canvas closer to the picture than its bytes cost.\n"
    "\n"
    "OUT ends in .qcd (a drawing file), .qcs (its script) or .exe (a copy of\n"
    "a built player carrying the drawing, sealed).\n",
    "The same picture, options and seed give the same bytes. The picture is\n"
    "scaled to the canvas by area averaging, and the drawing's 256 palette\n"
    "colours are made from it.\n"
    "\n"
    "Exit status: 0 done, 1 the picture, the player or the output failed,\n"
    "2 bad arguments.\n",
};

// A side up to this passes the command line; picture_fit.h then says
// whether the canvas can be that large.
constexpr int kLargestSizeRead = 100000;
constexpr long long kLargestSeed = 999999999999999999LL;

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

CLI::Validator styleName() {
    return CLI::Validator(
        [](std::string& text) {
            Style style;
            return styleNamed(text, style) ? std::string()
                                           : "needs impressionist, pointillist or sketch, not '" + text + "'";
        },
        "");
}

// 0, or long enough for the opening splash and a second of strokes.
CLI::Validator showLength() {
    const std::string what = "0 (no aim) or a length from 7 to 86400 seconds";
    return tools::number(0, 86400, what) & CLI::Validator(
                                               [what](std::string& text) {
                                                   const double s = std::strtod(text.c_str(), nullptr);
                                                   return s > 0 && s < kShowStartSeconds + 1
                                                              ? "needs " + what + ", not '" + text + "'"
                                                              : std::string();
                                               },
                                               "");
}

}  // namespace

tools::ParseOutcome parseCommandLine(int argc, const char* const* argv, CommandLine& line) {
    std::string size, style;
    const auto app = tools::makeTool(kPaintText);
    app->add_option("PICTURE", line.picture, "a PNG or a JPEG");
    app->add_option("-o,--output", line.output, "the drawing (.qcd), its script (.qcs) or a player (.exe)")
        ->type_name("OUT");
    const auto* fit = app->add_option("--fit", line.fit, "the canvas's longest side, in pixels (default 400)")
                          ->type_name("N")
                          ->transform(tools::wholeNumber(1, kMaxCanvasSide, "a whole number of pixels from 1 to 1024"));
    const auto* sized = app->add_option("--size", size, "the canvas's size instead; at most 1024 a side")
                            ->type_name("WxH")
                            ->check(tools::pixelSize(kLargestSizeRead, "512x384"));
    app->add_option("--budget", line.paint.budget,
                    "bytes of the drawing, at most 451000 (the default:\n"
                    "the whole block)")
        ->type_name("BYTES")
        ->transform(tools::wholeNumber(smallestBudget(), format::kDrawingBlockSize,
                                   "a number of bytes from " + std::to_string(smallestBudget()) + " to " +
                                       std::to_string(format::kDrawingBlockSize)));
    app->add_option("--style", style, "impressionist (default), pointillist or sketch")
        ->type_name("NAME")
        ->check(styleName());
    app->add_option("--seed", line.paint.seed, "another seed gives another painting of the same picture")
        ->type_name("N")
        ->transform(tools::wholeNumber(0, kLargestSeed, "a whole number"));
    app->add_option("--show-seconds", line.paint.showSeconds,
                    "the show's length to aim at, at the player's pace\n"
                    "(default 120; 0: no aim, the budget alone bounds it)")
        ->type_name("S")
        ->check(showLength());
    app->add_option("--player", line.player, "the player for .exe (default build-win/bin/quillcast.exe)")
        ->type_name("FILE");
    app->add_option("--save-scaled", line.scaledPath,
                    "also write the picture as scaled to the canvas (PNG):\n"
                    "what the painting is measured against")
        ->type_name("FILE");
    app->add_flag("--stats", line.stats, "print what was painted as one line on standard output");
    app->add_flag("--quiet", line.quiet, "no progress and no summary");

    tools::ParseOutcome outcome = tools::parseArguments(*app, argc, argv);
    if (!outcome.run()) return outcome;
    if (!style.empty()) styleNamed(style, line.paint.style);
    if (sized->count() && fit->count()) return tools::ParseOutcome::error("give --fit or --size, not both");
    if (sized->count()) tools::readPixelSize(size, line.width, line.height);
    if (!sized->count() && !fit->count()) line.fit = kDefaultFit;
    if (line.picture.empty()) return tools::ParseOutcome::error("no picture given");
    if (line.output.empty()) return tools::ParseOutcome::error("no output file: give -o FILE.qcd, FILE.qcs or FILE.exe");
    if (endsWith(line.output, ".qcd")) {
        line.kind = OutputKind::Drawing;
    } else if (endsWith(line.output, ".qcs")) {
        line.kind = OutputKind::Script;
    } else if (endsWith(line.output, ".exe")) {
        line.kind = OutputKind::Player;
    } else {
        return tools::ParseOutcome::error("the output " + line.output + " must end in .qcd, .qcs or .exe");
    }
    return outcome;
}

}  // namespace paint
