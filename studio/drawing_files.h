// The studio's files, with the tools' own code: a drawing opened from a
// drawing file, a script or a player; the script that quillcast-script dump
// writes; a player with the drawing written in and sealed as
// quillcast-embed does it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace studio {

// False, with one line that names the file and what is wrong with it.
bool readDrawingFile(const std::vector<std::uint8_t>& file, const std::string& name, std::vector<std::uint8_t>& block,
                     std::string& error);

// The text form of the block; source goes into its comment, as the input
// path does for quillcast-script dump.
std::string drawingScript(const std::vector<std::uint8_t>& block, const std::string& source);

bool playerWithDrawing(const std::vector<std::uint8_t>& player, const std::vector<std::uint8_t>& block,
                       std::vector<std::uint8_t>& out, std::string& error);

}  // namespace studio
