#include "tools/samples/sample_options.h"

#include <algorithm>

#include "tools/samples/samples.h"

namespace tools {

namespace {

const ToolText kSampleText = {
    "quillcast-sample",
    "NAME -o FILE.qcd\n"
    "NAME --script -o FILE.qcs\n"
    "--list",
    "Writes one of the sample drawings as a 451000-byte drawing file, or as\n"
    "the script committed in samples/.\n",
    "Exit status: 0 done, 2 bad arguments or a file that cannot be written.\n",
};

CLI::Validator sampleName() {
    return CLI::Validator(
        [](std::string& name) {
            const auto names = sampleNames();
            return std::find(names.begin(), names.end(), name) != names.end()
                       ? std::string()
                       : "no sample named " + name + " (see --list)";
        },
        "");
}

}  // namespace

ParseOutcome parseSampleArguments(int argc, const char* const* argv, SampleCommandLine& line) {
    const auto app = makeTool(kSampleText);
    app->add_option("NAME", line.name, "a sample's name")->check(sampleName());
    app->add_option("-o,--output", line.output, "where to write it")->type_name("FILE");
    app->add_flag("--script", line.asScript, "the sample's script instead of its block");
    app->add_flag("--list", line.list, "the samples' names, one a line");

    ParseOutcome outcome = parseArguments(*app, argc, argv);
    if (!outcome.run() || line.list) return outcome;
    if (line.name.empty()) return ParseOutcome::error("no sample named: give NAME -o FILE.qcd");
    if (line.output.empty()) return ParseOutcome::error("no output file: give -o FILE.qcd");
    return outcome;
}

}  // namespace tools
