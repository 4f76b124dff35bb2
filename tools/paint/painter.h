// The painting search: turns a picture (already scaled to the canvas) into
// the records of a drawing. A ground fill first, then the style's phases;
// in each, passes over its brush layers from broad to fine, with a price per
// byte that falls from pass to pass. Every candidate stroke is played by the
// player's own engine and kept only where it lowers the error against the
// picture by more than the price of its bytes (and of its share of the
// show's time); otherwise it is taken back. So the first bytes go to what
// matters most, and whatever budget there is fills with the next best.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "shell/timing.h"
#include "tools/common/png_writer.h"
#include "tools/paint/painting_style.h"

namespace paint {

// The player's pace: the first tick, the opening splash and the start-up
// (about 6 s) come before the first stroke. What each stroke takes is read
// off the show clock as the engine plays it.
constexpr double kShowStartSeconds = (kFirstTickDelay + kStartUpInterval) / 1000.0 + kOpeningSeconds;
constexpr double kDefaultShowSeconds = 120.0;

struct PaintOptions {
    Style style = Style::Impressionist;
    std::uint32_t budget = 0;  // bytes of the block in use, prologue included; 0: the whole block
    double showSeconds = kDefaultShowSeconds;  // the show's aim; 0: no aim
    std::uint64_t seed = 1;
};

struct PaintStats {
    std::uint32_t bytes = 0;      // of the block in use
    std::uint64_t strokes = 0;
    std::uint64_t segments = 0;
    std::uint64_t candidates = 0; // strokes played and scored
    double showSeconds = 0;       // by the player's pace
    tools::Picture canvas;        // the canvas as the engine left it
};

// The least budget that holds a prologue and the ground.
std::uint32_t smallestBudget();

// The block (451000 bytes) painted from `picture`. progress, when given,
// is called now and then with the share done (0..1). False, with error,
// when the engine cannot be opened or the budget is below smallestBudget().
bool paintPicture(const tools::Picture& picture, const PaintOptions& options,
                  const std::function<void(double)>& progress, std::vector<std::uint8_t>& block, PaintStats& stats,
                  std::string& error);

}  // namespace paint
