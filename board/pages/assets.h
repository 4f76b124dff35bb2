// The board's templates, stylesheet and script, built into the program.
#pragma once

#include <string>
#include <vector>

namespace board::pages {

struct Asset {
    const char* name;
    const char* text;
};
const std::vector<Asset>& assets();
// The text of an asset by file name; empty when there is none.
std::string asset(const std::string& name);

}  // namespace board::pages
