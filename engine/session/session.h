// The engine session: the player's own engine driven by a host (the studio
// in the browser, the painting search) instead of by the playback timer.
// Opening runs the player's start-up without its check and splash, on the
// emulated desktop; records then play through the player's own reader and
// interpreter, a few at a time or a stroke point by point as it is being
// made. The canvas is exactly what a full show of the same records shows.
//
// One session at a time, and no other show in the process while it is open:
// the player's state is process-wide. Checkpoints of the whole engine state
// are in engine/session/checkpoint.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace session {

// Opens a DrawingBlock (exactly 451000 bytes, a drawing or a placeholder):
// prologue, framed canvas, start pen; no record is played yet. False, with
// a one-line reason, when the block has the wrong size or its canvas is too
// large to hold; any session open before is closed either way.
bool open(const std::vector<std::uint8_t>& block, std::string& error);

// Opens a new drawing: a block with the given canvas size and 256 palette
// colours (0x00BBGGRR), whose stroke points carry a pen pressure when
// pressure is set, and no record yet.
bool openNew(int width, int height, const std::vector<std::uint32_t>& palette, bool pressure, std::string& error);

// Closes the session: the player window goes, and with it the Canvas.
void close();
bool isOpen();

// The canvas size of the open drawing (0 when none is open).
int width();
int height();
// Whether stroke points after the first carry a pen pressure.
bool carriesPressure();

// The pen as the records played so far left it, so that a host records a
// change only when one is needed. Colours as the engine holds them: a
// recorded colour carries the PaletteFlag (0x2000000).
struct PenSettings {
    std::uint32_t colour = 0;
    std::uint32_t secondColour = 0;
    std::uint32_t thirdColour = 0;
    int mode = 0;
    int level = 0;
    int minLevel = 0;
    int density = 0;
};
PenSettings pen();

// The drawing's 256 palette colours (0x00BBGGRR), as the player read them.
std::vector<std::uint32_t> palette();

// The block as it stands: what was opened plus what was appended since.
std::vector<std::uint8_t> block();
// Where the reader stands, and where the recorded records end: the next
// appended record goes there, and the zero tail starts there.
std::uint32_t cursor();
std::uint32_t recordsEnd();
// Bytes free after the records.
std::uint32_t room();

// Plays whole records from the cursor, as the playback ticks do, until the
// cursor reaches end (at most recordsEnd) or maxStrokes strokes have been
// drawn (negative: no bound). Returns the strokes drawn.
int play(std::uint32_t end, int maxStrokes = -1);
inline int playToEnd() { return play(recordsEnd()); }

// Writes records (whole ones, as they lie in a block) after the last one and
// plays them. False, with nothing written, when they do not fit, when the
// cursor has not reached the end yet, or during a live stroke.
bool append(const std::uint8_t* bytes, std::size_t size);

// A stroke fed point by point, each segment drawn at once through the
// player's own stroke code. Points are canvas coordinates; the pressure
// (0..15) is used only when the drawing carries it, and x must then lie in
// 0..1024 after the first point. The record is written when the stroke ends.
void beginStroke(int x, int y);
void strokeTo(int x, int y, int pressure);
bool isStroking();
// Bytes the stroke's record would take now.
std::uint32_t strokeBytes();
// Writes the stroke's record after the last one. False when it does not fit:
// nothing is written, and the pixels stay drawn (restore a checkpoint).
bool endStroke();

// The show's clock, in nanoseconds: the priced calls the engine has made
// since the desktop was set up (the emulated desktop's clock; restoring a
// checkpoint does not turn it back). The difference across a play is what
// those records cost a viewer, apart from the tick that starts each stroke.
std::uint64_t clockNs();
// What a viewer waits for each stroke besides its drawing: the pause before
// the tick and the tick itself.
std::uint64_t strokeTickNs();

// The canvas's pixels as 0x00BBGGRR, row-major, stride() a row, the canvas
// origin at pixels()[0]: the window the engine draws on. Valid until the
// next open or close.
const std::uint32_t* pixels();
int stride();
// A rectangle of the canvas as RGB bytes (3 a pixel) or RGBA (4, opaque),
// clipped to the canvas; out must hold w x h pixels.
void readRgb(int x, int y, int w, int h, std::uint8_t* out);
void readRgba(int x, int y, int w, int h, std::uint8_t* out);

}  // namespace session
