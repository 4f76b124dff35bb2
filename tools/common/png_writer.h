// PNG output for the tools (libpng): 8-bit RGB, from 0x00BBGGRR pixels.
#pragma once

#include <cstdio>

#include "engine/picture/picture.h"

namespace tools {

// Writes the picture as a PNG to an open stream. False on a libpng error.
bool writePng(std::FILE* file, const Picture& picture);

}  // namespace tools
