// The budget figure the studio shows: about how many more strokes fit in
// what is left of the block. It is worked out from this drawing's own
// records (their bytes over its strokes, pen changes included), with a
// typical stroke counted in a few times so that a first dot or two promise
// no thousands; and it never rises while the drawing grows, only when an
// undo takes records away. One figure is kept per step of the undo history,
// so undo and redo find theirs again and a history replayed after a reload
// gives the same figures.
#pragma once

#include <cstdint>
#include <vector>

namespace studio {

// About how many strokes of `strokes` that took `recordBytes` together still
// fit in `room` bytes.
std::uint32_t strokesThatFit(std::uint64_t recordBytes, std::uint64_t strokes, std::uint32_t room);

// Strokes among the whole records of a block between two offsets.
std::uint32_t countStrokes(const std::vector<std::uint8_t>& block, std::uint32_t from, std::uint32_t end);

class Budget {
public:
    // The engine's block as it stands starts the history: its records from
    // `firstRecord` to `end`, with `room` bytes after them.
    void reset(const std::vector<std::uint8_t>& block, std::uint32_t firstRecord, std::uint32_t end,
               std::uint32_t room);
    // Step `done` of the history (1 for the first action) now ends at `end`;
    // what could be redone after it is gone.
    void push(std::size_t done, const std::vector<std::uint8_t>& block, std::uint32_t end, std::uint32_t room);
    // The figure at step `done`.
    std::uint32_t strokesLeft(std::size_t done) const;

private:
    struct Step {
        std::uint32_t end = 0;
        std::uint64_t strokes = 0;
        std::uint32_t strokesLeft = 0;
    };
    std::uint32_t first_ = 0;
    std::vector<Step> steps_;
};

}  // namespace studio
