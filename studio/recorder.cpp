#include "studio/recorder.h"

#include <algorithm>

#include "format/format.h"
#include "engine/session/session.h"

namespace studio {

namespace {

constexpr int kPressureMaxWidth = format::kMaxPressureX + 1;

// A colour as the engine holds it once recorded: with the flag that asks for
// the nearest palette colour.
constexpr std::uint32_t held(std::uint32_t rgb) { return (rgb & format::kColourMask) | format::kPaletteFlag; }

}  // namespace

bool Recorder::openNew(int width, int height, const std::vector<std::uint32_t>& palette, bool pressure,
                       std::string& error) {
    if (width > kPressureMaxWidth) pressure = false;
    if (!session::openNew(width, height, palette, pressure, error)) return false;
    startHistory();
    fresh_ = true;
    newWidth_ = width;
    newHeight_ = height;
    newPalette_ = palette;
    return true;
}

void Recorder::takePressureOn() {
    std::string error;
    if (session::openNew(newWidth_, newHeight_, newPalette_, true, error)) startHistory();
}

void Recorder::startHistory() {
    history_.reset();
    historyStart_ = session::recordsEnd();
    const std::vector<std::uint8_t> block = session::block();
    budget_.reset(block, format::firstRecordOffset(format::parsePrologue(block.data())), historyStart_,
                  session::room());
}

void Recorder::pushAction() {
    history_.push();
    budget_.push(history_.actionCount(), session::block(), session::recordsEnd(), session::room());
}

bool Recorder::replayAction(const std::vector<std::uint8_t>& records) {
    if (stroking_ || records.empty() || !session::append(records.data(), records.size())) return false;
    fresh_ = false;
    pushAction();
    return true;
}

bool Recorder::takesPressureOnFirstStroke() const {
    return fresh_ && !history_.canUndo() && !history_.canRedo() && !session::carriesPressure() &&
           newWidth_ <= kPressureMaxWidth;
}

bool Recorder::open(const std::vector<std::uint8_t>& block, std::string& error) {
    if (!session::open(block, error)) return false;
    session::playToEnd();
    fresh_ = false;
    startHistory();
    return true;
}

// The records that bring the engine's pen to the chosen one, for a stroke
// (colours, mode, level, density as the mode uses them) or a fill (colour).
std::vector<std::uint8_t> Recorder::penRecords(bool forStroke) const {
    format::RecordWriter out;
    const session::PenSettings now = session::pen();
    if (now.colour != held(pen_.colour)) out.colour(pen_.colour, format::kPenColour);
    if (!forStroke) return out.take();
    if (pen_.mode == format::kSpeckle) {
        if (now.secondColour != held(pen_.second)) out.colour(pen_.second, format::kSecondColour);
        if (now.thirdColour != held(pen_.third)) out.colour(pen_.third, format::kThirdColour);
    }
    if (now.mode != pen_.mode) out.penMode(static_cast<std::uint32_t>(pen_.mode));
    // With pressure the level moves with each point; the least level stays.
    if (now.minLevel != pen_.level || (!session::carriesPressure() && now.level != pen_.level))
        out.brushSize(static_cast<std::uint32_t>(pen_.level));
    if (pen_.mode != format::kSmudge && now.density != pen_.density)
        out.density(static_cast<std::uint32_t>(static_cast<std::uint16_t>(pen_.density)));
    return out.take();
}

void Recorder::beginStroke(double x, double y, int pressure, bool pressurePen) {
    if (stroking_ || !session::isOpen()) return;
    if (pressurePen && takesPressureOnFirstStroke()) takePressureOn();
    history_.markStroke();
    const std::vector<std::uint8_t> head = penRecords(true);
    strokeHeadBytes_ = static_cast<std::uint32_t>(head.size());
    if (!head.empty() && !session::append(head.data(), head.size())) {
        // Not even the pen fits: the stroke will be refused at its end.
        strokeHeadBytes_ = 0;
    }
    filter_ = StrokeFilter(options_.smoothing);
    const StrokePoint first = filter_.begin(x, y, pressure);
    points_.assign(1, first);
    stroking_ = true;
    session::beginStroke(first.x, first.y);
}

void Recorder::drawPoint(const StrokePoint& p) { session::strokeTo(p.x, p.y, p.pressure); }

void Recorder::strokeTo(double x, double y, int pressure) {
    if (!stroking_) return;
    StrokePoint p;
    if (!filter_.next(x, y, std::clamp(pressure, 0, 15), p)) return;
    points_.push_back(p);
    drawPoint(p);
}

StrokeEnd Recorder::endStroke() {
    if (!stroking_) return StrokeEnd::Empty;
    stroking_ = false;
    // A single point stamps nothing: a click leaves a dot one pixel long.
    if (points_.size() == 1) {
        StrokePoint dot = points_.front();
        dot.x += 1;
        points_.push_back(dot);
        drawPoint(dot);
    }
    const std::vector<StrokePoint> kept = simplify(points_, options_.tolerance);
    if (kept.size() != points_.size()) {
        // Drawn again as it will be recorded.
        history_.dropStroke();
        const std::vector<std::uint8_t> head = penRecords(true);
        if (!head.empty()) session::append(head.data(), head.size());
        session::beginStroke(kept.front().x, kept.front().y);
        for (std::size_t i = 1; i < kept.size(); ++i) drawPoint(kept[i]);
    }
    const bool headFits = strokeHeadBytes_ > 0 || penRecords(true).empty();
    if (!headFits || !session::endStroke()) {
        history_.dropStroke();
        return StrokeEnd::Refused;
    }
    fresh_ = false;
    pushAction();
    return StrokeEnd::Kept;
}

void Recorder::cancelStroke() {
    if (!stroking_) return;
    stroking_ = false;
    points_.clear();
    history_.dropStroke();
}

bool Recorder::fill() {
    if (stroking_ || !session::isOpen()) return false;
    std::vector<std::uint8_t> records = penRecords(false);
    const std::vector<std::uint8_t> fill = format::RecordWriter().fill().take();
    records.insert(records.end(), fill.begin(), fill.end());
    if (!session::append(records.data(), records.size())) return false;
    fresh_ = false;
    pushAction();
    return true;
}

bool Recorder::undo() { return !stroking_ && history_.undo(); }
bool Recorder::redo() { return !stroking_ && history_.redo(); }

std::uint32_t Recorder::bytesUsed() const { return session::recordsEnd(); }
std::uint32_t Recorder::bytesFree() const { return session::room(); }

std::uint32_t Recorder::strokesLeft() const { return budget_.strokesLeft(history_.actionCount()); }

std::uint32_t Recorder::strokeBytes() const { return session::strokeBytes(); }
bool Recorder::strokeFits() const { return session::strokeBytes() <= session::room(); }

bool Recorder::carriesPressure() const { return session::carriesPressure(); }
std::vector<std::uint8_t> Recorder::block() const { return session::block(); }
int Recorder::width() const { return session::width(); }
int Recorder::height() const { return session::height(); }

std::uint32_t Recorder::colourAt(int x, int y) const {
    std::uint8_t rgb[3] = {0, 0, 0};
    session::readRgb(x, y, 1, 1, rgb);
    return std::uint32_t{rgb[0]} | std::uint32_t{rgb[1]} << 8 | std::uint32_t{rgb[2]} << 16;
}

}  // namespace studio
