// Every tool's command line, as the parse function that main() calls reads
// it: one help layout, --version, one error form and the exit status 2; and
// the modes of embed, script and sample.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tools/common/cli.h"
#include "tools/embed/embed_options.h"
#include "tools/paint/paint_options.h"
#include "tools/render/options.h"
#include "tools/samples/sample_options.h"
#include "tools/script/script_options.h"

namespace {

using tools::ParseOutcome;
using Kind = ParseOutcome::Kind;
using Parser = std::function<ParseOutcome(int, const char* const*)>;

struct Tool {
    const char* name;
    Parser parse;
};

const std::vector<Tool>& tools_() {
    static const std::vector<Tool> all = {
        {"quillcast-render",
         [](int argc, const char* const* argv) {
             tools::RenderOptions o;
             return tools::parseRenderArguments(argc, argv, o);
         }},
        {"quillcast-paint",
         [](int argc, const char* const* argv) {
             paint::CommandLine line;
             return paint::parseCommandLine(argc, argv, line);
         }},
        {"quillcast-embed",
         [](int argc, const char* const* argv) {
             embed::CommandLine line;
             return embed::parseCommandLine(argc, argv, line);
         }},
        {"quillcast-script",
         [](int argc, const char* const* argv) {
             script::CommandLine line;
             return script::parseCommandLine(argc, argv, line);
         }},
        {"quillcast-sample",
         [](int argc, const char* const* argv) {
             tools::SampleCommandLine line;
             return tools::parseSampleArguments(argc, argv, line);
         }},
    };
    return all;
}

ParseOutcome run(const Tool& tool, std::vector<const char*> args) {
    args.insert(args.begin(), tool.name);
    return tool.parse(static_cast<int>(args.size()), args.data());
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(CommandLines, EveryToolHasTheSameHelpAndVersion) {
    for (const Tool& tool : tools_()) {
        for (const char* flag : {"-h", "--help"}) {
            const ParseOutcome help = run(tool, {flag});
            EXPECT_EQ(help.kind, Kind::Help) << tool.name;
            EXPECT_EQ(help.text.rfind(std::string("usage: ") + tool.name + " ", 0), 0u) << help.text;
            EXPECT_TRUE(has(help.text, "\nOptions:\n  -h,--help ")) << help.text;
            EXPECT_TRUE(has(help.text, "\n  --version ")) << help.text;
            EXPECT_TRUE(has(help.text, "\nExit status: 0 ")) << help.text;
            EXPECT_FALSE(has(help.text, "\n\n\n")) << help.text;
        }
        // --help wins over what else is wrong on the line.
        EXPECT_EQ(run(tool, {"--no-such", "--help"}).kind, Kind::Help) << tool.name;
        const ParseOutcome version = run(tool, {"--version"});
        EXPECT_EQ(version.kind, Kind::Version) << tool.name;
        EXPECT_EQ(version.text.rfind(std::string(tool.name) + " ", 0), 0u) << version.text;
        EXPECT_EQ(version.text.back(), '\n');
    }
}

TEST(CommandLines, EveryToolRefusesAnUnknownOptionAndAStrayArgumentAlike) {
    for (const Tool& tool : tools_()) {
        const ParseOutcome unknown = run(tool, {"--no-such"});
        EXPECT_EQ(unknown.kind, Kind::Error) << tool.name;
        EXPECT_EQ(unknown.text, "unknown option --no-such") << tool.name;
        // One more word than the tool takes.
        const ParseOutcome stray = run(tool, {"a", "b", "c", "-o", "x.qcd"});
        EXPECT_EQ(stray.kind, Kind::Error) << tool.name;
        EXPECT_TRUE(has(stray.text, "unexpected argument 'c'") || has(stray.text, " a") || has(stray.text, "'a'") ||
                    has(stray.text, "'b'"))
            << tool.name << ": " << stray.text;
        // A value missing at the end of the line.
        const ParseOutcome missing = run(tool, {"a", "-o"});
        EXPECT_EQ(missing.kind, Kind::Error) << tool.name;
        EXPECT_TRUE(has(missing.text, "--output")) << tool.name << ": " << missing.text;
    }
}

TEST(CommandLines, AnErrorExitsTwoAndHelpZero) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(tools::finishCommandLine("quillcast-x", ParseOutcome::error("no input file")), tools::kExitUsage);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "quillcast-x: no input file (try --help)\n");
    testing::internal::CaptureStdout();
    EXPECT_EQ(tools::finishCommandLine("quillcast-x", {Kind::Version, "quillcast-x 1\n"}), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "quillcast-x 1\n");
}

TEST(CommandLines, EmbedTakesOneModeAndWhatGoesWithIt) {
    embed::CommandLine line;
    const char* embedArgs[] = {"quillcast-embed", "p.exe", "d.qcs", "-o", "n.exe", "--force"};
    ASSERT_TRUE(embed::parseCommandLine(6, embedArgs, line).run());
    EXPECT_EQ(line.mode, embed::Mode::Embed);
    EXPECT_EQ(line.drawing, "d.qcs");
    EXPECT_TRUE(line.force);

    embed::CommandLine check;
    const char* checkArgs[] = {"quillcast-embed", "--check", "p.exe", "--timer-resolution", "15.625"};
    ASSERT_TRUE(embed::parseCommandLine(5, checkArgs, check).run());
    EXPECT_EQ(check.mode, embed::Mode::Check);
    EXPECT_DOUBLE_EQ(check.timerResolutionMs, 15.625);

    const struct {
        std::vector<const char*> args;
        const char* says;
    } refused[] = {
        {{"--extract", "p.exe"}, "no output file"},
        {{"--extract", "p.exe", "d.qcd", "-o", "x"}, "unexpected argument 'd.qcd'"},
        {{"--check", "p.exe", "-o", "x"}, "--check writes no file"},
        {{"--check", "--extract", "p.exe"}, "excludes"},
        {{"p.exe", "-o", "x"}, "no drawing given"},
        {{"p.exe", "d.qcd", "-o", "x", "--timer-resolution", "1"}, "goes with --check"},
        {{"--check", "p.exe", "--timer-resolution", "fast"}, "--timer-resolution: needs milliseconds"},
        {{"--check", "p.exe", "--timer-resolution", "nan"}, "--timer-resolution: needs milliseconds"},
    };
    const Tool embedTool = tools_()[2];
    for (const auto& c : refused) {
        const ParseOutcome outcome = run(embedTool, c.args);
        EXPECT_EQ(outcome.kind, Kind::Error) << c.says;
        EXPECT_TRUE(has(outcome.text, c.says)) << outcome.text;
    }
}

TEST(CommandLines, ScriptAndSampleTakeTheirWords) {
    script::CommandLine dump;
    const char* dumpArgs[] = {"quillcast-script", "dump", "-"};
    ASSERT_TRUE(script::parseCommandLine(3, dumpArgs, dump).run());
    EXPECT_EQ(dump.input, "-");
    EXPECT_EQ(dump.output, "-");
    const Tool scriptTool = tools_()[3];
    EXPECT_TRUE(has(run(scriptTool, {"build", "s.qcs"}).text, "build needs -o"));
    EXPECT_TRUE(has(run(scriptTool, {"render", "s.qcs"}).text, "needs dump or build, not 'render'"));
    EXPECT_TRUE(has(run(scriptTool, {}).text, "say dump or build"));

    tools::SampleCommandLine sample;
    const char* sampleArgs[] = {"quillcast-sample", "quick", "--script", "-o", "q.qcs"};
    ASSERT_TRUE(tools::parseSampleArguments(5, sampleArgs, sample).run());
    EXPECT_TRUE(sample.asScript);
    const Tool sampleTool = tools_()[4];
    EXPECT_TRUE(run(sampleTool, {"--list"}).run());
    EXPECT_TRUE(has(run(sampleTool, {"nosuch", "-o", "x"}).text, "no sample named nosuch"));
    EXPECT_TRUE(has(run(sampleTool, {"quick"}).text, "no output file"));
}

}  // namespace
