// quillcast-render on hostile drawings: a canvas too large is refused before
// anything runs, and a show cut by a bound is written and reported.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/block_builder.h"

namespace fs = std::filesystem;
using testing_support::BlockBuilder;

namespace {

struct CliRun {
    int status = -1;
    std::string err;
};

class RenderLimits : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("render_limits_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }

    CliRun render(const std::string& args) {
        const fs::path errPath = dir_ / "stderr.txt";
        const std::string command = std::string(QC_RENDER_BIN) + " " + args + " 2>" + errPath.string();
        CliRun run;
        const int raw = std::system(command.c_str());
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        std::ifstream in(errPath);
        std::stringstream text;
        text << in.rdbuf();
        run.err = text.str();
        return run;
    }

    fs::path dir_;
};

std::vector<std::uint8_t> longStrokes() {
    BlockBuilder b(100, 100);
    b.brushSize(4);
    for (int i = 0; i < 40; ++i) b.stroke({{-32768, 50}, {32767, 50}, {-32768, 60}});
    return b.block();
}

TEST_F(RenderLimits, CanvasTooLargeIsRefusedBeforeTheShow) {
    const std::string input = write("huge.qcd", BlockBuilder(65535, 65535).fill().block());
    const std::string out = (dir_ / "out.png").string();
    const CliRun run = render(input + " -o " + out);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("the canvas is 65535x65535, too large"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(RenderLimits, MaxSecondsWritesTheShowAsItStood) {
    const std::string input = write("long.qcd", longStrokes());
    const std::string out = (dir_ / "out.png").string();
    // The strokes start at about 6.05 s and take 10 ms and more each.
    const CliRun run = render(input + " --max-seconds 6.2 -o " + out);
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find("stopped after 6.200 s of the show: --max-seconds"), std::string::npos) << run.err;
    EXPECT_TRUE(fs::exists(out));
}

TEST_F(RenderLimits, WorkLimitIsReported) {
    const std::string input = write("long.qcd", longStrokes());
    const std::string out = (dir_ / "out.png").string();
    const CliRun run = render(input + " --max-work 1 --canvas-only -o " + out);
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find("of the show: the work limit"), std::string::npos) << run.err;
    EXPECT_TRUE(fs::exists(out));

    EXPECT_EQ(render(input + " --max-work 0 -o " + out).status, 2);
    EXPECT_EQ(render(input + " --max-seconds -1 -o " + out).status, 2);
}

TEST_F(RenderLimits, AnOrdinaryDrawingIsNotStopped) {
    BlockBuilder b(100, 100);
    b.stroke({{0, 0}, {99, 99}});
    const std::string input = write("small.qcd", b.block());
    const CliRun run = render(input + " --max-seconds 100 -o " + (dir_ / "out.png").string());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("stopped"), std::string::npos);
}

TEST_F(RenderLimits, AnEndlessInputIsRefusedNotReadIntoMemory) {
    const std::string out = (dir_ / "out.png").string();
    const CliRun run = render("/dev/zero -o " + out);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("larger than 256 MiB"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(out));
}

}  // namespace
