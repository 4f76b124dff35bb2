// How much each pixel's error counts in the painting search: 1 on flat
// areas, up to half again near edges, and up to three times on skin and
// the eyes and mouth it surrounds (a face), so that the detail a viewer
// looks at gets the bytes first. Skin is told by its chroma (YCbCr).
#pragma once

#include <vector>

#include "tools/paint/image_planes.h"

namespace paint {

// One weight a pixel, row by row.
std::vector<float> importanceOf(const Plane& picture);

}  // namespace paint
