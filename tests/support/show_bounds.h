// Bounds for tests that play a whole show. Far above what any test drawing
// needs, yet a show that never ends (a timer re-armed after the drawing is
// used up, a reader that never reports the end) stops within about a second
// and fails with a message that says so, instead of running into ctest's
// timeout.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/player/headless_player.h"

namespace testing_support {

// An hour of the show's own clock: the longest test show, clicks at a
// minute included, needs a few minutes even if a stroke grows dearer.
constexpr std::uint64_t kTestShowMs = 60 * 60 * 1000;
// Work units (platform/emu/desktop.h); the renderer's default is ten times this.
constexpr std::uint64_t kTestWorkUnits = 20'000'000;

inline std::string describeNeverEnding(tools::ShowStop stop, std::uint64_t showMs = kTestShowMs) {
    if (stop == tools::ShowStop::TimeLimit) {
        return "the show did not end within " + std::to_string(showMs / 1000) +
               " s of its clock: it never ends";
    }
    return "the show did not end within " + std::to_string(kTestWorkUnits) + " units of work: it never ends";
}

// A show of this block under the test bounds.
inline tools::ShowSetup boundedSetup(const std::vector<std::uint8_t>& block) {
    tools::ShowSetup setup;
    setup.block = block;
    setup.maxShowMs = kTestShowMs;
    setup.workLimit = kTestWorkUnits;
    return setup;
}

// Plays a show that must end by itself; a bound reached is a test failure.
inline tools::ShowOutcome playToTheEnd(const tools::ShowSetup& setup) {
    tools::ShowOutcome outcome = tools::runShow(setup);
    EXPECT_TRUE(outcome.stop == tools::ShowStop::None) << describeNeverEnding(outcome.stop);
    return outcome;
}

inline tools::ShowOutcome playToTheEnd(const std::vector<std::uint8_t>& block) {
    return playToTheEnd(boundedSetup(block));
}

}  // namespace testing_support
