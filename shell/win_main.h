// The program's entry. On Windows the runtime start-up calls it; natively
// the tools and tests call it on the emulated desktop.
#pragma once

#include "platform/platform.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
