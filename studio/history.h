// Undo and redo without limit. Each action (a stroke with the pen records
// before it, or a fill) is the run of record bytes it appended. Undo puts the
// engine back to the nearest kept checkpoint before the action and plays the
// actions between again; an undone action leaves the block and costs no
// bytes. Checkpoints are kept every few actions and thinned out, older ones
// first, when they would take too much memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/session/checkpoint.h"

namespace studio {

class History {
public:
    // Memory that kept checkpoints may take together.
    static constexpr std::size_t kCheckpointBudget = 160u << 20;

    // Forgets everything and keeps the engine as it stands as the start.
    void reset();

    // The records between the last action's end and the block's records
    // end were appended and played: they are the newest action, and what
    // could be redone is gone.
    void push();

    bool canUndo() const { return done_ > 0; }
    bool canRedo() const { return done_ < actions_.size(); }
    bool undo();
    bool redo();

    // A stroke about to be drawn can be taken back whole.
    void markStroke();
    void dropStroke();

    std::size_t actionCount() const { return done_; }
    // Every action's records, the done ones first, then those undone.
    const std::vector<std::vector<std::uint8_t>>& actions() const { return actions_; }

private:
    struct Kept {
        std::size_t done;  // actions played when it was taken
        session::Checkpoint checkpoint;
    };
    void keepIfDue();
    void thinOut();

    std::vector<std::vector<std::uint8_t>> actions_;
    std::size_t done_ = 0;
    std::uint32_t doneEnd_ = 0;  // where the last done action's records end
    std::vector<Kept> kept_;
    std::size_t every_ = 8;
    session::Checkpoint strokeMark_;
};

}  // namespace studio
