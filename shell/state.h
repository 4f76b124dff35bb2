// The player shell's process-wide state: one of each for the whole process,
// touched only on the user-interface thread. Window creation gives most of
// them their run-time values and window destruction releases what they hold;
// after that, stopFlag stays set and every routine still running further up
// the stack tests it before touching the rest.
#pragma once

#include <cstdint>

#include "platform/platform.h"

class Canvas;

extern HINSTANCE appInstance;           // the program's module instance
extern int stopFlag;                    // set when the PlayerWindow is destroyed, never cleared
extern int firstTick;                   // while set, the next tick runs the start-up sequence
extern int playbackInterval;            // milliseconds between two playback ticks
extern int windowCreated;               // set as the last step of window creation
extern int frameCx;                     // sizing-frame width, read at window creation
extern int frameCy;                     // sizing-frame height, read at window creation
extern Canvas* canvas;                  // the one drawing surface, owned
extern std::uint8_t* paletteBuffer;     // 1032 bytes: receives the DrawingPalette
extern std::uint8_t* initialPaletteBuffer;  // 1032 bytes: the image of initialPalette
extern HPALETTE initialPalette;         // first palette selected into the Canvas
extern HPALETTE playbackPalette;        // made from paletteBuffer; selected before drawing
extern HWND splashDialog;               // the splash on screen, or null

// Puts every variable back to its start value, for a new run in the same
// process (the native tools and tests). It releases nothing.
void resetShellState();
