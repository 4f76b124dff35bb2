#include "studio/history.h"

#include <algorithm>

#include "engine/session/session.h"

namespace studio {

void History::reset() {
    actions_.clear();
    done_ = 0;
    doneEnd_ = session::recordsEnd();
    kept_.clear();
    every_ = 8;
    kept_.push_back(Kept{0, {}});
    session::save(kept_.back().checkpoint);
}

void History::push() {
    const std::vector<std::uint8_t> block = session::block();
    const std::uint32_t end = session::recordsEnd();
    actions_.resize(done_);
    actions_.emplace_back(block.begin() + doneEnd_, block.begin() + end);
    ++done_;
    doneEnd_ = end;
    keepIfDue();
}

bool History::undo() {
    if (!canUndo() || session::isStroking()) return false;
    const std::size_t target = done_ - 1;
    while (kept_.size() > 1 && kept_.back().done > target) kept_.pop_back();
    const Kept& from = kept_.back();
    if (!session::restore(from.checkpoint)) return false;
    for (std::size_t i = from.done; i < target; ++i) session::append(actions_[i].data(), actions_[i].size());
    done_ = target;
    doneEnd_ = session::recordsEnd();
    return true;
}

bool History::redo() {
    if (!canRedo() || session::isStroking()) return false;
    const std::vector<std::uint8_t>& action = actions_[done_];
    if (!session::append(action.data(), action.size())) return false;
    ++done_;
    doneEnd_ = session::recordsEnd();
    keepIfDue();
    return true;
}

void History::markStroke() { session::save(strokeMark_); }

void History::dropStroke() { session::restore(strokeMark_); }

void History::keepIfDue() {
    if (done_ - kept_.back().done < every_) return;
    kept_.push_back(Kept{done_, {}});
    session::save(kept_.back().checkpoint);
    thinOut();
}

// Drops every second checkpoint between the first and the last, and keeps
// them further apart from now on, while they take more than the budget.
void History::thinOut() {
    const std::size_t each = kept_.front().checkpoint.bytes() + 1;
    while (kept_.size() > 2 && kept_.size() * each > kCheckpointBudget) {
        std::vector<Kept> fewer;
        for (std::size_t i = 0; i < kept_.size(); ++i)
            if (i == 0 || i + 1 == kept_.size() || i % 2 == 0) fewer.push_back(std::move(kept_[i]));
        kept_ = std::move(fewer);
        every_ *= 2;
    }
}

}  // namespace studio
