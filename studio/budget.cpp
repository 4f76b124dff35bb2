#include "studio/budget.h"

#include <algorithm>

#include "format/format.h"

namespace studio {

namespace {

// A stroke of 100 points with one pen change, counted in this many times.
constexpr std::uint64_t kTypicalStrokeBytes = 412;
constexpr std::uint64_t kTypicalStrokesCounted = 8;

}  // namespace

std::uint32_t strokesThatFit(std::uint64_t recordBytes, std::uint64_t strokes, std::uint32_t room) {
    const std::uint64_t bytes = recordBytes + kTypicalStrokeBytes * kTypicalStrokesCounted;
    const std::uint64_t each = std::max<std::uint64_t>(1, bytes / (strokes + kTypicalStrokesCounted));
    return static_cast<std::uint32_t>(room / each);
}

std::uint32_t countStrokes(const std::vector<std::uint8_t>& block, std::uint32_t from, std::uint32_t end) {
    std::uint32_t strokes = 0;
    std::uint32_t at = from;
    const std::uint32_t limit = std::min<std::uint32_t>(end, static_cast<std::uint32_t>(block.size()));
    format::Record record;
    while (at < limit && format::parseRecord(block.data(), limit, at, record))
        if (record.kind == format::RecordKind::Stroke) ++strokes;
    return strokes;
}

void Budget::reset(const std::vector<std::uint8_t>& block, std::uint32_t firstRecord, std::uint32_t end,
                   std::uint32_t room) {
    first_ = firstRecord;
    Step start;
    start.end = end;
    start.strokes = countStrokes(block, firstRecord, end);
    start.strokesLeft = strokesThatFit(end - firstRecord, start.strokes, room);
    steps_.assign(1, start);
}

void Budget::push(std::size_t done, const std::vector<std::uint8_t>& block, std::uint32_t end, std::uint32_t room) {
    if (steps_.empty() || done == 0) return;
    steps_.resize(std::min(done, steps_.size()));
    const Step& before = steps_.back();
    Step step;
    step.end = end;
    step.strokes = before.strokes + countStrokes(block, before.end, end);
    step.strokesLeft = std::min(before.strokesLeft, strokesThatFit(end - first_, step.strokes, room));
    steps_.push_back(step);
}

std::uint32_t Budget::strokesLeft(std::size_t done) const {
    if (steps_.empty()) return 0;
    return steps_[std::min(done, steps_.size() - 1)].strokesLeft;
}

}  // namespace studio
