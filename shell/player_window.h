// The PlayerWindow: a top-most popup without caption or border whose
// procedure runs the whole show. Creation builds the Canvas and arms the
// PlaybackTimer; ticks play the drawing; a key press or left click ends the
// show through the closing splash; destruction releases everything.
#pragma once

#include "platform/platform.h"

constexpr const char* kPlayerClassName = "Quillcast";
constexpr UINT_PTR kPlaybackTimer = 49;

// Registers the class, creates, shows and updates the window: 1, or 0 when
// the window cannot be created.
int createPlayerWindow(HINSTANCE instance, int showCommand);

LRESULT CALLBACK playerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Hides the window, shows the closing splash and asks for the close.
void endShow(HWND window);
