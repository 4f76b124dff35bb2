// The five BrushMasks, one per brush level: 7x7, row by row, centre at
// row 3, column 3. 0 is outside the brush, 1 an edge pixel, 2 a core pixel.
#pragma once

#include <cstdint>

constexpr int kBrushLevels = 5;
constexpr int kMaskSize = 7;
constexpr int kMaskCentre = 3;

enum MaskCell : std::int8_t { kOutside = 0, kEdge = 1, kCore = 2 };

extern const std::int8_t brushMasks[kBrushLevels][kMaskSize][kMaskSize];

constexpr bool isBrushLevel(int level) { return level >= 0 && level < kBrushLevels; }
