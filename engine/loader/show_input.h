// What the tools accept as a drawing: a bare DrawingBlock file (exactly
// 451000 bytes) or a built player, whose block is read out of it. The
// authoring tools take a script as well (engine/loader/load_drawing.h), on
// top of this one loader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tools {

enum class InputKind { DrawingFile, Player, Other };

struct ShowInput {
    std::vector<std::uint8_t> file;   // the whole file as read
    std::vector<std::uint8_t> block;  // its DrawingBlock; empty for Other
    InputKind kind = InputKind::Other;
    bool isPlayer() const { return kind == InputKind::Player; }
};

// Reads path and finds its block. Fails, with error one line naming the
// file and what is wrong, when the file cannot be read or is a Windows
// program without a drawing block; any other file comes back as Other.
bool readDrawingInput(const std::string& path, ShowInput& input, std::string& error);

// The same for a file's bytes already read (the browser's files); name is
// what a message calls the file.
bool takeDrawingInput(std::vector<std::uint8_t> file, const std::string& name, ShowInput& input, std::string& error);

// The same, and a file of kind Other fails too: the tools that play drawings.
bool loadShowInput(const std::string& path, ShowInput& input, std::string& error);

}  // namespace tools
