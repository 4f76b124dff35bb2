// The text form of a drawing (docs/script-format.md): one line per prologue
// piece, one per palette slot and one per record, then the cut tail in hex.
#pragma once

#include <string>

#include "format/format.h"

namespace script {

// The script of a drawing. source, when not empty, goes into a comment at
// the top. Reading the script back gives the same drawing.
std::string writeScript(const format::Drawing& drawing, const std::string& source = "");

// Names used by both directions.
const char* penModeName(std::uint32_t value);  // "blend" .. "speckle", or null
const char* selectorName(unsigned selector);   // "pen", "second", "third", or null

}  // namespace script
