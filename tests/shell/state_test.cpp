#include "shell/state.h"

#include <gtest/gtest.h>

namespace {

void expectStartValues() {
    EXPECT_EQ(appInstance, nullptr);
    EXPECT_EQ(stopFlag, 0);
    EXPECT_EQ(firstTick, 1);
    EXPECT_EQ(playbackInterval, 10);
    EXPECT_EQ(windowCreated, 0);
    EXPECT_EQ(frameCx, 0);
    EXPECT_EQ(frameCy, 0);
    EXPECT_EQ(canvas, nullptr);
    EXPECT_EQ(paletteBuffer, nullptr);
    EXPECT_EQ(initialPaletteBuffer, nullptr);
    EXPECT_EQ(initialPalette, nullptr);
    EXPECT_EQ(playbackPalette, nullptr);
    EXPECT_EQ(splashDialog, nullptr);
}

TEST(ShellState, HoldsItsStartValuesAtProgramStartAndAfterAReset) {
    expectStartValues();
    stopFlag = 1;
    firstTick = 0;
    playbackInterval = 99;
    windowCreated = 1;
    frameCx = frameCy = 4;
    resetShellState();
    expectStartValues();
}

}  // namespace
