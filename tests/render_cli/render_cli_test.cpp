// quillcast-render as a user meets it: arguments, exit codes, messages, and
// output files that appear whole or not at all.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/block_builder.h"
#include "tests/support/show_bounds.h"

namespace fs = std::filesystem;

namespace {

struct Result {
    int status = -1;
    std::string err;
};

class RenderCli : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("render_cli_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    void write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        std::ofstream(path(name), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                          static_cast<std::streamsize>(bytes.size()));
    }

    // Runs the renderer under the test bounds; a show that reaches one
    // (exit status 3) fails the test.
    Result render(const std::string& args) const {
        const std::string errFile = path("stderr.txt");
        const std::string bounds = " --max-seconds " + std::to_string(testing_support::kTestShowMs / 1000) +
                                   " --max-work " + std::to_string(testing_support::kTestWorkUnits / 1000000);
        const std::string command =
            std::string(QC_RENDER_BIN) + " " + args + bounds + " 2>" + errFile + " >/dev/null";
        Result r;
        const int raw = std::system(command.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        std::ifstream in(errFile);
        std::getline(in, r.err, '\0');
        if (r.status == 3) ADD_FAILURE() << "quillcast-render " << args << ": it never ends? " << r.err;
        return r;
    }

    // Files in the folder other than the ones the test made itself.
    std::vector<std::string> leftovers(const std::vector<std::string>& expected) const {
        std::vector<std::string> out;
        for (const auto& entry : fs::directory_iterator(dir_)) {
            const std::string name = entry.path().filename().string();
            if (name == "stderr.txt") continue;
            bool known = false;
            for (const auto& e : expected) known = known || e == name;
            if (!known) out.push_back(name);
        }
        return out;
    }

    static std::pair<int, int> pngSize(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        unsigned char header[24] = {};
        in.read(reinterpret_cast<char*>(header), 24);
        auto be32 = [&](int at) { return header[at] << 24 | header[at + 1] << 16 | header[at + 2] << 8 | header[at + 3]; };
        return {be32(16), be32(20)};
    }

    fs::path dir_;
};

std::vector<std::uint8_t> drawing() {
    testing_support::BlockBuilder b(300, 400);
    b.colour(0x1030C0).brushSize(3).stroke({{20, 20}, {280, 380}});
    return b.block();
}

TEST_F(RenderCli, WritesTheWindowOrTheCanvas) {
    write("d.qcd", drawing());
    EXPECT_EQ(render(path("d.qcd") + " -o " + path("w.png")).status, 0);
    EXPECT_EQ(pngSize(path("w.png")), std::make_pair(314, 414));
    EXPECT_EQ(render(path("d.qcd") + " --canvas-only -o " + path("c.png")).status, 0);
    EXPECT_EQ(pngSize(path("c.png")), std::make_pair(300, 400));
    EXPECT_EQ(render(path("d.qcd") + " --at 3 --screen --screen-size 800x600 -o " + path("s.png")).status, 0);
    EXPECT_EQ(pngSize(path("s.png")), std::make_pair(800, 600));
    EXPECT_TRUE(leftovers({"d.qcd", "w.png", "c.png", "s.png"}).empty());
}

TEST_F(RenderCli, BadArgumentsAndInputsExitTwoWithOneLine) {
    write("d.qcd", drawing());
    std::vector<std::uint8_t> shortFile(450999, 1);
    write("short.qcd", shortFile);
    std::vector<std::uint8_t> program(600000, 0);
    program[0] = 'M';
    program[1] = 'Z';
    write("other.exe", program);

    const struct {
        std::string args;
        std::string says;
    } cases[] = {
        {"--frobnicate " + path("d.qcd") + " -o " + path("o.png"), "unknown option --frobnicate"},
        {path("d.qcd"), "no output"},
        {"-o " + path("o.png"), "no input"},
        {path("missing.qcd") + " -o " + path("o.png"), "missing.qcd"},
        {path("short.qcd") + " -o " + path("o.png"), "450999 bytes"},
        {path("other.exe") + " -o " + path("o.png"), "not a Quillcast player"},
        {path("d.qcd") + " -o " + path("no/such/folder/o.png"), "cannot write"},
        {path("d.qcd") + " --screen-size 0x5 -o " + path("o.png"), "--screen-size"},
        {path("d.qcd") + " --at soon -o " + path("o.png"), "--at"},
    };
    for (const auto& c : cases) {
        const Result r = render(c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.args << "\n" << r.err;
        EXPECT_FALSE(fs::exists(path("o.png"))) << c.args;
    }
    EXPECT_TRUE(leftovers({"d.qcd", "short.qcd", "other.exe"}).empty());
}

TEST_F(RenderCli, AFailedRunLeavesAnOldOutputAsItWas) {
    write("short.qcd", std::vector<std::uint8_t>(10, 0));
    write("o.png", {'o', 'l', 'd'});
    EXPECT_EQ(render(path("short.qcd") + " -o " + path("o.png")).status, 2);
    std::ifstream in(path("o.png"));
    std::string content;
    std::getline(in, content);
    EXPECT_EQ(content, "old");
}

TEST_F(RenderCli, APlayerIsCheckedBeforeItPlays) {
    const fs::path player = fs::path(QC_WIN_BIN) / "quillcast.exe";
    if (!fs::exists(player)) GTEST_FAIL() << "no " << player << ": build the Windows tree first (scripts/build)";
    fs::copy_file(player, path("intact.exe"));
    EXPECT_EQ(render(path("intact.exe") + " -o " + path("p.png")).status, 0) << "the sealed placeholder player";
    EXPECT_EQ(pngSize(path("p.png")), std::make_pair(214, 214));

    std::ifstream in(player, std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    bytes[0x500] ^= 0x20;  // somewhere in the code
    write("corrupted.exe", bytes);
    const Result r = render(path("corrupted.exe") + " -o " + path("c.png"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("This program has been corrupted!"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("www.quillcast.example"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(path("c.png")));
}

}  // namespace
