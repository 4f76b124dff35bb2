// The painting search, through the player's own engine: what it scored is
// what a player shows, it keeps to its budget and its show, the same seed
// gives the same bytes, and the styles look different.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "format/format.h"
#include "engine/player/headless_player.h"
#include "engine/embed/embed.h"
#include "tools/paint/painter.h"
#include "tools/paint/picture_input.h"
#include "engine/script/drawing_summary.h"

namespace {

const std::string kData = QC_PAINT_TEST_DATA;

const tools::Picture& wizard() {
    static const tools::Picture picture = [] {
        tools::Picture p;
        std::string error;
        EXPECT_TRUE(paint::readPicture(kData + "/wizard-96.png", p, error)) << error;
        return p;
    }();
    return picture;
}

struct Painted {
    std::vector<std::uint8_t> block;
    paint::PaintStats stats;
};

Painted paintWizard(paint::Style style, std::uint32_t budget, std::uint64_t seed = 1, double showSeconds = 0) {
    paint::PaintOptions options;
    options.style = style;
    options.budget = budget;
    options.seed = seed;
    options.showSeconds = showSeconds;
    Painted painted;
    std::string error;
    EXPECT_TRUE(paint::paintPicture(wizard(), options, nullptr, painted.block, painted.stats, error)) << error;
    return painted;
}

// Painted drawings are cached: several tests look at the same ones.
const Painted& cached(paint::Style style, std::uint32_t budget, std::uint64_t seed = 1) {
    static std::map<std::tuple<int, std::uint32_t, std::uint64_t>, Painted> paintings;
    const auto key = std::make_tuple(static_cast<int>(style), budget, seed);
    auto found = paintings.find(key);
    if (found == paintings.end()) found = paintings.emplace(key, paintWizard(style, budget, seed)).first;
    return found->second;
}

double psnr(const tools::Picture& a, const tools::Picture& b) {
    double squares = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        for (int shift = 0; shift <= 16; shift += 8) {
            const double d = static_cast<double>((a.pixels[i] >> shift) & 0xFF) - static_cast<double>((b.pixels[i] >> shift) & 0xFF);
            squares += d * d;
        }
    }
    const double mse = squares / (3.0 * static_cast<double>(a.pixels.size()));
    return mse > 0 ? 10 * std::log10(255.0 * 255.0 / mse) : 99;
}

// The canvas a full show of the block ends with, on the player's own code.
tools::Picture replayedCanvas(const std::vector<std::uint8_t>& block) {
    tools::ShowSetup setup;
    setup.block = block;
    setup.maxShowMs = 30 * 60 * 1000;  // a fault stops here instead of hanging
    const tools::ShowOutcome outcome = tools::runShow(setup);
    EXPECT_TRUE(outcome.captured);
    EXPECT_EQ(outcome.stop, tools::ShowStop::None);
    return tools::crop(outcome.picture, 7, 7, outcome.canvasWidth, outcome.canvasHeight);
}

TEST(PaintRoundTrip, EveryStyleReplaysExactlyAsScoredWithinItsBudget) {
    for (paint::Style style : {paint::Style::Impressionist, paint::Style::Pointillist, paint::Style::Sketch}) {
        const Painted& painted = cached(style, 20000);
        ASSERT_EQ(painted.block.size(), format::kDrawingBlockSize);
        const tools::Picture replayed = replayedCanvas(painted.block);
        ASSERT_EQ(replayed.width, 96);
        ASSERT_EQ(replayed.height, 96);
        EXPECT_TRUE(replayed.pixels == painted.stats.canvas.pixels)
            << paint::styleName(style) << ": the player shows what the search scored";

        const script::DrawingSummary summary = script::summarize(format::parseBlock(painted.block.data()));
        EXPECT_EQ(summary.usedBytes, painted.stats.bytes) << paint::styleName(style);
        EXPECT_LE(painted.stats.bytes, 20000u) << paint::styleName(style);
        EXPECT_GT(painted.stats.bytes, 15000u) << paint::styleName(style) << ": the budget is used";
        EXPECT_EQ(summary.strokes, painted.stats.strokes) << paint::styleName(style);
        EXPECT_EQ(summary.segments, painted.stats.segments) << paint::styleName(style);
        EXPECT_TRUE(summary.pressure);
    }
}

TEST(PaintRoundTrip, TheSameSeedGivesTheSameBytesAnotherSeedOthers) {
    const Painted& first = cached(paint::Style::Impressionist, 20000);
    const Painted again = paintWizard(paint::Style::Impressionist, 20000);
    EXPECT_TRUE(first.block == again.block);
    const Painted& other = cached(paint::Style::Impressionist, 20000, 2);
    EXPECT_FALSE(first.block == other.block);
}

TEST(PaintRoundTrip, ASmallerBudgetGivesFewerBytesAndNoBetterPicture) {
    const Painted& small = cached(paint::Style::Impressionist, 8000);
    const Painted& large = cached(paint::Style::Impressionist, 20000);
    EXPECT_LE(small.stats.bytes, 8000u);
    EXPECT_LT(small.stats.bytes, large.stats.bytes);
    EXPECT_LE(psnr(wizard(), small.stats.canvas), psnr(wizard(), large.stats.canvas));
}

TEST(PaintRoundTrip, TheShowKeepsToItsAim) {
    // 10 s of show leaves 4 s for strokes: far fewer than the bytes would allow.
    const Painted painted = paintWizard(paint::Style::Impressionist, 30000, 1, 10);
    EXPECT_LE(painted.stats.showSeconds, 10.0);
    EXPECT_GT(painted.stats.showSeconds, 9.0);
    EXPECT_LT(painted.stats.bytes, 30000u);
    // On the emulated desktop's clock, which the player under Wine keeps to.
    const embed::PlayTime time = embed::estimatePlayTime(painted.block);
    EXPECT_LE(time.toSeconds, 10.0);
}

TEST(PaintStyles, EachLooksUnlikeTheOthers) {
    const paint::Style styles[] = {paint::Style::Impressionist, paint::Style::Pointillist, paint::Style::Sketch};
    for (int i = 0; i < 3; ++i) {
        for (int j = i + 1; j < 3; ++j) {
            const tools::Picture& a = cached(styles[i], 20000).stats.canvas;
            const tools::Picture& b = cached(styles[j], 20000).stats.canvas;
            // Not a few pixels apart: most of the canvas differs.
            std::size_t differing = 0;
            for (std::size_t k = 0; k < a.pixels.size(); ++k) differing += a.pixels[k] != b.pixels[k];
            EXPECT_GT(differing, a.pixels.size() / 2) << paint::styleName(styles[i]) << " and " << paint::styleName(styles[j]);
        }
    }
}

// Floors a little below what the method reaches today, to catch a regression.
TEST(PaintQuality, FloorsOnTheTestPicture) {
    EXPECT_GE(psnr(wizard(), paintWizard(paint::Style::Impressionist, 30000).stats.canvas), 25.0);
    EXPECT_GE(psnr(wizard(), cached(paint::Style::Pointillist, 20000).stats.canvas), 19.0);
    EXPECT_GE(psnr(wizard(), cached(paint::Style::Sketch, 20000).stats.canvas), 16.5);
}

TEST(PaintBudget, RefusesABudgetBelowThePrologue) {
    paint::PaintOptions options;
    options.budget = paint::smallestBudget() - 1;
    std::vector<std::uint8_t> block;
    paint::PaintStats stats;
    std::string error;
    EXPECT_FALSE(paint::paintPicture(wizard(), options, nullptr, block, stats, error));
    EXPECT_NE(error.find("budget"), std::string::npos);
}

TEST(Painter, TakesItsSmallestBudgetAndNoLess) {
    paint::PaintOptions options;
    options.budget = paint::smallestBudget();
    std::vector<std::uint8_t> block;
    paint::PaintStats stats;
    std::string error;
    ASSERT_TRUE(paint::paintPicture(wizard(), options, nullptr, block, stats, error)) << error;
    EXPECT_LE(stats.bytes, paint::smallestBudget());
    EXPECT_EQ(block.size(), format::kDrawingBlockSize);
    options.budget = paint::smallestBudget() - 1;
    EXPECT_FALSE(paint::paintPicture(wizard(), options, nullptr, block, stats, error));
    EXPECT_NE(error.find(std::to_string(paint::smallestBudget())), std::string::npos) << error;
}

}  // namespace
