// The conformance probe: asks the windowing and drawing services the
// questions the player depends on (line walks, message order, pixel colours,
// metrics, dialog sizes) and prints one answer per line on standard output.
// The same source runs on Windows (under Wine) and over the emulated desktop;
// the two outputs must agree line for line.
#pragma once

#include "platform/platform.h"

// instance holds dialog templates 122 and 135 with picture control 1004.
// Returns the process exit code: 0 when every step could be asked.
int runProbe(HINSTANCE instance);
