// The files the tools write are made private first (mkstemp, mkdtemp) and
// renamed into place; once there they must have the mode any other program
// would give them under the user's umask, not the temporary's 0600.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/show_bounds.h"
#include "tests/tools/fake_player.h"

namespace fs = std::filesystem;

namespace {

class OutputModes : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("output_modes_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        savedMask_ = ::umask(022);
    }
    void TearDown() override {
        ::umask(savedMask_);
        fs::remove_all(dir_);
    }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    // Runs a tool from the build's bin folder; true when it exits with 0.
    bool run(const std::string& tool, const std::string& args) const {
        const std::string command = std::string(QC_BIN_DIR) + "/" + tool + " " + args + " >/dev/null 2>" + path("err.txt");
        const int raw = std::system(command.c_str());
        const bool ok = WIFEXITED(raw) && WEXITSTATUS(raw) == 0;
        if (!ok) {
            std::ifstream err(path("err.txt"));
            std::string text;
            std::getline(err, text, '\0');
            ADD_FAILURE() << tool << " " << args << ": " << text;
        }
        return ok;
    }

    static unsigned modeOf(const std::string& file) {
        struct stat st {};
        if (::stat(file.c_str(), &st) != 0) return 0;
        return st.st_mode & 07777;
    }

    fs::path dir_;
    mode_t savedMask_ = 022;
};

// Bounds for the renderer's shows, as every test show has.
std::string renderBounds() {
    return " --max-seconds " + std::to_string(testing_support::kTestShowMs / 1000) + " --max-work " +
           std::to_string(testing_support::kTestWorkUnits / 1000000);
}

TEST_F(OutputModes, EveryToolWritesFilesWith0644Under022) {
    std::vector<std::string> files;
    auto made = [&](const std::string& name) { files.push_back(path(name)); };

    if (run("quillcast-sample", "quick -o " + path("sample.qcd"))) made("sample.qcd");
    if (run("quillcast-sample", "quick --script -o " + path("sample.qcs"))) made("sample.qcs");
    if (run("quillcast-script", "build " + path("sample.qcs") + " -o " + path("built.qcd"))) made("built.qcd");
    if (run("quillcast-script", "dump " + path("built.qcd") + " -o " + path("dumped.qcs"))) made("dumped.qcs");

    const std::string render = path("sample.qcd") + renderBounds();
    if (run("quillcast-render", render + " -q -o " + path("still.png"))) made("still.png");
    if (run("quillcast-render", render + " -q --gif " + path("show.gif"))) made("show.gif");
    if (std::system("command -v ffmpeg >/dev/null 2>&1") == 0 &&
        run("quillcast-render", render + " -q --fps 2 --video " + path("show.mp4"))) {
        made("show.mp4");
    }
    if (run("quillcast-render", render + " -q --frames " + path("frames"))) {
        EXPECT_EQ(modeOf(path("frames")), 0755u) << "the frames folder";
        made("frames/frames.txt");
        made("frames/frame-000001.png");
    }

    const std::vector<std::uint8_t> player = testing_support::fakePlayer();
    std::ofstream(path("player.exe"), std::ios::binary)
        .write(reinterpret_cast<const char*>(player.data()), static_cast<std::streamsize>(player.size()));
    if (run("quillcast-embed", path("player.exe") + " " + path("sample.qcd") + " -o " + path("sealed.exe"))) {
        if (run("quillcast-embed", "--extract " + path("sealed.exe") + " -o " + path("extracted.qcd"))) made("extracted.qcd");
        // A new player takes the mode of the one it was made from.
        ::chmod(path("player.exe").c_str(), 0755);
        if (run("quillcast-embed", path("player.exe") + " " + path("sample.qcd") + " -o " + path("program.exe"))) {
            EXPECT_EQ(modeOf(path("program.exe")), 0755u) << "program.exe";
        }
        EXPECT_EQ(modeOf(path("sealed.exe")), 0644u) << "sealed.exe";
    }

    for (const std::string& file : files) EXPECT_EQ(modeOf(file), 0644u) << file;
}

}  // namespace
