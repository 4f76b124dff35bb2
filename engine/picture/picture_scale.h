// Nearest-neighbour scaling, so the brush's pixels stay crisp.
#pragma once

#include "engine/picture/picture.h"

namespace tools {

Picture scaleNearest(const Picture& picture, int width, int height);

}  // namespace tools
