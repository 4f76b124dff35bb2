#include "shell/playback.h"

#include <cstdint>

#include "canvas/canvas.h"
#include "drawing/prologue.h"
#include "drawing/reader.h"
#include "drawing/records.h"
#include "resources/ids.h"
#include "shell/integrity.h"
#include "shell/player_window.h"
#include "shell/splash.h"
#include "shell/state.h"
#include "shell/timing.h"

namespace {

constexpr int kPlaceholderSize = 200;
constexpr int kCorner = 10;
constexpr COLORREF kStartPenColour = 0xBFBFBF;

void reportCorruption(HWND window) {
    MessageBoxA(window, kCorruptionText, kCorruptionCaption, MB_OK);
    PostMessageA(window, WM_CLOSE, 0, 0);
}

}  // namespace

void runStartUp(HWND window) {
    if (!isProgramIntact()) {
        reportCorruption(window);
        return;
    }
    showSplash(window, kDialogOpeningSplash, kOpeningSeconds);
    if (stopFlag) return;
    setUpDrawing(window);
}

void setUpDrawing(HWND window) {
    if (isDrawingPresent()) {
        readDrawingPrologue();
    } else {
        drawingHeader.width = kPlaceholderSize;
        drawingHeader.height = kPlaceholderSize;
    }
    const int width = drawingHeader.width;
    const int height = drawingHeader.height;

    RECT desktop;
    GetClientRect(GetDesktopWindow(), &desktop);
    const int windowWidth = width + 2 * kFrameBorder;
    const int windowHeight = height + 2 * kFrameBorder;
    const int x = (static_cast<int>(desktop.right) - windowWidth) / 2;
    const int y = (static_cast<int>(desktop.bottom) - windowHeight) / 2;
    SetWindowPos(window, nullptr, x, y, windowWidth, windowHeight, SWP_NOZORDER);
    ShowWindow(window, SW_RESTORE);

    if (!canvas) return;
    canvas->setUp(appInstance, kFrameBorder, kFrameBorder, width, height, kFrameBorder, kFrameBorder, kCorner, kCorner);
    canvas->selectPalette(initialPalette);
    playbackPalette = CreatePalette(reinterpret_cast<const LOGPALETTE*>(paletteBuffer));
    canvas->selectPalette(playbackPalette);

    HDC dc = GetDC(window);
    SelectPalette(dc, playbackPalette, FALSE);
    RealizePalette(dc);
    canvas->repaint(dc);
    canvas->clear(dc);
    canvas->setPenColour(kStartPenColour);
    ReleaseDC(window, dc);
}

bool playbackTick(HWND window) {
    KillTimer(window, kPlaybackTimer);

    if (firstTick) {
        firstTick = 0;
        runStartUp(window);
        SetTimer(window, kPlaybackTimer, kStartUpInterval, nullptr);
        return false;
    }
    if (stopFlag) return true;
    if (!isDrawingPresent()) return true;

    std::int16_t opcode = 0;
    while (playNextRecord(window, opcode)) {
        if (opcode == format::StrokeRecord) break;
    }

    if (!isDrawingUsedUp()) SetTimer(window, kPlaybackTimer, static_cast<UINT>(playbackInterval), nullptr);
    return false;
}
