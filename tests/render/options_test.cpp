// The renderer's command line: what a recording takes and what it refuses.
#include <gtest/gtest.h>

#include <vector>

#include "tools/render/options.h"

namespace {

bool parse(std::vector<const char*> args, tools::RenderOptions& options, std::string& error) {
    args.insert(args.begin(), "quillcast-render");
    return tools::parseRenderArguments(static_cast<int>(args.size()), args.data(), options, error);
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
        {{"d.qcd", "--frames"}, "--frames needs"},
        {{"d.qcd", "--gif", "a.gif", "--speed", "0"}, "--speed"},
        {{"d.qcd", "--gif", "a.gif", "--fps", "-1"}, "--fps"},
        {{"d.qcd"}, "no output"},
        {{"d.qcd", "-o", "x.png", "--timer-resolution", "-1"}, "--timer-resolution needs milliseconds"},
    };
    for (const auto& c : cases) {
        tools::RenderOptions o;
        std::string error;
        EXPECT_FALSE(parse(c.args, o, error)) << c.says;
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
    }
}

}  // namespace
