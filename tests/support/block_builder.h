// Builds DrawingBlocks for tests: a prologue, then records appended one by
// one, then a zero tail up to the block's end. The writing is the format
// module's (format::BlockWriter); this adds a grey palette and takes stroke
// points as raw words, so that tests can write any x word they like.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

#include "drawing/block.h"
#include "format/format.h"

namespace testing_support {

// A grey ramp of 256 entries.
inline std::vector<std::uint32_t> greyRamp() {
    std::vector<std::uint32_t> colours;
    for (std::uint32_t i = 0; i < format::kPaletteEntries; ++i) colours.push_back(i * 0x010101u);
    return colours;
}

class BlockBuilder {
public:
    // marker 48 turns pressure on; the palette is a grey ramp with 256 entries.
    explicit BlockBuilder(int width = 300, int height = 400, std::uint16_t marker = 0)
        : w_(static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height), marker, greyRamp()) {}

    BlockBuilder& word(std::uint16_t v) { return then(w_.word(v)); }
    BlockBuilder& dword(std::uint32_t v) { return then(w_.dword(v)); }
    BlockBuilder& record(std::uint16_t opcode, std::uint32_t value) { return then(w_.record(opcode, value)); }

    BlockBuilder& colour(std::uint32_t rgb, int selector = 0) { return then(w_.colour(rgb, selector)); }
    BlockBuilder& penMode(std::uint32_t mode) { return then(w_.penMode(mode)); }
    BlockBuilder& brushSize(std::uint32_t level) { return then(w_.brushSize(level)); }
    BlockBuilder& fill() { return then(w_.fill()); }
    BlockBuilder& density(std::uint32_t value) { return then(w_.density(value)); }

    // A stroke through the given points (x words as given: with pressure on,
    // pass them already encoded).
    BlockBuilder& stroke(std::initializer_list<std::pair<int, int>> points) {
        return strokeWithCount(static_cast<std::int32_t>(points.size()), points);
    }
    BlockBuilder& strokeWithCount(std::int32_t count, std::initializer_list<std::pair<int, int>> points) {
        std::vector<format::PointWords> words;
        for (const auto& p : points)
            words.push_back({static_cast<std::uint16_t>(p.first), static_cast<std::uint16_t>(p.second)});
        return then(w_.strokeWords(count, words));
    }

    // Moves the write position (e.g. to the block's last bytes).
    BlockBuilder& seek(std::uint32_t offset) { return then(w_.seek(offset)); }
    std::uint32_t position() const { return w_.position(); }
    std::vector<std::uint8_t>& bytes() { return w_.bytes(); }
    const std::vector<std::uint8_t>& block() const { return w_.block(); }

private:
    BlockBuilder& then(format::BlockWriter&) { return *this; }

    format::BlockWriter w_;
};

// The block of a player that carries no drawing.
inline std::vector<std::uint8_t> placeholderBlock() {
    std::vector<std::uint8_t> b(format::kDrawingBlockSize, 0);
    b[0] = format::kPlaceholderByte;
    return b;
}

}  // namespace testing_support
