// The RandomTable and its one process-wide cursor (randomIndex in the
// PenState). Every gated pixel decision draws from here; the cursor goes back
// to 0 only when the Canvas is set up, so a replay repeats exactly.
#pragma once

#include <cstdint>

constexpr std::int32_t kRandomTableSize = 200;

// 200 values in 0..32767, stored as data.
extern const std::int32_t randomTable[kRandomTableSize];

// The value at the cursor; the cursor moves on and wraps from 199 to 0.
std::int32_t nextRandom();

// Puts the cursor back to entry 0.
void resetRandom();

// Fills the 64 SpeckleMatrix elements in order with 64 consecutive draws.
void refreshSpeckleMatrix();
