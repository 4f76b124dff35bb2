// The studio's recording of a drawing while a person paints: the pen the
// painter chose, strokes fed point by point to the engine session (so the
// preview is the engine itself), fills, unlimited undo and redo re-rendered
// from kept checkpoints, and the byte budget of the block. Every change is
// records appended to the block; the engine plays exactly those.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "studio/budget.h"
#include "studio/history.h"
#include "studio/stroke_filter.h"

namespace studio {

// The pen the painter chose; recorded only when it differs from what the
// records so far left, and only the parts the stroke uses.
struct PenChoice {
    std::uint32_t colour = 0x000000;  // 0x00BBGGRR
    std::uint32_t second = 0xFFFFFF;  // Speckle's other two colours
    std::uint32_t third = 0x808080;
    int mode = 1;                     // 1 Blend, 2 Darken, 3 Smudge, 4 Speckle
    int level = 2;                    // 0..4; with a pen's pressure, the least level
    int density = 1000;
};

struct RecordingOptions {
    double smoothing = 0;   // 0..1
    double tolerance = 0;   // pixels; 0 keeps every point
};

enum class StrokeEnd { Kept, Empty, Refused };

class Recorder {
public:
    // A new drawing, or one to go on painting: its records are played and
    // kept, new ones go after them. False, with a one-line reason.
    bool openNew(int width, int height, const std::vector<std::uint32_t>& palette, bool pressure, std::string& error);
    bool open(const std::vector<std::uint8_t>& block, std::string& error);

    void setPen(const PenChoice& pen) { pen_ = pen; }
    const PenChoice& pen() const { return pen_; }
    void setOptions(const RecordingOptions& options) { options_ = options; }

    // A stroke, in canvas coordinates (fractions allowed). pressure is 0..15;
    // it is recorded when the drawing carries pressure. Each kept point is
    // drawn at once. A new drawing made without pressure that has nothing
    // recorded yet takes pressure on when its first stroke comes from a
    // pressure pen (and its canvas is at most 1025 pixels wide).
    void beginStroke(double x, double y, int pressure, bool pressurePen = false);
    void strokeTo(double x, double y, int pressure);
    bool isStroking() const { return stroking_; }
    // Refused when the stroke does not fit in what is left of the block:
    // then it is taken off the canvas and nothing recorded before is lost.
    StrokeEnd endStroke();
    // Takes the stroke being drawn off the canvas unrecorded (a second
    // finger came down: the pointer was a gesture, not a stroke).
    void cancelStroke();
    // Fills the canvas with the pen colour. False when it does not fit.
    bool fill();

    bool undo();
    bool redo();
    bool canUndo() const { return history_.canUndo(); }
    bool canRedo() const { return history_.canRedo(); }

    // The undo history, to keep it beside the drawing: the records end where
    // it starts, then each action's records (the undone ones last).
    std::uint32_t historyStart() const { return historyStart_; }
    const History& history() const { return history_; }
    // Puts a kept action back: its records are appended and played as the
    // newest action. False when they do not fit.
    bool replayAction(const std::vector<std::uint8_t>& records);
    // Whether the drawing is new and empty, so that its first stroke may
    // still take pen pressure on.
    bool takesPressureOnFirstStroke() const;

    // The block's bytes in use (prologue and records) of the 451000, and
    // about how many strokes like the drawing's own still fit (budget.h).
    std::uint32_t bytesUsed() const;
    std::uint32_t bytesFree() const;
    std::uint32_t strokesLeft() const;
    // Bytes the stroke being drawn takes so far, and whether it still fits.
    std::uint32_t strokeBytes() const;
    bool strokeFits() const;

    bool carriesPressure() const;
    std::vector<std::uint8_t> block() const;
    int width() const;
    int height() const;
    // The canvas colour at a pixel (0x00BBGGRR), for the eyedropper.
    std::uint32_t colourAt(int x, int y) const;

private:
    std::vector<std::uint8_t> penRecords(bool forStroke) const;
    void drawPoint(const StrokePoint& p);
    void takePressureOn();
    void startHistory();
    void pushAction();

    PenChoice pen_;
    RecordingOptions options_;
    History history_;
    StrokeFilter filter_;
    bool stroking_ = false;
    std::vector<StrokePoint> points_;
    std::vector<std::uint8_t> strokeHead_;  // pen records appended before the stroke
    std::uint32_t strokeHeadBytes_ = 0;
    // A new drawing keeps what it was made from while nothing is recorded.
    bool fresh_ = false;
    int newWidth_ = 0;
    int newHeight_ = 0;
    std::vector<std::uint32_t> newPalette_;
    Budget budget_;
    std::uint32_t historyStart_ = 0;
};

}  // namespace studio
