// The canvas a picture is painted on, and the picture scaled to it with an
// area-averaging filter: each canvas pixel is the mean of the part of the
// picture it covers, partial pixels weighted by the share they cover.
#pragma once

#include <string>

#include "tools/common/png_writer.h"

namespace paint {

// A stroke point that carries a pressure holds x in 12 bits, and the player
// reads values above 1024 as 0: the canvas is at most 1024 pixels wide. The
// height is held to the same, which keeps the painting's time in bounds.
constexpr int kMaxCanvasSide = 1024;
constexpr int kDefaultFit = 400;

// The canvas for a picture: with fit > 0, its longest side becomes fit and
// the other keeps the picture's proportions (at least 1); otherwise the
// given width and height. False, with error, for sizes out of 1..1024.
bool canvasSizeFor(int pictureWidth, int pictureHeight, int fit, int width, int height, int& canvasWidth,
                   int& canvasHeight, std::string& error);

// The picture scaled to width x height by area averaging (upward too, where
// each canvas pixel covers part of one or two picture pixels).
tools::Picture scaleByArea(const tools::Picture& picture, int width, int height);

}  // namespace paint
