// Where two pictures differ, and copies of a part of one into another: the
// frame sinks follow a show by the small part of the picture each stroke
// changed, not by whole pictures.
#pragma once

#include "engine/picture/picture.h"

namespace tools {

struct PictureRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool empty() const { return width <= 0 || height <= 0; }
};

inline PictureRect wholeOf(const Picture& picture) { return PictureRect{0, 0, picture.width, picture.height}; }

// The smallest rectangle inside `within` holding every pixel where the
// pictures differ; empty when none does. Pictures of different sizes differ
// everywhere (the whole of `after`).
PictureRect changedRect(const Picture& before, const Picture& after, const PictureRect& within);
inline PictureRect changedRect(const Picture& before, const Picture& after) {
    return changedRect(before, after, wholeOf(after));
}

// The smallest rectangle holding both.
PictureRect unite(const PictureRect& a, const PictureRect& b);

// Copies the rectangle of `from` into `to`, which must have its size.
void copyRect(const Picture& from, Picture& to, const PictureRect& rect);

}  // namespace tools
