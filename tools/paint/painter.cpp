#include "tools/paint/painter.h"

#include <algorithm>
#include <cmath>

#include "tools/paint/engine_canvas.h"
#include "tools/paint/importance_map.h"
#include "tools/paint/picture_palette.h"
#include "tools/paint/stroke_plan.h"

namespace paint {

namespace {

// A drawing whose points carry pressure: marker, two extra words, header and palette.
constexpr std::uint32_t kPrologueBytes = format::firstRecordOffset(format::kMarkerPressure);
constexpr std::uint32_t kGroundBytes = 2 * format::kValueRecordSize;  // a colour and a fill

// The price of a byte starts at this many times the mean error of a pixel
// after the ground, falls by kPriceFall each pass, and ends at kLowestPrice.
constexpr double kFirstPrice = 4.0;
constexpr double kPriceFall = 0.7;
constexpr double kLowestPrice = 0.5;
// A cell is not tried when its whole error is below this share of the
// price of the smallest stroke: no stroke started there could pay.
constexpr double kCellPrune = 0.1;

const Rgb kPaper{246, 242, 232};
constexpr float kWashStrength = 0.4f;  // how much of the picture a sketch's wash shows

constexpr std::uint32_t kNoColour = 0xFFFFFFFF;
// Squared distance within which Speckle keeps its second or third colour.
constexpr float kSpeckleNear = 3 * 16 * 16;

// What has been spent, against the limits.
struct Spending {
    std::uint32_t byteLimit = 0;
    double timeLimitMs = 0;  // 0: no limit
    std::uint32_t bytes = 0;
    double timeMs = 0;

    double byteShare() const { return static_cast<double>(bytes) / byteLimit; }
    double timeShare() const { return timeLimitMs > 0 ? timeMs / timeLimitMs : 0; }
};

class Search {
public:
    Search(EngineCanvas& engine, const Plane& picture, std::uint64_t seed,
           const std::function<void(double)>& progress, PaintStats& stats)
        : engine_(engine), picture_(picture), progress_(progress), stats_(stats), random_(seed),
          weights_(importanceOf(picture)) {}

    void ground(Rgb colour, Spending& spending) {
        const std::vector<std::uint8_t> records = format::RecordWriter().colour(pixelOf(colour)).fill().take();
        engine_.play(records);
        spending.bytes += static_cast<std::uint32_t>(records.size());
        penColour_ = kNoColour;  // a fill leaves the pen colour flagged
        engine_.mark();
        copyCanvas(0, 0, picture_.width, picture_.height, true);
    }

    // Phase `index` of `count`: the progress shown moves through its part.
    void runPhase(const Phase& phase, const Plane& target, Spending& spending, const Spending& limits, int index,
                  int count) {
        if (phase.penMode != penMode_) {
            const std::vector<std::uint8_t> records =
                format::RecordWriter().penMode(static_cast<std::uint32_t>(phase.penMode)).take();
            if (!engine_.play(records)) return;
            penMode_ = phase.penMode;
            spending.bytes += static_cast<std::uint32_t>(records.size());
            engine_.mark();
        }
        std::vector<LayerGuide> guides(phase.layers.size());
        for (std::size_t i = 0; i < phase.layers.size(); ++i) {
            guides[i].layer = &phase.layers[i];
            guides[i].reference = blurred(target, phase.layers[i].blurSigma);
            guides[i].gradient = gradientOf(guides[i].reference);
        }
        // What the last stroke tried at each cell of each layer returned per
        // unit of cost; negative where it is not known or the canvas changed.
        cellsAcross_.assign(guides.size(), 0);
        worth_.assign(guides.size(), {});
        for (std::size_t i = 0; i < guides.size(); ++i) {
            const int grid = phase.layers[i].grid;
            cellsAcross_[i] = (picture_.width + grid - 1) / grid;
            worth_[i].assign(static_cast<std::size_t>(cellsAcross_[i]) * ((picture_.height + grid - 1) / grid), -1.0f);
        }
        layers_ = &phase.layers;
        const double firstPrice = kFirstPrice * meanError(target);
        for (double price = firstPrice; price >= kLowestPrice; price *= kPriceFall) {
            for (std::size_t i = 0; i < guides.size(); ++i) {
                if (!paintLayer(i, guides[i], target, price, spending, limits)) return;
            }
            passShare_ = (index + std::log(firstPrice / price) / std::log(firstPrice / kLowestPrice)) / count;
        }
    }

private:
    // One pass of a layer at one price; false once the budget is spent.
    bool paintLayer(std::size_t index, const LayerGuide& guide, const Plane& target, double price,
                    Spending& spending, const Spending& limits) {
        const Layer& layer = *guide.layer;
        const int w = picture_.width, h = picture_.height;
        std::vector<std::pair<int, int>> cells;
        for (int y = 0; y < h; y += layer.grid) {
            for (int x = 0; x < w; x += layer.grid) cells.emplace_back(x, y);
        }
        for (std::size_t i = cells.size(); i > 1; --i) {
            std::swap(cells[i - 1], cells[nextRandom64(random_) % i]);
        }
        const std::uint32_t smallest = static_cast<std::uint32_t>(format::strokeRecordSize(2)) + format::kValueRecordSize;
        for (const auto& [cx, cy] : cells) {
            if (spending.bytes + smallest > limits.byteLimit) return false;
            const double smallestMs = EngineCanvas::strokeTickMs();
            if (limits.timeLimitMs > 0 && spending.timeMs + smallestMs > limits.timeLimitMs) return false;
            const double mu = timePrice(spending, limits);
            const double smallestCost = smallest + mu * smallestMs;
            // The cell's error, and where it is furthest from the layer's reference.
            const int x1 = std::min(w, cx + layer.grid), y1 = std::min(h, cy + layer.grid);
            double cellError = 0;
            float worst = -1;
            int sx = cx, sy = cy;
            for (int y = cy; y < y1; ++y) {
                for (int x = cx; x < x1; ++x) {
                    const std::uint32_t p = mirror_[static_cast<std::size_t>(y) * w + x];
                    cellError += weight(x, y) * pixelError(p, target.at(x, y));
                    const float e = pixelError(p, guide.reference.at(x, y));
                    if (e > worst) {
                        worst = e;
                        sx = x;
                        sy = y;
                    }
                }
            }
            if (cellError < kCellPrune * price * smallestCost) continue;
            // The same stroke on the same canvas would be worth what it was last time.
            float& worth = worth_[index][static_cast<std::size_t>(cy / layer.grid) * cellsAcross_[index] + cx / layer.grid];
            if (worth >= 0 && worth <= price) continue;
            worth = tryStroke(guide, target, sx, sy, price, mu, spending, limits);
            report(spending);
        }
        return true;
    }

    // Plays the stroke that starts at (x, y) and keeps it if it pays. Returns
    // what it was worth a unit of cost when it did not, or -1 (unknown) when
    // it was kept or could not be tried.
    float tryStroke(const LayerGuide& guide, const Plane& target, int x, int y, double price, double mu,
                    Spending& spending, const Spending& limits) {
        const StrokePlan plan = planStroke(guide, target, view(), x, y, random_);
        if (plan.points.size() < 2) return 0;
        // The painter's drawings carry a pressure on every stroke point.
        format::RecordWriter writer(true);
        if (plan.colour != penColour_) writer.colour(plan.colour);
        // Speckle's other two colours stay while they are near enough: a
        // dab then costs one colour record instead of three.
        std::uint32_t second = secondColour_, third = thirdColour_;
        if (guide.layer->colour == StrokeColour::Speckle) {
            if (!near(plan.second, second)) writer.colour(second = plan.second, format::kSecondColour);
            if (!near(plan.third, third)) writer.colour(third = plan.third, format::kThirdColour);
        }
        writer.stroke(plan.points);
        const std::vector<std::uint8_t> records = writer.take();
        const auto bytes = static_cast<std::uint32_t>(records.size());
        if (spending.bytes + bytes > limits.byteLimit) return -1;
        if (limits.timeLimitMs > 0 && spending.timeMs + EngineCanvas::strokeTickMs() > limits.timeLimitMs) return -1;

        if (!engine_.play(records)) return -1;
        ++stats_.candidates;
        // What the stroke costs a viewer, as the show clock counted it.
        const double ms = EngineCanvas::strokeTickMs() + engine_.lastPlayMs();
        if (limits.timeLimitMs > 0 && spending.timeMs + ms > limits.timeLimitMs) {
            engine_.takeBack();
            return -1;
        }
        const CanvasView now = engine_.view();
        double gain = 0;
        for (int py = plan.top; py < plan.bottom; ++py) {
            for (int px = plan.left; px < plan.right; ++px) {
                const std::uint32_t before = mirror_[static_cast<std::size_t>(py) * picture_.width + px];
                const std::uint32_t after = now.at(px, py);
                if (before == after) continue;
                const Rgb& wanted = target.at(px, py);
                gain += weight(px, py) * (pixelError(before, wanted) - pixelError(after, wanted));
            }
        }
        const double cost = bytes + mu * ms;
        if (gain <= price * cost) {
            engine_.takeBack();
            return static_cast<float>(std::max(0.0, gain / cost));
        }
        engine_.mark();
        copyCanvas(plan.left, plan.top, plan.right, plan.bottom, false);
        forgetWorth(plan.left, plan.top, plan.right, plan.bottom);
        spending.bytes += bytes;
        spending.timeMs += ms;
        penColour_ = plan.colour;
        secondColour_ = second;
        thirdColour_ = third;
        ++stats_.strokes;
        stats_.segments += plan.points.size() - 1;
        return -1;
    }

    // The canvas changed here: what strokes from these cells are worth is no longer known.
    void forgetWorth(int left, int top, int right, int bottom) {
        for (std::size_t i = 0; i < worth_.size(); ++i) {
            const int grid = (*layers_)[i].grid;
            for (int cy = top / grid; cy <= (bottom - 1) / grid; ++cy) {
                for (int cx = left / grid; cx <= (right - 1) / grid; ++cx) {
                    worth_[i][static_cast<std::size_t>(cy) * cellsAcross_[i] + cx] = -1;
                }
            }
        }
    }

    static bool near(std::uint32_t wanted, std::uint32_t current) {
        return current != kNoColour && pixelError(current, rgbOf(wanted)) <= kSpeckleNear;
    }

    // What a millisecond of the show costs, in bytes: nothing while the show
    // stays within its share, more and more as it runs ahead of the bytes.
    static double timePrice(const Spending& spending, const Spending& limits) {
        if (limits.timeLimitMs <= 0) return 0;
        const double bytesPerMs = static_cast<double>(limits.byteLimit) / limits.timeLimitMs;
        const double ahead = (spending.timeMs / limits.timeLimitMs) /
                             std::max(0.05, static_cast<double>(spending.bytes) / limits.byteLimit);
        return bytesPerMs * std::min(4.0, ahead * ahead);
    }

    double meanError(const Plane& target) const {
        double sum = 0;
        for (int y = 0; y < picture_.height; ++y) {
            for (int x = 0; x < picture_.width; ++x) {
                sum += weight(x, y) * pixelError(mirror_[static_cast<std::size_t>(y) * picture_.width + x], target.at(x, y));
            }
        }
        return sum / (static_cast<double>(picture_.width) * picture_.height);
    }

    void copyCanvas(int left, int top, int right, int bottom, bool resize) {
        if (resize) mirror_.assign(static_cast<std::size_t>(picture_.width) * picture_.height, 0);
        const CanvasView now = engine_.view();
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) mirror_[static_cast<std::size_t>(y) * picture_.width + x] = now.at(x, y);
        }
    }

    float weight(int x, int y) const { return weights_[static_cast<std::size_t>(y) * picture_.width + x]; }

    CanvasView view() const {
        return CanvasView{mirror_.data(), picture_.width, picture_.height, picture_.width};
    }

    // The share done: of the bytes, of the show, or of the passes, whichever is furthest.
    void report(const Spending& spending) {
        if (!progress_ || ++sinceReport_ < 64) return;
        sinceReport_ = 0;
        progress_(std::min(0.999, std::max({spending.byteShare(), spending.timeShare(), passShare_})));
    }

    EngineCanvas& engine_;
    const Plane& picture_;
    const std::function<void(double)>& progress_;
    PaintStats& stats_;
    std::uint64_t random_;
    std::vector<float> weights_;  // how much each pixel's error counts
    std::vector<std::uint32_t> mirror_;
    std::uint32_t penColour_ = kNoColour, secondColour_ = kNoColour, thirdColour_ = kNoColour;
    int penMode_ = format::kBlend;
    const std::vector<Layer>* layers_ = nullptr;
    std::vector<int> cellsAcross_;
    std::vector<std::vector<float>> worth_;
    double passShare_ = 0;
    int sinceReport_ = 0;
};

Rgb meanColour(const Plane& plane) {
    Rgb sum;
    for (const Rgb& c : plane.pixels) sum = sum + c;
    return sum * (1.0f / static_cast<float>(plane.pixels.size()));
}

// The picture lightened toward the paper, for a sketch's wash.
Plane washOf(const Plane& picture) {
    Plane wash = picture;
    for (Rgb& c : wash.pixels) c = kPaper * (1 - kWashStrength) + c * kWashStrength;
    return wash;
}

}  // namespace

std::uint32_t smallestBudget() { return kPrologueBytes + kGroundBytes; }

bool paintPicture(const tools::Picture& picture, const PaintOptions& options,
                  const std::function<void(double)>& progress, std::vector<std::uint8_t>& block, PaintStats& stats,
                  std::string& error) {
    stats = PaintStats{};
    const std::uint32_t budget = options.budget == 0 ? format::kDrawingBlockSize : options.budget;
    if (budget < smallestBudget() || budget > format::kDrawingBlockSize) {
        error = "the budget must lie between " + std::to_string(smallestBudget()) + " and " +
                std::to_string(format::kDrawingBlockSize) + " bytes";
        return false;
    }
    EngineCanvas engine;
    if (!engine.open(picture.width, picture.height, paletteFromPicture(picture), error)) return false;

    const Plane target = planeOf(picture);
    const Recipe recipe = recipeFor(options.style);
    Spending spending;
    spending.bytes = engine.usedBytes();
    Spending limits;
    limits.byteLimit = budget;
    if (options.showSeconds > 0) limits.timeLimitMs = 1000 * std::max(0.0, options.showSeconds - kShowStartSeconds);

    Search search(engine, target, options.seed, progress, stats);
    search.ground(recipe.paperGround ? kPaper : meanColour(target), spending);
    const Plane wash = washOf(target);
    for (std::size_t i = 0; i < recipe.phases.size(); ++i) {
        const Phase& phase = recipe.phases[i];
        // A phase may spend its share of what is left; the last one all of it.
        Spending phaseLimits = limits;
        if (i + 1 < recipe.phases.size()) {
            phaseLimits.byteLimit = spending.bytes + static_cast<std::uint32_t>(phase.share * (limits.byteLimit - spending.bytes));
            if (limits.timeLimitMs > 0) phaseLimits.timeLimitMs = spending.timeMs + phase.share * (limits.timeLimitMs - spending.timeMs);
        }
        search.runPhase(phase, phase.target == PhaseTarget::Wash ? wash : target, spending, phaseLimits,
                        static_cast<int>(i), static_cast<int>(recipe.phases.size()));
    }

    block = engine.block();
    const CanvasView last = engine.view();
    stats.canvas.width = last.width;
    stats.canvas.height = last.height;
    for (int y = 0; y < last.height; ++y) {
        for (int x = 0; x < last.width; ++x) stats.canvas.pixels.push_back(last.at(x, y));
    }
    stats.bytes = engine.usedBytes();
    stats.showSeconds = kShowStartSeconds + spending.timeMs / 1000;
    if (progress) progress(1.0);
    return true;
}

}  // namespace paint
