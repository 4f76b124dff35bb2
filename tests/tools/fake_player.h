// A minimal sealed program file with a ".qcdraw" section holding a
// placeholder block: enough of a player for the authoring tools.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "drawing/block.h"
#include "shell/seal.h"

namespace testing_support {

inline std::vector<std::uint8_t> fakePlayer() {
    constexpr std::size_t pe = 0x80, table = pe + 24, blockAt = 0x400;
    std::vector<std::uint8_t> f(blockAt + format::kDrawingBlockSize + 0x100, 0);
    auto put = [&](std::size_t at, std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) f[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    f[0] = 'M';
    f[1] = 'Z';
    put(0x3C, pe, 4);
    std::memcpy(&f[pe], "PE\0\0", 4);
    put(pe + 6, 1, 2);  // one section, no optional header
    std::memcpy(&f[table], ".qcdraw", 7);
    put(table + 16, format::kDrawingBlockSize, 4);
    put(table + 20, blockAt, 4);
    for (std::size_t i = 0x200; i < blockAt; ++i) f[i] = static_cast<std::uint8_t>(i * 7);
    f[blockAt] = format::kPlaceholderByte;
    writeSeal(f.data(), f.size());
    return f;
}

}  // namespace testing_support
