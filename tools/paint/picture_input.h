// Reading the picture to paint: PNG through libpng, JPEG through
// libjpeg-turbo, told apart by their first bytes, not by the file's name.
// Anything else, a damaged or cut file, or a picture too large to hold, is
// refused with one line that says what is wrong.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/common/png_writer.h"

namespace paint {

// Pictures larger than this are refused before any pixel is read: a
// 100000 x 100000 header would otherwise ask for 40 GB.
constexpr std::uint64_t kMaxPicturePixels = 64ull << 20;
constexpr int kMaxPictureSide = 32768;

// Decodes PNG or JPEG bytes into 0x00BBGGRR pixels. Transparency is laid
// over white. On failure, error says why (without the file's name).
bool decodePicture(const std::vector<std::uint8_t>& bytes, tools::Picture& picture, std::string& error);

// Reads and decodes a file; error names the file.
bool readPicture(const std::string& path, tools::Picture& picture, std::string& error);

}  // namespace paint
