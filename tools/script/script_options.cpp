#include "tools/script/script_options.h"

namespace script {

namespace {

const tools::ToolText kScriptText = {
    "quillcast-script",
    "dump INPUT [-o OUT.txt]\n"
    "build SCRIPT -o OUT.qcd",
    "dump   writes the text form of INPUT (a 451000-byte drawing file or a\n"
    "       built player) to OUT.txt, or to standard output.\n"
    "build  turns a script back into a 451000-byte drawing file.\n",
    "The format is described in docs/script-format.md.\n"
    "Exit status: 0 done, 1 bad input or output, 2 bad arguments.\n",
};

}  // namespace

tools::ParseOutcome parseCommandLine(int argc, const char* const* argv, CommandLine& line) {
    const auto app = tools::makeTool(kScriptText);
    app->add_option("COMMAND", line.command, "dump or build")
        ->check(CLI::Validator(
            [](std::string& word) {
                return word == "dump" || word == "build" ? std::string() : "needs dump or build, not '" + word + "'";
            },
            ""));
    app->add_option("INPUT", line.input, "the drawing, player or script ('-': standard input)");
    app->add_option("-o,--output", line.output, "where to write ('-' for standard output)")->type_name("FILE");

    tools::ParseOutcome outcome = tools::parseArguments(*app, argc, argv);
    if (!outcome.run()) return outcome;
    if (line.command.empty()) return tools::ParseOutcome::error("say dump or build");
    if (line.input.empty()) return tools::ParseOutcome::error("no input file");
    if (line.command == "dump" && line.output.empty()) line.output = "-";
    if (line.command == "build" && line.output.empty()) return tools::ParseOutcome::error("build needs -o OUT.qcd");
    return outcome;
}

}  // namespace script
