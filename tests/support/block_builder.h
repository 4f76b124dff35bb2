// Builds DrawingBlocks for tests: a prologue, then records appended one by
// one, then a zero tail up to the block's end.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

#include "drawing/block.h"

namespace testing_support {

class BlockBuilder {
public:
    // marker 48 turns pressure on; the palette is a grey ramp with 256 entries.
    explicit BlockBuilder(int width = 300, int height = 400, std::uint16_t marker = 0) : bytes_(kDrawingBlockSize, 0) {
        bytes_[0] = 0x51;
        at_ = 8;
        word(marker);
        const int extra = marker == 48 ? 2 : marker == 49 ? 1 : marker == 999 ? 4 : 0;
        for (int i = 0; i < extra; ++i) word(0);
        word(0);
        word(static_cast<std::uint16_t>(width));
        word(static_cast<std::uint16_t>(height));
        for (int i = 0; i < 4; ++i) word(0);
        word(0x300);
        word(256);
        for (int i = 0; i < 257; ++i) {
            const auto level = static_cast<std::uint8_t>(i < 256 ? i : 0);
            const std::uint8_t entry[4] = {level, level, level, static_cast<std::uint8_t>(i < 256 ? 4 : 0)};
            for (std::uint8_t b : entry) bytes_[at_++] = b;
        }
    }

    BlockBuilder& word(std::uint16_t v) {
        bytes_[at_++] = static_cast<std::uint8_t>(v);
        bytes_[at_++] = static_cast<std::uint8_t>(v >> 8);
        return *this;
    }
    BlockBuilder& dword(std::uint32_t v) { return word(static_cast<std::uint16_t>(v)).word(static_cast<std::uint16_t>(v >> 16)); }
    BlockBuilder& record(std::uint16_t opcode, std::uint32_t value) { return word(opcode).dword(value); }

    BlockBuilder& colour(std::uint32_t rgb, int selector = 0) {
        return record(0, (rgb & 0xFFFFFF) | (static_cast<std::uint32_t>(selector) << 28));
    }
    BlockBuilder& penMode(std::uint32_t mode) { return record(1, mode); }
    BlockBuilder& brushSize(std::uint32_t level) { return record(3, level); }
    BlockBuilder& fill() { return record(4, 0); }
    BlockBuilder& density(std::uint32_t value) { return record(5, value); }

    // A stroke through the given points (x words as given: with pressure on,
    // pass them already encoded).
    BlockBuilder& stroke(std::initializer_list<std::pair<int, int>> points) {
        word(2).dword(static_cast<std::uint32_t>(points.size()));
        for (const auto& p : points) word(static_cast<std::uint16_t>(p.first)).word(static_cast<std::uint16_t>(p.second));
        return *this;
    }
    BlockBuilder& strokeWithCount(std::int32_t count, std::initializer_list<std::pair<int, int>> points) {
        word(2).dword(static_cast<std::uint32_t>(count));
        for (const auto& p : points) word(static_cast<std::uint16_t>(p.first)).word(static_cast<std::uint16_t>(p.second));
        return *this;
    }

    // Moves the write position (e.g. to the block's last bytes).
    BlockBuilder& seek(std::uint32_t offset) {
        at_ = offset;
        return *this;
    }
    std::uint32_t position() const { return at_; }
    std::vector<std::uint8_t>& bytes() { return bytes_; }
    const std::vector<std::uint8_t>& block() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
    std::uint32_t at_ = 0;
};

// The block of a player that carries no drawing.
inline std::vector<std::uint8_t> placeholderBlock() {
    std::vector<std::uint8_t> b(kDrawingBlockSize, 0);
    b[0] = kPlaceholderByte;
    return b;
}

}  // namespace testing_support
