// The record interpreter: one DrawRecord at a time, after the playback tick
// has read its opcode word. Opcodes 0 to 5 are the six record kinds; any
// other word is a record of its own with no payload and no effect. The
// records' layout is format/format.h.
#pragma once

#include <cstdint>

#include "drawing/reader.h"
#include "format/format.h"
#include "platform/platform.h"

// Reads the payload of the record whose opcode was just read and acts on it
// through the Canvas. Between two segments of a stroke it lets one pending
// window message run. Nothing happens once stopFlag is set.
void playRecord(HWND window, std::int16_t opcode);

// Reads the next opcode and plays its record: one step of a playback tick.
// False, with nothing played, once no opcode is left to read.
inline bool playNextRecord(HWND window, std::int16_t& opcode) {
    opcode = 0;
    if (!readDrawing(&opcode, format::kWordSize, 1)) return false;
    playRecord(window, opcode);
    return true;
}

// A StrokeRecord's work, point by point, for playRecord and for hosts that
// feed a stroke as it is being made (engine/session/). The previous point is where
// the next segment starts, in canvas coordinates.
struct StrokePosition {
    std::int32_t x;
    std::int32_t y;
};

// Starts a stroke at its first point (never split into pressure and x).
StrokePosition startStroke(std::int16_t x, std::int16_t y);

// One further point, its two words as they lie in the block: decodes the
// pressure when the drawing carries it, draws the segment from previous,
// lets one pending message run, and moves previous on.
void playStrokePoint(HWND window, std::uint16_t xWord, std::uint16_t yWord, StrokePosition& previous);
