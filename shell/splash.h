// Splash pictures and the cooperative wait. A splash is a modeless dialog
// with one picture, centred on the screen for a whole number of seconds,
// while the wait keeps dispatching every window's messages on this thread.
// Those dispatches re-enter the player's window procedure; stopFlag ends a
// wait as soon as the window has been destroyed.
#pragma once

#include "platform/platform.h"

// Shows dialog templateId for the given seconds, then destroys the dialog
// that splashDialog names at that moment. Skips it all when the dialog
// cannot be created.
void showSplash(HWND owner, int templateId, int seconds);

// Moves a window to the centre of the desktop, keeping its size.
void centreOnDesktop(HWND window);

// Busy-waits for the whole-second clock to move on by the given seconds,
// dispatching every waiting message meanwhile; never sleeps, never blocks.
void waitSeconds(int seconds);
