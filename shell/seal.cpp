#include "shell/seal.h"

#include <cstring>

#include "drawing/block.h"
#include "drawing/little_endian.h"

namespace {

constexpr std::uint64_t kFnvOffset = 0xcbf29ce484222325ull;
constexpr std::uint64_t kFnvPrime = 0x100000001b3ull;
constexpr std::uint64_t kSealMask = (std::uint64_t{1} << (8 * kSealSize)) - 1;

// A function of this file, not a call of the shared reader at each use: the
// linker orders the player's code by function name, and this keeps the
// sealed program's bytes as they were.
std::uint32_t u32(const std::uint8_t* p) { return format::readU32(p); }

std::uint64_t fnv(std::uint64_t hash, const std::uint8_t* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) hash = (hash ^ p[i]) * kFnvPrime;
    return hash;
}

}  // namespace

bool findDrawingBlockInFile(const std::uint8_t* file, std::size_t size, std::size_t& blockOffset) {
    if (size < 0x40 || file[0] != 'M' || file[1] != 'Z') return false;
    const std::size_t pe = u32(file + 0x3C);
    if (pe > size || size - pe < 24 || std::memcmp(file + pe, "PE\0\0", 4) != 0) return false;
    const std::size_t sectionCount = format::readU16(file + pe + 6);
    const std::size_t optionalSize = format::readU16(file + pe + 20);
    const std::size_t table = pe + 24 + optionalSize;
    if (table > size || (size - table) / 40 < sectionCount) return false;
    for (std::size_t i = 0; i < sectionCount; ++i) {
        const std::uint8_t* section = file + table + 40 * i;
        char name[9] = {};
        std::memcpy(name, section, 8);
        if (std::strcmp(name, kDrawingSectionName) != 0) continue;
        const std::size_t rawSize = u32(section + 16);
        const std::size_t rawOffset = u32(section + 20);
        if (rawSize < kDrawingBlockSize || rawOffset > size || size - rawOffset < kDrawingBlockSize) return false;
        // A block over the headers would rewrite them when a drawing or a
        // seal is written into it, and the file would lose its block.
        if (rawOffset < table + 40 * sectionCount) return false;
        blockOffset = rawOffset;
        return true;
    }
    return false;
}

std::uint64_t computeSeal(const std::uint8_t* file, std::size_t size, std::size_t blockOffset) {
    const std::size_t sealAt = blockOffset + kSealOffset;
    const std::uint8_t zeros[kSealSize] = {};
    std::uint64_t hash = fnv(kFnvOffset, file, sealAt);
    hash = fnv(hash, zeros, kSealSize);
    hash = fnv(hash, file + sealAt + kSealSize, size - sealAt - kSealSize);
    return hash & kSealMask;
}

bool writeSeal(std::uint8_t* file, std::size_t size) {
    std::size_t block = 0;
    if (!findDrawingBlockInFile(file, size, block)) return false;
    std::uint64_t seal = computeSeal(file, size, block);
    for (std::size_t i = 0; i < kSealSize; ++i) {
        file[block + kSealOffset + i] = static_cast<std::uint8_t>(seal & 0xFF);
        seal >>= 8;
    }
    return true;
}

bool isSealIntact(const std::uint8_t* file, std::size_t size) {
    std::size_t block = 0;
    if (!findDrawingBlockInFile(file, size, block)) return false;
    std::uint64_t stored = 0;
    for (std::size_t i = kSealSize; i-- > 0;) stored = (stored << 8) | file[block + kSealOffset + i];
    return stored == computeSeal(file, size, block);
}
