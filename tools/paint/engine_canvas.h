// The player's own engine, opened on a new drawing, as the painting search
// sees it: records are appended and played by the player's reader,
// interpreter and brush engine, the canvas is read where a stroke drew, and
// a stroke that does not pay for its bytes is taken back. What the search
// scores is therefore exactly what every player will show.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/paint/stroke_plan.h"

namespace paint {

class EngineCanvas {
public:
    EngineCanvas() = default;
    ~EngineCanvas();
    EngineCanvas(const EngineCanvas&) = delete;
    EngineCanvas& operator=(const EngineCanvas&) = delete;

    // A new drawing with this canvas and palette, its points carrying pressure.
    bool open(int width, int height, const std::vector<std::uint32_t>& palette, std::string& error);

    // Appends records and plays them. False, with nothing appended, when
    // they do not fit the block.
    bool play(const std::vector<std::uint8_t>& records);
    // Milliseconds of the show clock the last play took as it drew, and what
    // a stroke's tick adds before it: together, what a stroke costs a viewer.
    double lastPlayMs() const { return lastPlayMs_; }
    static double strokeTickMs();

    // Notes the whole engine state (pixels, pen, random cursor, records) so
    // that takeBack can return to it. A copy of the whole canvas: mark what
    // is kept, not each try.
    void mark();
    // Returns to the state of the last mark: the records played since are
    // gone. Cheap: only what they drew is copied back.
    void takeBack();

    // The canvas as it stands.
    CanvasView view() const;

    // The block so far: prologue and records, zeros after them.
    std::vector<std::uint8_t> block() const;
    // Bytes of the block in use: everything before the zero tail.
    std::uint32_t usedBytes() const;

private:
    bool open_ = false;
    double lastPlayMs_ = 0;
};

}  // namespace paint
