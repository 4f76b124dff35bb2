// show_timeline: the two sides of the show-clock measurement.
//
//   show_timeline model DRAWING [--timer-resolution MS]
//       the emulated show, one CSV line per tick: when it ended on the
//       desktop's clock, how much of that was waiting, and the calls counted
//       up to then (what the fit uses).
//   show_timeline match DRAWING GRAB_DIR
//       screenshots of the real player's window (grab_window.py's grabs.csv
//       and grabs.rgb) matched against the emulated show's picture after
//       every tick: one CSV line per screenshot with the strokes finished.
//
// A screenshot is placed when the window's frame is where the show puts it.
// Its progress is the tick k after which the emulated picture differs from
// it in the fewest pixels (k_lo to k_hi when several ticks tie, as strokes
// that change nothing do), plus the share of tick k_lo + 1's changed pixels
// that already show: a stroke caught half drawn.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "canvas/canvas.h"
#include "engine/player/tick_timeline.h"
#include "engine/loader/load_drawing.h"

namespace {

struct Change {
    std::uint32_t at;
    std::uint32_t colour;
};

struct Grab {
    double asked = 0, got = 0;
    std::vector<std::uint32_t> pixels;
};

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "show_timeline: %s\n", message.c_str());
    std::exit(2);
}

std::vector<std::uint8_t> loadBlock(const std::string& path) {
    std::vector<std::uint8_t> block;
    script::DrawingSource source;
    std::string error;
    if (!script::loadDrawing(path, block, source, error)) fail(error);
    return block;
}

int printModel(const std::vector<std::uint8_t>& block, double resolutionMs) {
    tools::ShowSetup setup;
    setup.block = block;
    setup.timerResolutionNs = static_cast<std::uint64_t>(resolutionMs * 1e6 + 0.5);
    const tools::TickTimeline timeline = tools::recordTickTimeline(setup);
    if (!timeline.message.empty()) fail(timeline.message);
    std::printf("tick,end_ns,waited_ns,ticks,message_looks,line_points,pixel_writes,pixel_reads,area_pixels\n");
    for (std::size_t k = 0; k < timeline.ticks.size(); ++k) {
        const tools::TickRecord& t = timeline.ticks[k];
        const emu::CallCounts& c = t.counts;
        std::printf("%zu,%llu,%llu,%llu,%llu,%llu,%llu,%llu,%llu\n", k, static_cast<unsigned long long>(t.endNs),
                    static_cast<unsigned long long>(t.endNs - emu::pricedNs(c)),
                    static_cast<unsigned long long>(c.ticks), static_cast<unsigned long long>(c.messageLooks),
                    static_cast<unsigned long long>(c.linePoints), static_cast<unsigned long long>(c.pixelWrites),
                    static_cast<unsigned long long>(c.pixelReads), static_cast<unsigned long long>(c.areaPixels));
    }
    return 0;
}

std::vector<Grab> readGrabs(const std::string& dir, int width, int height) {
    std::ifstream index(dir + "/grabs.csv");
    std::ifstream raw(dir + "/grabs.rgb", std::ios::binary);
    if (!index || !raw) fail("no grabs.csv and grabs.rgb in " + dir);
    std::string line;
    std::getline(index, line);  // the heading
    std::vector<Grab> grabs;
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::vector<unsigned char> rgb(count * 3);
    while (std::getline(index, line)) {
        Grab g;
        std::istringstream fields(line);
        std::string field;
        std::getline(fields, field, ',');
        std::getline(fields, field, ',');
        g.asked = std::stod(field);
        std::getline(fields, field, ',');
        g.got = std::stod(field);
        if (!raw.read(reinterpret_cast<char*>(rgb.data()), static_cast<std::streamsize>(rgb.size())))
            fail(dir + "/grabs.rgb is shorter than grabs.csv says (is the window " + std::to_string(width) + "x" +
                 std::to_string(height) + "?)");
        g.pixels.resize(count);
        for (std::size_t i = 0; i < count; ++i)
            g.pixels[i] = rgb[3 * i] | (rgb[3 * i + 1] << 8) | (static_cast<std::uint32_t>(rgb[3 * i + 2]) << 16);
        grabs.push_back(std::move(g));
    }
    return grabs;
}

// Whether the grab shows the frame where the emulated window has it.
bool isPlaced(const std::vector<std::uint32_t>& frame0, const Grab& g, int width, int height) {
    std::size_t ring = 0, equal = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (x >= kFrameBorder && x < width - kFrameBorder && y >= kFrameBorder && y < height - kFrameBorder)
                continue;
            const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
            ++ring;
            equal += frame0[i] == g.pixels[i];
        }
    }
    return equal * 100 >= ring * 99;
}

int printMatches(const std::vector<std::uint8_t>& block, const std::string& dir) {
    std::vector<std::uint32_t> frame0, previous;
    std::vector<std::vector<Change>> deltas;  // deltas[k]: from tick k - 1 to tick k
    int width = 0, height = 0;
    tools::ShowSetup setup;
    setup.block = block;
    const tools::TickTimeline timeline =
        tools::recordTickTimeline(setup, [&](std::size_t k, const tools::Picture& p) {
            if (k == 0) {
                width = p.width;
                height = p.height;
                frame0 = p.pixels;
                previous = p.pixels;
                deltas.emplace_back();
                return;
            }
            std::vector<Change> delta;
            for (std::size_t i = 0; i < p.pixels.size() && i < previous.size(); ++i) {
                if (p.pixels[i] != previous[i]) delta.push_back(Change{static_cast<std::uint32_t>(i), p.pixels[i]});
            }
            previous = p.pixels;
            deltas.push_back(std::move(delta));
        });
    if (!timeline.message.empty()) fail(timeline.message);
    if (frame0.empty()) fail("the show had no tick");

    const std::vector<Grab> grabs = readGrabs(dir, width, height);
    std::printf("grab,asked,got,placed,k_lo,k_hi,fraction,differing\n");
    std::vector<std::uint32_t> state = frame0, work;
    std::size_t start = 0;
    for (std::size_t gi = 0; gi < grabs.size(); ++gi) {
        const Grab& g = grabs[gi];
        if (!isPlaced(frame0, g, width, height)) {
            std::printf("%zu,%.6f,%.6f,0,,,,\n", gi, g.asked, g.got);
            continue;
        }
        long long differing = 0;
        for (std::size_t i = 0; i < state.size(); ++i) differing += state[i] != g.pixels[i];
        work = state;
        long long best = differing;
        std::size_t lo = start, hi = start;
        for (std::size_t k = start + 1; k < deltas.size(); ++k) {
            for (const Change& c : deltas[k]) {
                differing -= work[c.at] != g.pixels[c.at];
                work[c.at] = c.colour;
                differing += c.colour != g.pixels[c.at];
            }
            if (differing < best) {
                best = differing;
                lo = hi = k;
            } else if (differing == best) {
                hi = k;
            }
        }
        double fraction = 0;
        if (lo + 1 < deltas.size() && !deltas[lo + 1].empty()) {
            std::size_t shown = 0;
            for (const Change& c : deltas[lo + 1]) shown += g.pixels[c.at] == c.colour;
            fraction = static_cast<double>(shown) / static_cast<double>(deltas[lo + 1].size());
        }
        for (std::size_t k = start + 1; k <= lo; ++k)
            for (const Change& c : deltas[k]) state[c.at] = c.colour;
        start = lo;
        std::printf("%zu,%.6f,%.6f,1,%zu,%zu,%.4f,%lld\n", gi, g.asked, g.got, lo, hi, fraction, best);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string usage = "usage: show_timeline model DRAWING [--timer-resolution MS] | match DRAWING GRAB_DIR";
    if (argc < 3) fail(usage);
    const std::string mode = argv[1];
    const std::vector<std::uint8_t> block = loadBlock(argv[2]);
    if (mode == "model") {
        double resolution = 0;
        if (argc == 5 && std::string(argv[3]) == "--timer-resolution") resolution = std::atof(argv[4]);
        else if (argc != 3) fail(usage);
        return printModel(block, resolution);
    }
    if (mode == "match" && argc == 4) return printMatches(block, argv[3]);
    fail(usage);
}
