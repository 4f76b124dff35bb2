// Writing the painted drawing: as a drawing file, as its script, or inside a
// copy of a built player, sealed. Each appears whole or not at all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/paint/paint_options.h"

namespace paint {

// Reads the player for an .exe output and checks that it is one, before any
// painting is done. error names the file.
bool loadPlayer(const std::string& path, std::vector<std::uint8_t>& player, std::string& error);

// Writes block to path in the given form. player is used for Player only;
// source names the picture in a script's opening comment.
bool writePainting(const std::string& path, OutputKind kind, const std::vector<std::uint8_t>& block,
                   const std::vector<std::uint8_t>& player, const std::string& source, std::string& error);

}  // namespace paint
