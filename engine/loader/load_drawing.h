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

// The same for a file's bytes already read (the browser's files); name is
// what the message calls the file.
bool loadDrawingBytes(std::vector<std::uint8_t> file, const std::string& name, std::vector<std::uint8_t>& block,
                      DrawingSource& source, std::string& error);

}  // namespace script
