#include "shell/player_window.h"

#include <cstdlib>
#include <new>

#include "canvas/canvas.h"
#include "drawing/palette_image.h"
#include "resources/ids.h"
#include "shell/playback.h"
#include "shell/splash.h"
#include "shell/state.h"
#include "shell/timing.h"

namespace {

void onCreate(HWND window) {
    playbackInterval = kTickInterval;
    frameCx = GetSystemMetrics(SM_CXFRAME);
    frameCy = GetSystemMetrics(SM_CYFRAME);

    // The palette buffer gets a defined content at once: a block without a
    // drawing never fills it, yet the playback palette is made from it.
    paletteBuffer = static_cast<std::uint8_t*>(std::malloc(format::kPaletteImageSize));
    if (paletteBuffer) fillPlaceholderPalette(paletteBuffer);

    HDC dc = GetDC(window);
    void* canvasMemory = std::malloc(sizeof(Canvas));
    canvas = canvasMemory ? new (canvasMemory) Canvas(dc) : nullptr;
    ReleaseDC(window, dc);

    initialPaletteBuffer = static_cast<std::uint8_t*>(std::calloc(1, format::kPaletteImageSize));
    if (initialPaletteBuffer) {
        auto* initialImage = reinterpret_cast<LOGPALETTE*>(initialPaletteBuffer);
        initialImage->palNumEntries = format::kPaletteEntries;
        initialImage->palVersion = format::kPaletteVersion;
        initialPalette = CreatePalette(initialImage);
    }

    SetTimer(window, kPlaybackTimer, kFirstTickDelay, nullptr);
    windowCreated = 1;
}

void onDestroy(HWND window) {
    if (windowCreated) {
        stopFlag = 1;
        KillTimer(window, kPlaybackTimer);
        if (canvas) {  // before the palettes: its memory context holds one of them
            canvas->~Canvas();
            std::free(canvas);
        }
        if (initialPalette) DeleteObject(initialPalette);
        if (playbackPalette) DeleteObject(playbackPalette);
        std::free(paletteBuffer);
        std::free(initialPaletteBuffer);
    }
    PostQuitMessage(0);
}

void onPaint(HWND window) {
    HDC dc = GetDC(window);
    if (canvas) canvas->repaint(dc);
    ReleaseDC(window, dc);
}

}  // namespace

int createPlayerWindow(HINSTANCE instance, int showCommand) {
    appInstance = instance;

    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = playerWindowProc;
    windowClass.hInstance = appInstance;
    windowClass.hIcon = LoadIconA(appInstance, MAKEINTRESOURCEA(kIconGroup));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kPlayerClassName;
    RegisterClassA(&windowClass);

    HWND window = CreateWindowExA(WS_EX_TOPMOST, kPlayerClassName, kPlayerClassName, WS_POPUP, 0, 0, 200, 200,
                                  nullptr, nullptr, appInstance, nullptr);
    if (!window) return 0;
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    return 1;
}

void endShow(HWND window) {
    ShowWindow(window, SW_HIDE);
    showSplash(window, kDialogClosingSplash, kClosingSeconds);
    PostMessageA(window, WM_CLOSE, 0, 0);
}

LRESULT CALLBACK playerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            onCreate(window);
            break;
        case WM_DESTROY:
            onDestroy(window);
            break;
        case WM_PAINT:
            onPaint(window);
            break;
        case WM_SETCURSOR:
            SetCursor(LoadCursorA(nullptr, IDC_ARROW));
            return TRUE;
        case WM_TIMER:
            if (playbackTick(window)) return 0;
            break;
        case WM_KEYDOWN:
        case WM_LBUTTONDOWN:
            endShow(window);
            break;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
