// The record interpreter: one DrawRecord at a time, after the playback tick
// has read its opcode word. Opcodes 0 to 5 are the six record kinds; any
// other word is a record of its own with no payload and no effect.
#pragma once

#include <cstdint>

#include "platform/platform.h"

enum RecordOpcode : std::int16_t {
    ColourRecord = 0,
    PenModeRecord = 1,
    StrokeRecord = 2,
    BrushSizeRecord = 3,
    FillRecord = 4,
    DensityRecord = 5,
};

constexpr std::uint32_t kPaletteFlag = 0x2000000;
constexpr int kCanvasOffset = 7;  // the canvas lies at (7, 7) in the window

// Reads the payload of the record whose opcode was just read and acts on it
// through the Canvas. Between two segments of a stroke it lets one pending
// window message run. Nothing happens once stopFlag is set.
void playRecord(HWND window, std::int16_t opcode);
