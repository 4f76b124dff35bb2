// quillcast-sample: writes one of the sample drawings as a 451000-byte file,
// or with --script as the script committed in samples/.
#include <cstdio>
#include <string>

#include "engine/files/files.h"
#include "engine/samples/samples.h"

int main(int argc, char** argv) {
    std::string name;
    std::string output;
    bool asScript = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::printf("usage: quillcast-sample NAME -o FILE.qcd\n       quillcast-sample NAME --script -o FILE.qcs\n       quillcast-sample --list\n");
            return 0;
        } else if (arg == "--list") {
            for (const auto& n : tools::sampleNames()) std::printf("%s\n", n.c_str());
            return 0;
        } else if (arg == "--script") {
            asScript = true;
        } else if ((arg == "-o" || arg == "--output") && i + 1 < argc) {
            output = argv[++i];
        } else if (!arg.empty() && arg[0] != '-' && name.empty()) {
            name = arg;
        } else {
            std::fprintf(stderr, "quillcast-sample: unexpected argument %s (try --help)\n", arg.c_str());
            return 2;
        }
    }
    if (name.empty() || output.empty()) {
        std::fprintf(stderr, "quillcast-sample: usage: quillcast-sample NAME -o FILE.qcd (try --help)\n");
        return 2;
    }
    std::vector<std::uint8_t> block = tools::makeSample(name);
    if (asScript && !block.empty()) {
        const std::string text = tools::makeSampleScript(name);
        block.assign(text.begin(), text.end());
    }
    if (block.empty()) {
        std::fprintf(stderr, "quillcast-sample: no sample named %s (see --list)\n", name.c_str());
        return 2;
    }
    std::string error;
    const bool ok = tools::writeFileAtomically(
        output, [&](std::FILE* f) { return std::fwrite(block.data(), 1, block.size(), f) == block.size(); }, error);
    if (!ok) {
        std::fprintf(stderr, "quillcast-sample: %s\n", error.c_str());
        return 2;
    }
    return 0;
}
