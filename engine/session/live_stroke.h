// A stroke being fed point by point: the part of a session's state that a
// checkpoint carries too.
#pragma once

#include <vector>

#include "drawing/records.h"
#include "format/format.h"

namespace session {

struct LiveStroke {
    bool active = false;
    StrokePosition previous{0, 0};
    std::vector<format::PointWords> points;  // the record's points, the first one first
};

}  // namespace session
