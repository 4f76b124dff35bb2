// Pixel decisions per second of the brush engine on the emulated platform:
// long strokes across a 1000 x 1000 canvas in every pen mode at every brush
// level. Each iteration starts from the same picture and random cursor, so
// every iteration makes the same decisions; an untimed first pass counts them.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "canvas/canvas.h"
#include "canvas/pen_modes.h"
#include "canvas/pen_state.h"
#include "canvas/random_table.h"
#include "platform/emu/desktop.h"
#include "platform/platform.h"

namespace {

constexpr int kSize = 1000;
const char* const kModeNames[] = {"", "Blend", "Darken", "Smudge", "Speckle"};

struct Segment {
    bool begins;  // first segment of a stroke
    int x1, y1, x2, y2;
};

// Twenty zigzag strokes from left to right, in window coordinates.
std::vector<Segment> makeStrokes() {
    std::vector<Segment> segments;
    for (int k = 0; k < 20; ++k) {
        const int y = kFrameBorder + 30 + 47 * k;
        int px = kFrameBorder + 20;
        int py = y;
        for (int i = 1; i <= 12; ++i) {
            const int x = kFrameBorder + 20 + 80 * i;
            const int ny = y + ((i % 2) ? 17 : -5);
            segments.push_back(Segment{i == 1, px, py, x, ny});
            px = x;
            py = ny;
        }
    }
    return segments;
}

// The counting pass walks the line itself and converts the cursor's moves
// at each point into decisions (Smudge draws twice past its first third).
struct Count {
    Canvas* canvas;
    HDC dc;
    std::int64_t decisions;
};

VOID CALLBACK countingStep(int x, int y, LPARAM data) {
    auto* count = reinterpret_cast<Count*>(data);
    int index = penState.randomIndex;
    count->canvas->traceStep(x, y, count->dc);
    while (index != penState.randomIndex) {
        const int draws = (penState.penMode == Smudge && randomTable[index] >= kOneThird) ? 2 : 1;
        index = (index + draws) % kRandomTableSize;
        ++count->decisions;
    }
}

class Bench {
public:
    explicit Bench(int mode, int level) : mode_(mode), level_(level) {
        emu::resetDesktop();
        resetPenState();
        windowDc_ = CreateCompatibleDC(nullptr);
        windowBitmap_ = CreateBitmap(kSize + 2 * kFrameBorder, kSize + 2 * kFrameBorder, 1, 32, nullptr);
        SelectObject(windowDc_, windowBitmap_);
        canvas_ = std::make_unique<Canvas>(windowDc_);
        canvas_->setUp(nullptr, kFrameBorder, kFrameBorder, kSize, kSize, kFrameBorder, kFrameBorder, 10, 10);
        canvas_->repaint(windowDc_);
        segments_ = makeStrokes();
    }
    ~Bench() {
        canvas_.reset();
        DeleteDC(windowDc_);
        DeleteObject(windowBitmap_);
    }

    // The same starting picture and pen for every iteration. Smudge gets
    // stripes to pick up; it will not pick up the fill colour itself.
    void reset() {
        canvas_->setPenColour(0x02F0F0F0);
        canvas_->fill(windowDc_);
        for (int x = kFrameBorder; x < kFrameBorder + kSize; x += 8) {
            const RECT stripe{x, kFrameBorder, x + 4, kFrameBorder + kSize};
            const HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(0x200000 + x * 97));
            FillRect(windowDc_, &stripe, brush);
            FillRect(canvasDc, &stripe, brush);
            DeleteObject(brush);
        }
        resetRandom();
        canvas_->setPenMode(mode_);
        canvas_->setDensity(1000);
        canvas_->setBrushSize(level_);
        canvas_->setPenColour(0x02203040);
        canvas_->setSecondColour(0x0240A020);
        canvas_->setThirdColour(0x02A02040);
    }

    void draw() {
        for (const Segment& s : segments_) {
            if (s.begins) canvas_->beginStroke();
            canvas_->drawSegment(windowDc_, s.x1, s.y1, s.x2, s.y2);
        }
    }

    std::int64_t countDecisions() {
        reset();
        Count count{canvas_.get(), windowDc_, 0};
        for (const Segment& s : segments_) {
            if (s.begins) canvas_->beginStroke();
            if (penState.penMode == Speckle && penState.beginStroke) refreshSpeckleMatrix();
            LineDDA(s.x1, s.y1, s.x2, s.y2, countingStep, reinterpret_cast<LPARAM>(&count));
        }
        return count.decisions;
    }

private:
    int mode_;
    int level_;
    HDC windowDc_ = nullptr;
    HBITMAP windowBitmap_ = nullptr;
    std::unique_ptr<Canvas> canvas_;
    std::vector<Segment> segments_;
};

void strokes(benchmark::State& state) {
    const int mode = static_cast<int>(state.range(0));
    const int level = static_cast<int>(state.range(1));
    Bench bench(mode, level);
    const std::int64_t decisions = bench.countDecisions();
    for (auto _ : state) {
        state.PauseTiming();
        bench.reset();
        state.ResumeTiming();
        bench.draw();
    }
    state.SetLabel(std::string(kModeNames[mode]) + " level " + std::to_string(level));
    state.counters["decisions"] = static_cast<double>(decisions);
    state.counters["decisions/s"] = benchmark::Counter(static_cast<double>(decisions) *
                                                           static_cast<double>(state.iterations()),
                                                       benchmark::Counter::kIsRate);
}

BENCHMARK(strokes)->ArgsProduct({{1, 2, 3, 4}, {0, 1, 2, 3, 4}})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
