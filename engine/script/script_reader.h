// Reads the text form of a drawing (docs/script-format.md). The first fault
// stops the reading; its message names the line and column and what was
// expected there.
#pragma once

#include <cstdint>
#include <string>
#include <vector>


namespace script {

struct ScriptError {
    int line = 0;    // 1-based; 0 when the fault belongs to the whole script
    int column = 0;  // 1-based
    std::string message;

    // "line 12, column 8: expected ..." or the bare message.
    std::string describe() const;
};

// Reads a script and lays it out as a whole block. A drawing that does not
// fit is an error that says by how many bytes it is over.
bool buildBlock(const std::string& text, std::vector<std::uint8_t>& block, ScriptError& error);

// The first line of every script.
constexpr char kScriptFirstLine[] = "quillcast script 1";

}  // namespace script
