#include "tools/embed/embed_options.h"

namespace embed {

namespace {

const tools::ToolText kEmbedText = {
    "quillcast-embed",
    "PLAYER.exe DRAWING -o NEW.exe [--force]\n"
    "--extract PLAYER.exe -o DRAWING.qcd\n"
    "--check PLAYER.exe [--timer-resolution MS]",
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
    "times it for Windows' default system tick instead.\n",
    "Exit status: 0 done (for --check: the player is intact), 1 refused,\n"
    "failed, or (for --check) not intact, 2 bad arguments.\n",
};

}  // namespace

tools::ParseOutcome parseCommandLine(int argc, const char* const* argv, CommandLine& line) {
    const auto app = tools::makeTool(kEmbedText);
    app->add_option("PLAYER", line.player, "a built player");
    app->add_option("DRAWING", line.drawing, "a drawing file, a script or a player");
    app->add_option("-o,--output", line.output, "the new player, or the extracted drawing")->type_name("FILE");
    auto* extract = app->add_flag("--extract", "take the drawing out of PLAYER");
    auto* check = app->add_flag("--check", "say whether PLAYER is intact, what it carries, how long it plays");
    extract->excludes(check);
    app->add_flag("--force", line.force, "write into a player that fails its integrity check");
    const auto* resolution = tools::addTimerResolution(*app, line.timerResolutionMs);

    tools::ParseOutcome outcome = tools::parseArguments(*app, argc, argv);
    if (!outcome.run()) return outcome;
    line.mode = check->count() ? Mode::Check : extract->count() ? Mode::Extract : Mode::Embed;
    if (line.player.empty()) return tools::ParseOutcome::error("no player given");
    if (line.mode != Mode::Embed && !line.drawing.empty())
        return tools::ParseOutcome::error("unexpected argument '" + line.drawing + "'");
    if (line.mode == Mode::Embed && line.drawing.empty()) return tools::ParseOutcome::error("no drawing given");
    if (line.mode != Mode::Check && line.output.empty())
        return tools::ParseOutcome::error("no output file: give -o FILE");
    if (line.mode == Mode::Check && !line.output.empty()) return tools::ParseOutcome::error("--check writes no file");
    if (line.mode != Mode::Check && resolution->count())
        return tools::ParseOutcome::error("--timer-resolution goes with --check");
    return outcome;
}

}  // namespace embed
