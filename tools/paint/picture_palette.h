// The drawing's 256 palette slots, made from the picture by median cut, so
// that a display of 256 colours matches every stroke to a colour the
// picture really has. On a true-colour display the palette changes nothing.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/common/png_writer.h"

namespace paint {

constexpr int kPaletteSlots = 256;

// 256 colours (0x00BBGGRR): the picture's own, split by median cut into as
// many boxes as it has distinct colours (at most 256), each box's mean;
// unused slots repeat the last. The same picture always gives the same list.
std::vector<std::uint32_t> paletteFromPicture(const tools::Picture& picture);

}  // namespace paint
