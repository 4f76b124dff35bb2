// The fitted clock against what the real player did: the screenshots that
// bench/show_clock/measure.sh took of each sample under Wine, matched to the
// show's strokes, give the moment each quarter of the strokes was on the
// screen; the emulated show must put each of them within 15% of it. The
// fastest recorded run counts, as other work on the machine only slows the
// player down. A change of the prices, the timer or the player's pacing that
// moves the show away from the real one fails here.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/show_bounds.h"
#include "engine/player/tick_timeline.h"
#include "engine/samples/samples.h"

namespace {

constexpr double kTolerance = 0.15;

std::vector<std::vector<std::string>> readCsv(const std::string& path) {
    std::vector<std::vector<std::string>> rows;
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);  // the heading
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::istringstream split(line);
        std::string field;
        while (std::getline(split, field, ',')) fields.push_back(field);
        if (!line.empty() && line.back() == ',') fields.emplace_back();
        rows.push_back(fields);
    }
    return rows;
}

// One recorded run: screenshot times from the window's placement, and the
// strokes on the screen at each (columns of show_timeline match).
struct Run {
    std::vector<double> times;
    std::vector<double> progress;
    int strokes = 0;

    // When `stroke` strokes were on the screen, between two screenshots.
    double timeAt(double stroke) const {
        double beforeT = 0, beforeP = 0;
        for (std::size_t i = 0; i < times.size(); ++i) {
            if (progress[i] >= stroke) {
                if (progress[i] == beforeP) return times[i];
                return beforeT + (times[i] - beforeT) * (stroke - beforeP) / (progress[i] - beforeP);
            }
            beforeT = times[i];
            beforeP = progress[i];
        }
        return -1;
    }
};

Run readRun(const std::string& path) {
    Run run;
    double unplaced = -1, place = -1;
    for (const auto& row : readCsv(path)) {
        if (row.size() < 7) continue;
        const double t = (std::stod(row[1]) + std::stod(row[2])) / 2;
        if (row[3] != "1") {
            unplaced = t;
            continue;
        }
        if (place < 0) place = (unplaced + t) / 2;
        run.times.push_back(t - place);
        run.progress.push_back(std::stod(row[4]) + std::stod(row[6]));
    }
    if (!run.progress.empty()) run.strokes = static_cast<int>(run.progress.back());
    return run;
}

// The fastest of the sample's recorded runs.
Run fastestRun(const std::string& sample) {
    Run best;
    for (const auto& row : readCsv(std::string(QC_CLOCK_DATA_DIR) + "/runs.csv")) {
        if (row.size() < 2 || row[0] != sample) continue;
        const Run run = readRun(std::string(QC_CLOCK_DATA_DIR) + "/" + sample + "-" + row[1] + ".csv");
        if (run.strokes == 0) continue;
        if (best.strokes == 0 || run.timeAt(run.strokes) < best.timeAt(best.strokes)) best = run;
    }
    return best;
}

void expectModelFollowsWine(const std::string& sample) {
    const Run wine = fastestRun(sample);
    ASSERT_GT(wine.strokes, 0) << "no recorded run of " << sample << " in " << QC_CLOCK_DATA_DIR;
    const tools::TickTimeline model = tools::recordTickTimeline(testing_support::boundedSetup(tools::makeSample(sample)));
    ASSERT_TRUE(model.message.empty()) << model.message << ": it never ends";
    ASSERT_GT(model.ticks.size(), static_cast<std::size_t>(wine.strokes));
    for (int quarter = 1; quarter <= 4; ++quarter) {
        const int stroke = (wine.strokes * quarter + 3) / 4;
        const double measured = wine.timeAt(stroke);
        const double modelled = static_cast<double>(model.ticks[stroke].endNs - model.ticks[0].endNs) / 1e9;
        EXPECT_NEAR(modelled / measured, 1.0, kTolerance)
            << sample << ": stroke " << stroke << " of " << wine.strokes << " at " << modelled << " s on the clock, "
            << measured << " s under Wine";
    }
}

TEST(WineTimeline, QuickSample) { expectModelFollowsWine("quick"); }
TEST(WineTimeline, MeadowSample) { expectModelFollowsWine("meadow"); }
TEST(WineTimeline, DenseSample) { expectModelFollowsWine("dense"); }

}  // namespace
