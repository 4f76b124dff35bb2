#include "platform/emu/resource_file.h"

#include "format/little_endian.h"

namespace emu {

namespace {

// Reads a type or name field: 0xFFFF and an ordinal, or a zero-terminated
// UTF-16 string (reported as ordinal 0). False when it runs past end.
bool readNameOrOrdinal(const std::uint8_t*& p, const std::uint8_t* end, std::uint16_t& ordinal) {
    if (end - p < 2) return false;
    if (format::readU16(p) == 0xFFFF) {
        if (end - p < 4) return false;
        ordinal = format::readU16(p + 2);
        p += 4;
        return true;
    }
    ordinal = 0;
    while (true) {
        if (end - p < 2) return false;
        const std::uint16_t ch = format::readU16(p);
        p += 2;
        if (ch == 0) return true;
    }
}

std::size_t alignUp4(std::size_t n) { return (n + 3) & ~std::size_t{3}; }

}  // namespace

bool parseResourceFile(const std::uint8_t* bytes, std::size_t size, std::vector<ResourceEntry>& out) {
    out.clear();
    std::size_t at = 0;
    while (at < size) {
        if (size - at < 8) return false;
        const std::uint32_t dataSize = format::readU32(bytes + at);
        const std::uint32_t headerSize = format::readU32(bytes + at + 4);
        if (headerSize < 16 + 8 || headerSize > size - at) return false;
        if (dataSize > size - at - headerSize) return false;

        const std::uint8_t* headerEnd = bytes + at + headerSize;
        const std::uint8_t* p = bytes + at + 8;
        ResourceEntry entry{};
        if (!readNameOrOrdinal(p, headerEnd, entry.type)) return false;
        if (!readNameOrOrdinal(p, headerEnd, entry.id)) return false;
        p = bytes + alignUp4(static_cast<std::size_t>(p - bytes));
        // DataVersion (4), MemoryFlags (2), LanguageId (2), Version (4), Characteristics (4).
        if (headerEnd - p < 16) return false;
        entry.language = format::readU16(p + 6);
        entry.data = bytes + at + headerSize;
        entry.size = dataSize;

        const bool opening = dataSize == 0 && entry.type == 0 && entry.id == 0;
        if (!opening) out.push_back(entry);
        at = alignUp4(at + headerSize + dataSize);
    }
    return true;
}

const ResourceEntry* findResource(const std::vector<ResourceEntry>& entries, std::uint16_t type, std::uint16_t id) {
    for (const ResourceEntry& e : entries) {
        if (e.type == type && e.id == id) return &e;
    }
    return nullptr;
}

}  // namespace emu
