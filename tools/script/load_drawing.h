// The drawing argument of the authoring tools: a drawing file (exactly
// 451000 bytes), a built player (its block is read out), or a script.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace script {

enum class DrawingSource { DrawingFile, Player, Script };

// On failure, error is one line that names the file and what is wrong.
bool loadDrawing(const std::string& path, std::vector<std::uint8_t>& block, DrawingSource& source, std::string& error);

}  // namespace script
