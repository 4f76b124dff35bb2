#include "canvas/pen_modes.h"

#include "canvas/random_table.h"
#include "tests/canvas/canvas_fixture.h"

namespace {

constexpr std::uint32_t kInk = 0x02112233;

class PenModeTest : public CanvasFixture {
protected:
    void SetUp() override {
        CanvasFixture::SetUp();
        startCanvas();
        SetPixel(windowDc, kX, kY, 0xFFFFFF);
    }

    // One decision at (kX, kY); colour comes back through the reference.
    bool decide(std::uint32_t& colour, bool isEdge, int column = 3, int row = 3) {
        return canvas->decidePixel(windowDc, kX, kY, column, row, colour, isEdge);
    }

    static constexpr int kX = 40;
    static constexpr int kY = 50;
};

TEST_F(PenModeTest, DensityGateMatchesThresholdOverTheWholeTable) {
    canvas->setPenMode(Blend);
    for (std::int16_t density : {std::int16_t{1}, std::int16_t{2}, std::int16_t{3}, std::int16_t{1000},
                                 std::int16_t{-1000}, std::int16_t{-32768}}) {
        canvas->setDensity(density);
        const std::int32_t threshold = 32767 / density;
        for (int i = 0; i < kRandomTableSize; ++i) {
            penState.randomIndex = i;
            std::uint32_t colour = kInk;
            EXPECT_EQ(decide(colour, false), randomTable[i] > threshold) << "density " << density << " entry " << i;
            EXPECT_EQ(penState.randomIndex, (i + 1) % kRandomTableSize) << "every gated pixel draws once";
        }
    }
}

// Densities whose threshold is itself a table value (799 gives 41, entry 0):
// there a draw equal to the threshold refuses, in every gated mode. One step
// denser the threshold falls below that value and the same draw passes.
TEST_F(PenModeTest, DensityGateRefusesADrawEqualToTheThreshold) {
    int boundaries = 0;
    for (int i = 0; i < kRandomTableSize; ++i) {
        for (int d = 1; d <= 32767; ++d) {
            const auto density = static_cast<std::int16_t>(d);
            if (densityThreshold(density) != randomTable[i]) continue;
            ++boundaries;
            for (std::int16_t mode : {std::int16_t{Blend}, std::int16_t{Darken}, std::int16_t{Speckle}}) {
                canvas->setPenMode(mode);
                canvas->setDensity(density);
                penState.randomIndex = i;
                std::uint32_t colour = kInk;
                EXPECT_FALSE(decide(colour, true)) << "mode " << mode << " density " << d << " draw " << randomTable[i];
                EXPECT_EQ(penState.randomIndex, (i + 1) % kRandomTableSize);
                if (d == 32767) continue;
                canvas->setDensity(static_cast<std::int16_t>(d + 1));
                if (densityThreshold(penState.density) == randomTable[i]) continue;
                penState.randomIndex = i;
                colour = kInk;
                EXPECT_TRUE(decide(colour, true)) << "mode " << mode << " density " << d + 1;
            }
        }
    }
    EXPECT_GE(boundaries, 4) << "thresholds 41, 53, 153 and 292 are table values";
}

TEST_F(PenModeTest, DensityThresholdsAtTheWorkedValues) {
    EXPECT_EQ(densityThreshold(1000), 32);
    EXPECT_EQ(densityThreshold(1), 32767);
    EXPECT_EQ(densityThreshold(2), 16383);
    EXPECT_EQ(densityThreshold(-1000), -32);
}

TEST_F(PenModeTest, DensityZeroRefusesEveryGatedPixelButStillDraws) {
    canvas->setDensity(0);
    for (std::int16_t mode : {std::int16_t{Blend}, std::int16_t{Darken}, std::int16_t{Speckle}}) {
        canvas->setPenMode(mode);
        for (int i = 0; i < kRandomTableSize; ++i) {
            std::uint32_t colour = kInk;
            ASSERT_FALSE(decide(colour, true)) << "mode " << mode;
        }
        EXPECT_EQ(penState.randomIndex, 0) << "200 decisions, 200 draws";
    }
}

TEST_F(PenModeTest, BlendAveragesEdgePixelsOnly) {
    canvas->setPenMode(Blend);
    std::uint32_t edge = kInk;
    ASSERT_TRUE(decide(edge, true));
    EXPECT_EQ(edge, 0x02889099u);
    std::uint32_t core = kInk;
    ASSERT_TRUE(decide(core, false));
    EXPECT_EQ(core, kInk);
}

TEST_F(PenModeTest, FailedReadCountsAs255InEachChannel) {
    canvas->setPenMode(Blend);
    std::uint32_t colour = kInk;
    // Outside the window's bitmap: the read fails.
    ASSERT_TRUE(canvas->decidePixel(windowDc, 5000, 5000, 3, 2, colour, true));
    EXPECT_EQ(colour, 0x02889099u);
}

TEST_F(PenModeTest, DarkenTakesTheSmallerChannelForCoreAndEdge) {
    canvas->setPenMode(Darken);
    SetPixel(windowDc, kX, kY, 0x00205010);
    for (bool isEdge : {true, false}) {
        std::uint32_t colour = kInk;
        ASSERT_TRUE(decide(colour, isEdge));
        EXPECT_EQ(colour, 0x02112210u);
    }
}

TEST_F(PenModeTest, SmudgeDrawsOnceOnRefusalAndTwiceOtherwise) {
    canvas->setPenMode(Smudge);
    canvas->setDensity(1);  // not used by Smudge
    SetPixel(windowDc, kX, kY, 0x00FFFFFF);

    std::uint32_t colour = kInk;
    penState.randomIndex = 0;  // 41: below a third
    EXPECT_FALSE(decide(colour, false));
    EXPECT_EQ(penState.randomIndex, 1);

    colour = kInk;
    penState.randomIndex = 1;  // 18467, then 6334: plotted unchanged
    EXPECT_TRUE(decide(colour, false));
    EXPECT_EQ(colour, kInk);
    EXPECT_EQ(penState.randomIndex, 3);

    colour = kInk;
    penState.randomIndex = 3;  // 26500, then 19169: averaged, also for a core pixel
    EXPECT_TRUE(decide(colour, false));
    EXPECT_EQ(colour, 0x02889099u);
    EXPECT_EQ(penState.randomIndex, 5);
}

TEST_F(PenModeTest, SpeckleBandsPickTheThreeColours) {
    canvas->setPenMode(Speckle);
    canvas->setPenColour(0x02000001);
    canvas->setSecondColour(0x02000002);
    canvas->setThirdColour(0x00000003);
    penState.speckleMatrix[0 * 8 + 1] = 10921;
    penState.speckleMatrix[2 * 8 + 3] = 10922;
    penState.speckleMatrix[4 * 8 + 5] = 21844;
    penState.speckleMatrix[6 * 8 + 6] = 21845;
    struct Case {
        int column, row;
        std::uint32_t expected;
    } cases[] = {{0, 1, 0x02000001}, {2, 3, 0x00000003}, {4, 5, 0x00000003}, {6, 6, 0x02000002}};
    for (const Case& c : cases) {
        std::uint32_t colour = 0x0BADC0DE;
        ASSERT_TRUE(decide(colour, false, c.column, c.row));
        EXPECT_EQ(colour, c.expected) << "column " << c.column << " row " << c.row;
    }
    EXPECT_EQ(penState.randomIndex, 4);
}

TEST_F(PenModeTest, UnknownModeDrawsNothingAndCostsNothing) {
    for (std::int32_t mode : {0, 5, -1, 0x10000}) {
        canvas->setPenMode(mode);
        std::uint32_t colour = kInk;
        EXPECT_FALSE(decide(colour, true)) << mode;
        EXPECT_EQ(penState.randomIndex, 0);
    }
}

}  // namespace
