// Reader of compiled resource files (.res, as windres and rc write them):
// a run of entries, each a header (sizes, type, name, language) and its data,
// every piece aligned to four bytes. The native build reads the player's
// resources from such a file, so both builds use the same compiled bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace emu {

struct ResourceEntry {
    std::uint16_t type;      // ordinal type (2 bitmap, 3 icon, 5 dialog, 6 string, 14 icon group); 0 if named
    std::uint16_t id;        // ordinal name; 0 if named
    std::uint16_t language;  // e.g. 1033
    const std::uint8_t* data;
    std::uint32_t size;
};

// Lists the entries of a .res image; they point into bytes. The empty entry
// that opens every file is left out. False for a malformed file.
bool parseResourceFile(const std::uint8_t* bytes, std::size_t size, std::vector<ResourceEntry>& out);

// The first entry of the given ordinal type and id, or null.
const ResourceEntry* findResource(const std::vector<ResourceEntry>& entries, std::uint16_t type, std::uint16_t id);

}  // namespace emu
