// The board's bridge to the engine, through the child processes it starts:
// what it accepts and refuses, the bounds that stop a drawing, and the
// time-lapses decoded again.
#include <gtest/gtest.h>

#include <gif_lib.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "board/engine_bridge/bridge.h"

namespace engine = board::engine;
using engine::Bytes;

namespace {

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

Bytes sample(const std::string& name) { return readFile(std::string(QC_SAMPLES) + "/" + name); }

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

// A PNG's size from its IHDR chunk.
bool pngSize(const Bytes& png, int& width, int& height) {
    if (png.size() < 24 || png[0] != 0x89 || png[1] != 'P' || png[12] != 'I' || png[15] != 'R') return false;
    const auto word = [&png](int at) { return png[at] << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3]; };
    width = word(16);
    height = word(20);
    return true;
}

// No child of this process is left, running or unreaped.
bool noChildrenLeft() { return ::waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD; }

// The quick sample (160 x 120) as the board stores it, checked once.
const engine::Checked& quick() {
    static const engine::Checked checked = engine::checkDrawing(sample("quick.qcs"), "quick.qcs");
    return checked;
}

std::string refusal(const Bytes& upload, const std::string& name, const engine::Limits& limits = {}) {
    return engine::checkDrawing(upload, name, limits).error;
}

std::string failureOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(EngineBridge, AcceptsASampleWithItsPictureSizeAndShowLength) {
    const engine::Checked& c = quick();
    ASSERT_EQ(c.error, "");
    EXPECT_EQ(c.drawing.size(), 451000u);
    // The window's client area: the canvas in its 7-pixel frame.
    EXPECT_EQ(c.width, 160 + 14);
    EXPECT_EQ(c.height, 120 + 14);
    int w = 0, h = 0;
    ASSERT_TRUE(pngSize(c.picture, w, h));
    EXPECT_EQ(w, c.width);
    EXPECT_EQ(h, c.height);
    // Inside the thumbnail's box and less than half of it: as it is.
    ASSERT_TRUE(pngSize(c.thumbnail, w, h));
    EXPECT_EQ(w, 174);
    EXPECT_EQ(h, 134);
    // quillcast-render --stats gives 6.664 s with the start-up and the
    // opening splash; the strokes take the part after them.
    EXPECT_GT(c.showSeconds, 0.2);
    EXPECT_LT(c.showSeconds, 2.0);
    EXPECT_TRUE(noChildrenLeft());
}

TEST(EngineBridge, TheStoredDrawingTravelsAsFileScriptAndPlayer) {
    const engine::Checked& c = quick();
    ASSERT_EQ(c.error, "");
    const engine::Checked again = engine::checkDrawing(c.drawing, "quick.qcd");
    ASSERT_EQ(again.error, "");
    EXPECT_EQ(again.drawing, c.drawing);
    EXPECT_EQ(again.picture, c.picture);

    const std::string script = engine::scriptText(c.drawing);
    EXPECT_EQ(script.rfind("quillcast script 1\n", 0), 0u);
    EXPECT_EQ(engine::checkDrawing(bytesOf(script), "quick.qcs").drawing, c.drawing);

    if (::access(engine::defaultPlayerPath().c_str(), R_OK) != 0) GTEST_SKIP() << "no Windows player built";
    const Bytes player = engine::makePlayer(c.drawing);
    const engine::Checked fromPlayer = engine::checkDrawing(player, "quick.exe");
    ASSERT_EQ(fromPlayer.error, "");
    EXPECT_EQ(fromPlayer.drawing, c.drawing);
    EXPECT_EQ(fromPlayer.picture, c.picture);
}

TEST(EngineBridge, RefusesWhatIsNoDrawingSayingWhat) {
    const Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    EXPECT_EQ(refusal(png, "cat.png"), "cat.png: a PNG picture, not a drawing (a drawing file is exactly 451000 bytes)");
    EXPECT_EQ(refusal({}, "nothing.qcd"), "nothing.qcd: an empty file, not a drawing");
    Bytes garbage(5000);
    for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<std::uint8_t>(i * 7919 % 251);
    EXPECT_EQ(refusal(garbage, "noise.bin"), "noise.bin: 5000 bytes of binary data; a drawing file is exactly 451000 bytes");
    const std::string text = refusal(bytesOf("hello\nworld\n"), "notes.txt");
    EXPECT_EQ(text.rfind("notes.txt: ", 0), 0u) << text;
    // A name with control characters is not echoed raw into messages.
    EXPECT_EQ(refusal({}, "a\nb"), "a?b: an empty file, not a drawing");
    EXPECT_TRUE(noChildrenLeft());
}

TEST(EngineBridge, RefusesAnEmptyDrawing) {
    // The quick sample's header and palette without its records, and with
    // only its pen settings (no strokes, no fill): nothing is painted either way.
    std::string headOnly, settingsOnly;
    const Bytes script = sample("quick.qcs");
    std::istringstream lines(std::string(script.begin(), script.end()));
    for (std::string line; std::getline(lines, line);) {
        const bool stroke = line.rfind("stroke", 0) == 0 || line.rfind("fill", 0) == 0;
        const bool setting = line.rfind("colour", 0) == 0 || line.rfind("brush-size", 0) == 0 ||
                             line.rfind("pen-mode", 0) == 0 || line.rfind("density", 0) == 0;
        if (!stroke && !setting) headOnly += line + "\n";
        if (!stroke) settingsOnly += line + "\n";
    }
    EXPECT_EQ(refusal(bytesOf(headOnly), "blank.qcs"), "blank.qcs: an empty drawing (it has no strokes)");
    EXPECT_EQ(refusal(bytesOf(settingsOnly), "pens.qcs"),
              "pens.qcs: an empty drawing (its strokes leave the canvas as it was)");
    Bytes placeholder(451000, 0);
    placeholder[0] = 0x44;
    EXPECT_EQ(refusal(placeholder, "none.qcd"), "none.qcd: an empty drawing (it carries no drawing, only the placeholder)");
}

TEST(EngineBridge, RefusesACorruptedPlayer) {
    if (::access(engine::defaultPlayerPath().c_str(), R_OK) != 0) GTEST_SKIP() << "no Windows player built";
    ASSERT_EQ(quick().error, "");
    Bytes player = engine::makePlayer(quick().drawing);
    player[player.size() / 3] ^= 0x01;
    EXPECT_EQ(refusal(player, "gift.exe"),
              "gift.exe: a corrupted player (it fails its integrity check: it was changed after it was made)");
    // A Windows program that is no player at all.
    Bytes program = {'M', 'Z'};
    program.resize(4096);
    EXPECT_EQ(refusal(program, "setup.exe"), "setup.exe: a Windows program without a drawing block (not a Quillcast player)");
}

TEST(EngineBridge, MakingAPlayerWithoutOneSaysWhatIsMissing) {
    const std::string message =
        failureOf([] { engine::makePlayer(Bytes(451000, 1), "/nonexistent/quillcast.exe"); });
    EXPECT_EQ(message,
              "no Windows player to write the drawing into (/nonexistent/quillcast.exe is missing): build it with "
              "scripts/build, or name one in QUILLCAST_PLAYER");
}

TEST(EngineBridge, ADrawingOverTheWorkBoundTakesTooLong) {
    engine::Limits tight;
    tight.workUnits = 20000;  // the dense sample needs millions
    EXPECT_EQ(refusal(sample("dense.qcs"), "dense.qcs", tight), "this drawing takes too long to play");
    const engine::Checked dense = engine::checkDrawing(sample("dense.qcs"), "dense.qcs");
    ASSERT_EQ(dense.error, "");
    EXPECT_EQ(failureOf([&] { engine::renderGif(dense.drawing, tight); }), "this drawing takes too long to play");
}

TEST(EngineBridge, TheDeadlineKillsTheChildAndAllItStarted) {
    ASSERT_EQ(quick().error, "");
    engine::Limits shortDeadline;
    shortDeadline.seconds = 0.05;
    const auto start = std::chrono::steady_clock::now();
    const std::string message = failureOf([&] { engine::renderMp4(quick().drawing, shortDeadline); });
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(message, "the MP4 time-lapse failed: the engine took longer than 0.05 s and was stopped");
    EXPECT_LT(took, 1.0);
    EXPECT_TRUE(noChildrenLeft());
    // A posted file under the same deadline is refused, not half accepted.
    const engine::Checked checked = engine::checkDrawing(sample("dense.qcs"), "dense.qcs", shortDeadline);
    EXPECT_EQ(checked.error, "dense.qcs: the engine took longer than 0.05 s and was stopped");
    EXPECT_TRUE(checked.drawing.empty());
}

// The engine's children of a process, by their parent's pid.
std::vector<pid_t> childrenOf(pid_t parent) {
    std::vector<pid_t> found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line)) continue;
        // pid (comm) state ppid ...: the name may hold spaces, so from its end.
        const std::size_t close = line.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream rest(line.substr(close + 2));
        char state = 0;
        pid_t ppid = 0;
        rest >> state >> ppid;
        if (ppid == parent) found.push_back(std::stoi(entry.path().filename().string()));
    }
    return found;
}

bool isRunning(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return false;
    const std::size_t close = line.rfind(')');
    return close != std::string::npos && line[close + 2] != 'Z';
}

TEST(EngineBridge, AChildDiesWithTheProcessThatStartedIt) {
    // Strokes across the whole coordinate plane with the largest brush:
    // seconds of work before the time-lapse sends anything.
    std::string script =
        "quillcast script 1\nhead 51 00 00 00 00 00 00 00\nmarker 0\n"
        "header width 100 height 100 word 0 rest 00 00 00 00 00 00 00 00\n"
        "palette version 0x300 count 0\ncolour pen #ff0000\nbrush-size 4\nstroke";
    for (int i = 0; i < 200; ++i) script += " -32768,-32768 32767,32767";
    const engine::Checked slow = engine::checkDrawing(bytesOf(script + "\n"), "slow.qcs");
    ASSERT_EQ(slow.error, "");
    const engine::Bytes drawing = slow.drawing;
    // A process that starts a time-lapse and is killed while it runs, as a
    // server that crashes would be.
    const pid_t caller = ::fork();
    ASSERT_GE(caller, 0);
    if (caller == 0) {
        engine::Limits limits;
        limits.seconds = 60;
        for (;;) engine::renderMp4(drawing, limits);
    }
    std::vector<pid_t> children;
    for (int i = 0; i < 400 && children.empty(); ++i) {
        ::usleep(5000);
        children = childrenOf(caller);
    }
    ASSERT_FALSE(children.empty()) << "the caller started no engine";
    // Into the show's first pass, which sends nothing: a child left behind
    // would not notice its caller gone until it next writes.
    ::usleep(100000);
    ::kill(caller, SIGKILL);
    ::waitpid(caller, nullptr, 0);
    for (const pid_t child : children) {
        bool gone = false;
        for (int i = 0; i < 200 && !gone; ++i) {
            gone = !isRunning(child);
            if (!gone) ::usleep(5000);
        }
        EXPECT_TRUE(gone) << "engine " << child << " outlived its caller";
    }
}

#if !defined(__SANITIZE_ADDRESS__)
TEST(EngineBridge, TheMemoryBoundStopsTheChildNotTheCaller) {
    // The quick sample's strokes on a canvas of 4000 x 4000: 64 MB of pixels.
    const Bytes quickScript = sample("quick.qcs");
    std::string script(quickScript.begin(), quickScript.end());
    const std::size_t at = script.find("header width 160 height 120");
    ASSERT_NE(at, std::string::npos);
    script.replace(at, 27, "header width 4000 height 4000");
    engine::Limits small;
    small.memoryBytes = std::size_t{48} << 20;
    const engine::Checked checked = engine::checkDrawing(bytesOf(script), "huge.qcs", small);
    EXPECT_EQ(checked.error.rfind("huge.qcs: the engine ", 0), 0u) << checked.error;
    EXPECT_EQ(engine::checkDrawing(bytesOf(script), "huge.qcs").error, "");
    EXPECT_TRUE(noChildrenLeft());
}
#endif

TEST(EngineBridge, TheGifLastsAboutTenSecondsAndOpensWithTheFinishedPicture) {
    ASSERT_EQ(quick().error, "");
    double lastProgress = -1;
    bool ordered = true;
    const Bytes gif = engine::renderGif(quick().drawing, {}, [&](double share) {
        ordered = ordered && share >= lastProgress && share <= 1.0;
        lastProgress = share;
    });
    EXPECT_TRUE(ordered);
    EXPECT_EQ(lastProgress, 1.0);

    char path[] = "/tmp/engine-bridge-test-XXXXXX";
    const int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, gif.data(), gif.size()), static_cast<ssize_t>(gif.size()));
    ::close(fd);
    int error = 0;
    GifFileType* file = DGifOpenFileName(path, &error);
    ::unlink(path);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(DGifSlurp(file), GIF_OK);
    EXPECT_EQ(file->SWidth, 174);
    EXPECT_EQ(file->SHeight, 134);
    ASSERT_GT(file->ImageCount, 3);
    long hundredths = 0;
    long firstDelay = 0;
    for (int i = 0; i < file->ImageCount; ++i) {
        GraphicsControlBlock control;
        if (DGifSavedExtensionToGCB(file, i, &control) == GIF_OK) hundredths += control.DelayTime;
        if (i == 0) firstDelay = control.DelayTime;
    }
    EXPECT_NEAR(static_cast<double>(hundredths) / 100.0, 10.0, 0.5);
    EXPECT_EQ(firstDelay, 100);  // the finished picture for a second
    DGifCloseFile(file, &error);
}

TEST(EngineBridge, TheMp4IsAnH264VideoOfAboutTenSeconds) {
    ASSERT_EQ(quick().error, "");
    const Bytes mp4 = engine::renderMp4(quick().drawing);
    char path[] = "/tmp/engine-bridge-test-XXXXXX.mp4";
    const int fd = ::mkstemps(path, 4);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, mp4.data(), mp4.size()), static_cast<ssize_t>(mp4.size()));
    ::close(fd);
    const std::string command = std::string("ffprobe -v error -select_streams v:0 -show_entries "
                                            "stream=codec_name,width,height:format=duration -of compact=p=0:nk=1 ") +
                                path;
    std::FILE* probe = ::popen(command.c_str(), "r");
    ASSERT_NE(probe, nullptr);
    char line[256] = {};
    std::string out;
    while (std::fgets(line, sizeof line, probe)) out += line;
    ::pclose(probe);
    ::unlink(path);
    EXPECT_EQ(out.substr(0, out.find('\n')), "h264|174|134") << out;
    const double seconds = std::atof(out.substr(out.find('\n') + 1).c_str());
    EXPECT_NEAR(seconds, 10.0, 0.5) << out;
}

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "__engine") return engine::runChild(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
