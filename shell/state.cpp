#include "shell/state.h"

#include "shell/timing.h"

HINSTANCE appInstance = nullptr;
int stopFlag = 0;
int firstTick = 1;
int playbackInterval = kTickInterval;
int windowCreated = 0;
int frameCx = 0;
int frameCy = 0;
Canvas* canvas = nullptr;
std::uint8_t* paletteBuffer = nullptr;
std::uint8_t* initialPaletteBuffer = nullptr;
HPALETTE initialPalette = nullptr;
HPALETTE playbackPalette = nullptr;
HWND splashDialog = nullptr;

void resetShellState() {
    appInstance = nullptr;
    stopFlag = 0;
    firstTick = 1;
    playbackInterval = kTickInterval;
    windowCreated = 0;
    frameCx = 0;
    frameCy = 0;
    canvas = nullptr;
    paletteBuffer = nullptr;
    initialPaletteBuffer = nullptr;
    initialPalette = nullptr;
    playbackPalette = nullptr;
    splashDialog = nullptr;
}
