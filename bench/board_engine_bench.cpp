// What the board's engine calls cost, child process included: checking a
// posted sample (played, pictured, thumbnailed) and making its GIF and MP4
// time-lapses. Wall-clock medians of a few runs, as a post waits for them.
//
//   build/bin/board_engine_bench [RUNS]   (from the project root)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "board/engine_bridge/bridge.h"

namespace engine = board::engine;

namespace {

double medianSeconds(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "__engine") return engine::runChild(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::printf("%-8s %8s %9s %8s %8s %8s %9s %9s\n", "sample", "canvas", "show (s)", "check", "gif", "mp4",
                "gif+mp4", "sizes KB");
    for (const char* name : {"quick", "meadow", "dense"}) {
        std::ifstream in(std::string("samples/") + name + ".qcs", std::ios::binary);
        const engine::Bytes script{std::istreambuf_iterator<char>(in), {}};
        engine::Checked checked;
        const double check = medianSeconds(runs, [&] { checked = engine::checkDrawing(script, name); });
        if (!checked.error.empty()) {
            std::fprintf(stderr, "board_engine_bench: %s\n", checked.error.c_str());
            return 1;
        }
        engine::Bytes gif, mp4;
        const double gifSeconds = medianSeconds(runs, [&] { gif = engine::renderGif(checked.drawing); });
        const double mp4Seconds = medianSeconds(runs, [&] { mp4 = engine::renderMp4(checked.drawing); });
        char canvas[32];
        std::snprintf(canvas, sizeof canvas, "%dx%d", checked.width, checked.height);
        std::printf("%-8s %8s %9.2f %7.3fs %7.3fs %7.3fs %8.3fs %4zu+%zu\n", name, canvas, checked.showSeconds, check,
                    gifSeconds, mp4Seconds, gifSeconds + mp4Seconds, gif.size() / 1024, mp4.size() / 1024);
    }
    return 0;
}
