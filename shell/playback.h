// The PlaybackTimer's work. The first tick runs the start-up sequence; each
// later tick plays the records up to and including the next stroke and
// re-arms the timer, until the drawing is used up. Every tick kills the
// timer first, so ticks never nest and the timer works as a one-shot.
#pragma once

#include "platform/platform.h"

// True when the tick ended early (stopFlag set, or no drawing in the block):
// the window procedure then returns 0 without the default procedure.
bool playbackTick(HWND window);

// Integrity check, opening splash, then setUpDrawing.
void runStartUp(HWND window);

// The start-up sequence after its check and splash: prologue, window
// placement, Canvas set-up and the empty framed canvas with the start pen.
// startHostedShow (shell/host.h) runs it for hosts that drive the player
// without the timer.
void setUpDrawing(HWND window);
