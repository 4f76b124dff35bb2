#include "engine/samples/samples.h"

#include <cmath>

#include "format/format.h"
#include "engine/script/script_writer.h"

namespace tools {

namespace {

// A small deterministic generator, so the samples never change.
class Dice {
public:
    explicit Dice(std::uint32_t seed) : state_(seed) {}
    int below(int n) {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<int>((state_ >> 8) % static_cast<std::uint32_t>(n));
    }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }

private:
    std::uint32_t state_;
};

std::uint32_t rgb(int r, int g, int b) {
    return static_cast<std::uint32_t>(r) | static_cast<std::uint32_t>(g) << 8 | static_cast<std::uint32_t>(b) << 16;
}

int mix(int a, int b, double t) { return static_cast<int>(std::lround(a + (b - a) * t)); }

std::vector<std::uint32_t> cubePalette() {
    std::vector<std::uint32_t> palette;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) palette.push_back(rgb(r * 51, g * 51, b * 51));
    for (int i = 1; i <= 40; ++i) palette.push_back(rgb(i * 255 / 41, i * 255 / 41, i * 255 / 41));
    return palette;
}

// A horizontal band stroke with a gentle wave, pressure rising and falling.
std::vector<format::StrokePoint> wave(int x0, int x1, int y, double amplitude, double phase, int pressure) {
    std::vector<format::StrokePoint> points;
    for (int x = x0; x <= x1; x += 6) {
        const double t = (x - x0) / static_cast<double>(x1 - x0 + 1);
        const int p = pressure - static_cast<int>(std::lround(4 * std::fabs(t - 0.5)));
        points.push_back({x, y + static_cast<int>(std::lround(amplitude * std::sin(phase + x * 0.03))), p});
    }
    return points;
}

std::vector<format::StrokePoint> circle(int cx, int cy, int radius, int pressure) {
    std::vector<format::StrokePoint> points;
    const int steps = 8 + radius;
    for (int i = 0; i <= steps; ++i) {
        const double a = 6.283185307179586 * i / steps;
        points.push_back({cx + static_cast<int>(std::lround(radius * std::cos(a))),
                          cy + static_cast<int>(std::lround(radius * std::sin(a))), pressure});
    }
    return points;
}

std::vector<std::uint8_t> meadow() {
    format::BlockWriter w(300, 400, format::kMarkerPressure, cubePalette());
    Dice dice(2026);

    // Sky: a pale fill, then bands from deep blue to a warm horizon.
    w.colour(rgb(200, 220, 240));
    w.fill();
    w.penMode(1);
    w.brushSize(3);
    for (int y = 0; y <= 236; y += 4) {
        const double t = y / 236.0;
        w.colour(rgb(mix(62, 246, t), mix(112, 214, t), mix(196, 170, t)));
        w.stroke(wave(-4, 304, y, 1.5, y * 0.2, 13));
    }

    // The sun: speckled rings of yellow, white and orange.
    w.penMode(4);
    w.colour(rgb(255, 214, 60), 0);
    w.colour(rgb(255, 250, 225), 1);
    w.colour(rgb(250, 150, 40), 2);
    w.brushSize(3);
    w.density(1000);
    for (int r = 2; r <= 24; r += 3) w.stroke(circle(214, 92, r, 12));
    w.density(300);
    for (int r = 26; r <= 34; r += 3) w.stroke(circle(214, 92, r, 10));
    w.density(1000);

    // Distant hills, darkening what lies under them.
    w.penMode(2);
    w.brushSize(0);
    for (int y = 170; y <= 250; y += 3) {
        const double t = (y - 170) / 80.0;
        w.colour(rgb(mix(120, 70, t), mix(150, 120, t), mix(170, 110, t)));
        w.stroke(wave(-4, 304, y, 12 * (1 - t), 1.3, 14));
    }

    // The meadow, row by row, lighter towards the viewer.
    w.penMode(1);
    for (int y = 236; y <= 404; y += 4) {
        const double t = (y - 236) / 168.0;
        w.colour(rgb(mix(78, 120, t) + dice.between(-6, 6), mix(128, 176, t) + dice.between(-6, 6),
                     mix(60, 54, t)));
        w.stroke(wave(-4, 304, y, 2.5, y * 0.11, 14));
    }

    // Soften the horizon with the smudge brush.
    w.penMode(3);
    w.brushSize(2);
    for (int y = 228; y <= 246; y += 3) w.stroke(wave(3, 296, y, 2, y * 0.3, 9));

    // Grass blades: speckled greens, thick at the root and fine at the tip.
    w.penMode(4);
    w.colour(rgb(40, 110, 40), 0);
    w.colour(rgb(150, 200, 80), 1);
    w.colour(rgb(90, 150, 50), 2);
    w.brushSize(0);
    w.density(600);
    for (int i = 0; i < 180; ++i) {
        const int x = dice.between(0, 299);
        const int y = dice.between(270, 399);
        const int lean = dice.between(-8, 8);
        const int height = dice.between(10, 26) * (y - 250) / 150 + 4;
        w.stroke({{x, y, 10}, {x + lean / 3, y - height / 3, 9}, {x + 2 * lean / 3, y - 2 * height / 3, 6},
                  {x + lean, y - height, 3}});
    }
    w.density(1000);

    // Flowers: small blended dots of red, magenta, white and yellow.
    w.penMode(1);
    const std::uint32_t petals[] = {rgb(220, 40, 50), rgb(200, 60, 170), rgb(250, 250, 245), rgb(250, 210, 40)};
    for (int i = 0; i < 70; ++i) {
        const int x = dice.between(4, 295);
        const int y = dice.between(285, 395);
        const int size = y > 340 ? 8 : 5;
        w.colour(petals[dice.below(4)]);
        w.brushSize(y > 340 ? 2 : 1);
        w.stroke({{x, y, 8}, {x + 1, y, 8}, {x + 1, y + 1, 8}, {x, y + 1, 8}});
        if (size > 5) w.stroke({{x - 1, y - 1, 5}, {x + 2, y + 2, 5}});
    }
    w.brushSize(0);
    return w.block();
}

// Wandering threads of colour in warm and sea tones until the block is full:
// every pen mode, level and density in turn, each point with a pressure.
std::vector<std::uint8_t> dense() {
    format::BlockWriter w(400, 400, format::kMarkerPressure, cubePalette());
    Dice dice(451000);
    const std::uint32_t tones[] = {rgb(38, 70, 110),  rgb(52, 120, 140), rgb(120, 180, 170), rgb(240, 220, 180),
                                   rgb(230, 160, 90), rgb(200, 90, 60),  rgb(120, 50, 70),   rgb(250, 245, 235)};
    auto tone = [&]() { return tones[dice.below(8)]; };
    w.colour(rgb(250, 246, 236));
    w.fill();
    int strokeCount = 0;
    double heading = 0;
    while (w.room() > 4096) {
        if (strokeCount % 40 == 0) {
            w.penMode(1 + (strokeCount / 40) % 4);
            w.brushSize(dice.below(5));
            w.density(dice.between(200, 1000));
            w.colour(tone(), 0);
            w.colour(tone(), 1);
            w.colour(tone(), 2);
        } else if (strokeCount % 7 == 0) {
            w.colour(tone(), 0);
        }
        std::vector<format::StrokePoint> points;
        double x = dice.between(20, 379), y = dice.between(20, 379);
        const int length = dice.between(20, 200);
        for (int i = 0; i < length; ++i) {
            points.push_back({static_cast<int>(x), static_cast<int>(y), 4 + (i * 11 / length) % 12});
            heading += (dice.below(61) - 30) * 0.01;
            x += 3 * std::cos(heading);
            y += 3 * std::sin(heading);
            // Turn back at the edges instead of leaving the canvas.
            if (x < 0 || x > 399) heading = 3.141592653589793 - heading;
            if (y < 0 || y > 399) heading = -heading;
            x = x < 0 ? 0 : (x > 399 ? 399 : x);
            y = y < 0 ? 0 : (y > 399 ? 399 : y);
        }
        w.stroke(points);
        ++strokeCount;
    }
    return w.block();
}

// A small evening sea in a few dozen strokes, without pressure: brush sizes
// come from records, so every level 0 to 4 shows once.
std::vector<std::uint8_t> quick() {
    format::BlockWriter w(160, 120, 0, cubePalette());
    auto line = [](int x0, int y0, int x1, int y1) {
        return std::vector<format::StrokePoint>{{x0, y0, 0}, {x1, y1, 0}};
    };

    // Evening sky, warm at the horizon.
    w.colour(rgb(250, 200, 150));
    w.fill();
    w.penMode(1);
    w.brushSize(4);
    for (int y = 0; y <= 66; y += 5) {
        const double t = y / 66.0;
        w.colour(rgb(mix(70, 250, t), mix(60, 170, t), mix(140, 120, t)));
        w.stroke(line(0, y, 159, y));
    }

    // The sun, half sunk: speckled discs of gold, cream and red.
    w.penMode(4);
    w.colour(rgb(255, 200, 60), 0);
    w.colour(rgb(255, 245, 210), 1);
    w.colour(rgb(235, 90, 40), 2);
    w.brushSize(3);
    for (int r = 2; r <= 14; r += 3) w.stroke(circle(104, 66, r, 0));

    // The sea, darkening what lies under it.
    w.penMode(2);
    w.brushSize(4);
    for (int y = 68; y <= 122; y += 4) {
        const double t = (y - 68) / 54.0;
        w.colour(rgb(mix(120, 30, t), mix(110, 60, t), mix(150, 110, t)));
        w.stroke(line(0, y, 159, y));
    }

    // Glints on the water, then the brush blurs the horizon.
    w.penMode(1);
    w.colour(rgb(255, 220, 140));
    w.brushSize(1);
    for (int i = 0; i < 6; ++i) w.stroke(line(96 - i * 2, 72 + i * 6, 112 + i * 2, 72 + i * 6));
    w.penMode(3);
    w.brushSize(2);
    w.stroke(line(2, 67, 157, 67));

    // A sailing boat: hull, mast and sail.
    w.penMode(1);
    w.colour(rgb(40, 30, 40));
    w.brushSize(2);
    w.stroke({{30, 86, 0}, {58, 86, 0}, {54, 91, 0}, {34, 91, 0}, {30, 86, 0}});
    w.brushSize(0);
    w.stroke(line(44, 86, 44, 52));
    w.colour(rgb(245, 240, 225));
    w.brushSize(1);
    w.density(500);
    for (int x = 46; x <= 58; x += 2) w.stroke(line(x, 54 + (x - 46) * 2, x, 84));
    w.density(1000);
    return w.block();
}

}  // namespace

std::vector<std::string> sampleNames() { return {"meadow", "quick", "dense"}; }

std::vector<std::uint8_t> makeSample(const std::string& name) {
    if (name == "meadow") return meadow();
    if (name == "quick") return quick();
    if (name == "dense") return dense();
    return {};
}

std::string makeSampleScript(const std::string& name) {
    const std::vector<std::uint8_t> block = makeSample(name);
    if (block.empty()) return {};
    return script::writeScript(format::parseBlock(block.data()), "quillcast-sample " + name + " --script");
}

}  // namespace tools
