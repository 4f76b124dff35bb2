// The renderer's command line: what a recording takes and what it refuses.
#include <gtest/gtest.h>

#include <vector>

#include "tools/render/options.h"

namespace {

bool parse(std::vector<const char*> args, tools::RenderOptions& options, std::string& error) {
    args.insert(args.begin(), "quillcast-render");
    const tools::ParseOutcome outcome = tools::parseRenderArguments(static_cast<int>(args.size()), args.data(), options);
    error = outcome.text;
    return outcome.run();
}

TEST(RenderOptions, ARecordingNeedsNoPngAndTakesItsSettings) {
    tools::RenderOptions o;
    std::string error;
    ASSERT_TRUE(parse({"d.qcd", "--gif", "a.gif", "--fps", "25", "--speed", "2", "--hold", "0", "--final-first",
                       "--size", "64x48", "--canvas-only", "--timer-resolution", "15.625"},
                      o, error))
        << error;
    EXPECT_EQ(o.gifPath, "a.gif");
    EXPECT_TRUE(o.output.empty());
    EXPECT_DOUBLE_EQ(o.timelapse.fps, 25);
    EXPECT_DOUBLE_EQ(o.timelapse.speed, 2);
    EXPECT_DOUBLE_EQ(o.timelapse.holdSeconds, 0);
    EXPECT_TRUE(o.timelapse.finalFirst && o.timelapse.canvasOnly);
    EXPECT_EQ(o.timelapse.width, 64);
    EXPECT_EQ(o.timelapse.height, 48);
    EXPECT_DOUBLE_EQ(o.timerResolutionMs, 15.625);
}

TEST(RenderOptions, AStillTakesItsScreenAndBounds) {
    tools::RenderOptions o;
    std::string error;
    ASSERT_TRUE(parse({"-", "-o", "-", "--at", "2.5", "--screen", "--screen-size", "800X600", "--max-work", "3",
                       "--max-seconds", "9", "-q", "-o", "w.png"},
                      o, error))
        << error;
    EXPECT_EQ(o.input, "-");
    EXPECT_EQ(o.output, "w.png");  // the last of a repeated option
    EXPECT_DOUBLE_EQ(o.atSeconds, 2.5);
    EXPECT_TRUE(o.screen && o.quiet);
    EXPECT_EQ(o.screenWidth, 800);
    EXPECT_EQ(o.screenHeight, 600);
    EXPECT_EQ(o.workLimit, 3'000'000u);
    EXPECT_DOUBLE_EQ(o.maxSeconds, 9);

    tools::RenderOptions defaults;
    ASSERT_TRUE(parse({"d.qcd", "-o", "w.png"}, defaults, error)) << error;
    EXPECT_EQ(defaults.screenWidth, 1024);
    EXPECT_EQ(defaults.workLimit, tools::kDefaultWorkLimit);
    EXPECT_LT(defaults.atSeconds, 0);
}

TEST(RenderOptions, ContradictionsAreRefusedWithTheOptionNamed) {
    const struct {
        std::vector<const char*> args;
        const char* says;
    } cases[] = {
        {{"d.qcd", "--fps", "10", "-o", "x.png"}, "--fps records the show"},
        {{"d.qcd", "--gif", "a.gif", "--at", "3"}, "--at"},
        {{"d.qcd", "--gif", "a.gif", "--speed", "2", "--duration", "5"}, "exclude"},
        {{"d.qcd", "--gif", "a.gif", "--include-splash", "--canvas-only"}, "exclude"},
        {{"d.qcd", "--gif", "-", "-o", "-"}, "standard output"},
        {{"d.qcd", "--frames"}, "--frames"},
        {{"d.qcd", "--frames", ""}, "--frames: needs a folder name"},
        {{"d.qcd", "--gif", "a.gif", "--speed", "0"}, "--speed"},
        {{"d.qcd", "--gif", "a.gif", "--fps", "-1"}, "--fps"},
        {{"d.qcd"}, "no output"},
        {{"d.qcd", "-o", "x.png", "--timer-resolution", "-1"}, "--timer-resolution: needs milliseconds"},
        {{"d.qcd", "-o", "x.png", "--screen-size", "800x"}, "--screen-size: needs WIDTHxHEIGHT"},
        {{"d.qcd", "-o", "x.png", "--max-work", "nan"}, "--max-work: needs"},
        {{"d.qcd", "e.qcd", "-o", "x.png"}, "unexpected argument 'e.qcd'"},
    };
    for (const auto& c : cases) {
        tools::RenderOptions o;
        std::string error;
        EXPECT_FALSE(parse(c.args, o, error)) << c.says;
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
    }
}

}  // namespace
