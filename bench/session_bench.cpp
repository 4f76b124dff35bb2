// Candidate strokes scored per second through the engine session, as a
// painting search uses it: on a 512 x 512 canvas holding a picture, restore
// the checkpoint, play one candidate stroke point by point, read the pixels
// of its box as RGB. Also the cost of a whole checkpoint save.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/session/checkpoint.h"
#include "engine/session/session.h"

namespace {

constexpr int kSize = 512;

std::vector<std::uint8_t> record(std::uint16_t opcode, std::uint32_t value) {
    return {static_cast<std::uint8_t>(opcode), 0, static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

void put(std::uint16_t opcode, std::uint32_t value) {
    const auto r = record(opcode, value);
    session::append(r.data(), r.size());
}

// A canvas with some strokes on it, mode and level as given.
void openPainted(int mode, int level) {
    std::vector<std::uint32_t> palette(256);
    for (std::uint32_t i = 0; i < 256; ++i) palette[i] = i * 0x010101u;
    std::string error;
    session::openNew(kSize, kSize, palette, false, error);
    put(0, 0x10FFCC00);
    put(0, 0x2000CCFF);
    for (int s = 0; s < 40; ++s) {
        put(0, static_cast<std::uint32_t>(s * 0x051321));
        put(1, static_cast<std::uint32_t>(1 + s % 4));
        put(3, 4);
        session::beginStroke(10, 10 + s * 12);
        for (int i = 1; i < 30; ++i) session::strokeTo(10 + i * 16, 10 + s * 12 + (i % 5) * 4, 0);
        session::endStroke();
    }
    put(1, static_cast<std::uint32_t>(mode));
    put(3, static_cast<std::uint32_t>(level));
}

void candidateStrokes(benchmark::State& st) {
    openPainted(static_cast<int>(st.range(0)), static_cast<int>(st.range(1)));
    session::Checkpoint mark;
    session::save(mark);
    std::vector<std::uint8_t> rgb(3 * 80 * 80);
    int n = 0;
    for (auto _ : st) {
        // A 12-point stroke of about 60 pixels, in a different place each time.
        const int x0 = 40 + (n * 37) % 400;
        const int y0 = 40 + (n * 53) % 400;
        session::beginStroke(x0, y0);
        for (int i = 1; i < 12; ++i) session::strokeTo(x0 + i * 5, y0 + (i % 3) * 4, 0);
        session::readRgb(x0 - 10, y0 - 10, 80, 80, rgb.data());
        session::restore(mark);
        benchmark::DoNotOptimize(rgb.data());
        ++n;
    }
    st.SetItemsProcessed(st.iterations());
    session::close();
}
BENCHMARK(candidateStrokes)->ArgNames({"mode", "level"})->Args({1, 2})->Args({1, 4})->Args({3, 4})->Args({4, 4});

void wholeCheckpoint(benchmark::State& st) {
    openPainted(1, 2);
    session::Checkpoint mark;
    for (auto _ : st) session::save(mark);
    st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations()) * kSize * kSize * 4);
    session::close();
}
BENCHMARK(wholeCheckpoint);

}  // namespace

BENCHMARK_MAIN();
