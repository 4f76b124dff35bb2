#include "tools/paint/engine_canvas.h"

#include "engine/session/checkpoint.h"
#include "engine/session/session.h"

namespace paint {

namespace {

// The one mark of the one session: saved after every stroke kept, restored
// after every stroke taken back, so that each restore copies back only
// what that stroke drew.
session::Checkpoint& theMark() {
    static session::Checkpoint checkpoint;
    return checkpoint;
}

}  // namespace

EngineCanvas::~EngineCanvas() {
    if (open_) session::close();
}

bool EngineCanvas::open(int width, int height, const std::vector<std::uint32_t>& palette, std::string& error) {
    open_ = session::openNew(width, height, palette, true, error);
    return open_;
}

bool EngineCanvas::play(const std::vector<std::uint8_t>& records) {
    const std::uint64_t before = session::clockNs();
    const bool played = session::append(records.data(), records.size());
    lastPlayMs_ = static_cast<double>(session::clockNs() - before) / 1e6;
    return played;
}

double EngineCanvas::strokeTickMs() { return static_cast<double>(session::strokeTickNs()) / 1e6; }

void EngineCanvas::mark() { session::save(theMark()); }

void EngineCanvas::takeBack() { session::restore(theMark()); }

CanvasView EngineCanvas::view() const {
    return CanvasView{session::pixels(), session::width(), session::height(), session::stride()};
}

std::vector<std::uint8_t> EngineCanvas::block() const { return session::block(); }

std::uint32_t EngineCanvas::usedBytes() const { return session::recordsEnd(); }

}  // namespace paint
