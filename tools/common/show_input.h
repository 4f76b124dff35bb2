// What the tools accept as a drawing: a bare DrawingBlock file (exactly
// 451000 bytes) or a built player, whose block is read out of it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tools {

struct ShowInput {
    std::vector<std::uint8_t> file;   // the whole file as read
    std::vector<std::uint8_t> block;  // its DrawingBlock
    bool isPlayer = false;
};

// Reads path and finds its block. On failure, error is one line naming the
// file and what is wrong with it.
bool loadShowInput(const std::string& path, ShowInput& input, std::string& error);

}  // namespace tools
