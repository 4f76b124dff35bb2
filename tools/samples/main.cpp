// quillcast-sample: writes one of the sample drawings as a 451000-byte file,
// or with --script as the script committed in samples/.
#include <cstdio>
#include <string>

#include "tools/common/cli.h"
#include "tools/common/files.h"
#include "tools/samples/sample_options.h"
#include "tools/samples/samples.h"

namespace {

constexpr char kTool[] = "quillcast-sample";

}  // namespace

int main(int argc, char** argv) {
    tools::SampleCommandLine line;
    const tools::ParseOutcome parsed = tools::parseSampleArguments(argc, argv, line);
    if (!parsed.run()) return tools::finishCommandLine(kTool, parsed);
    if (line.list) {
        for (const auto& n : tools::sampleNames()) std::printf("%s\n", n.c_str());
        return 0;
    }
    std::vector<std::uint8_t> bytes = tools::makeSample(line.name);
    if (line.asScript) {
        const std::string text = tools::makeSampleScript(line.name);
        bytes.assign(text.begin(), text.end());
    }
    std::string error;
    const bool ok = tools::writeFileAtomically(
        line.output, [&](std::FILE* f) { return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size(); },
        error);
    if (!ok) return tools::reportError(kTool, error, tools::kExitUsage);
    return 0;
}
