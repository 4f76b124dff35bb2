// The player as a host drives it: the tools' headless player, the engine
// session, the web engine and the board reach the player's process-wide
// state through these calls only. The player keeps its own design (free
// functions over process-wide state, one show at a time); this is the one
// door through which anything outside the shell and the drawing stream
// starts a show, steps it and looks at where it stands.
#pragma once

#include <cstddef>
#include <cstdint>

#include "canvas/pen_state.h"
#include "drawing/records.h"
#include "platform/platform.h"

// Puts every piece of the player's process-wide state back to its start
// value, for the next show in the same process. It releases nothing: the
// window that held it is gone, or the desktop is about to be reset.
void resetPlayer();

// Starts a show driven by its host instead of the playback timer: the timer
// is killed and the start-up runs at once, without the integrity check and
// the opening splash (prologue, window placement, the framed, empty canvas).
void startHostedShow(HWND window);

// Records are played with playNextRecord (drawing/records.h), as the
// playback tick plays them, and a stroke being made point by point with
// startStroke and playStrokePoint.

// Where the reader stands: the block offset of the next byte it reads.
std::uint32_t readerPosition();
// Moves the reader on to `offset` without playing what it passes: records a
// host has drawn already, point by point. Never back, never past the block.
void skipReaderTo(std::uint32_t offset);
// Puts the reader back to an offset it stood at before (a checkpoint).
void returnReaderTo(std::uint32_t offset);

// The canvas size from the drawing's header, as the player read it.
int drawingWidth();
int drawingHeight();
// Whether the stroke points after the first carry a pen pressure.
bool drawingCarriesPressure();

// The DrawingBlock as the player holds it, for reading.
const std::uint8_t* drawingBytes();
// Writes bytes into the block at `offset` (records a host appends, zeros it
// takes back). False, with nothing written, when they do not fit.
bool writeDrawingBytes(std::uint32_t offset, const std::uint8_t* bytes, std::size_t size);
bool clearDrawingBytes(std::uint32_t offset, std::size_t size);

// The pen as the records played so far left it, and putting back one taken
// before (a checkpoint).
const PenState& currentPen();
void restorePen(const PenState& pen);

// The part of the window the brush engine has drawn on since the last call,
// in window coordinates; the next call starts from nothing again.
RECT takeTouchedArea();

// Pixel decisions the brush engine has made since the player was reset.
std::uint64_t pixelDecisionCount();
