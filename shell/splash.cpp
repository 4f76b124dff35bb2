#include "shell/splash.h"

#include "resources/ids.h"
#include "shell/state.h"

void showSplash(HWND owner, int templateId, int seconds) {
    splashDialog = CreateDialogParamA(appInstance, MAKEINTRESOURCEA(templateId), owner, nullptr, 0);
    if (!splashDialog) return;
    RECT picture = {0, 0, 0, 0};
    GetClientRect(GetDlgItem(splashDialog, kPictureControl), &picture);
    const int width = static_cast<int>(picture.right - picture.left) + 2 * frameCx;
    const int height = static_cast<int>(picture.bottom - picture.top) + 2 * frameCy;
    SetWindowPos(splashDialog, nullptr, 0, 0, width, height, SWP_NOZORDER);
    centreOnDesktop(splashDialog);
    ShowWindow(splashDialog, SW_SHOW);
    waitSeconds(seconds);
    // The slot may name another dialog by now, or none: a nested splash
    // takes it over and clears it when done.
    if (splashDialog) {
        DestroyWindow(splashDialog);
        splashDialog = nullptr;
    }
}

void centreOnDesktop(HWND window) {
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    RECT own;
    GetWindowRect(window, &own);
    const int width = static_cast<int>(own.right - own.left);
    const int height = static_cast<int>(own.bottom - own.top);
    const int x = (static_cast<int>(desktop.right) - width) / 2;
    const int y = (static_cast<int>(desktop.bottom) - height) / 2;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void waitSeconds(int seconds) {
    const std::time_t start = platform::time(nullptr);
    std::time_t now = platform::time(nullptr);
    MSG msg;
    while (true) {
        if (now - start >= seconds) return;
        if (stopFlag) return;
        now = platform::time(nullptr);
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) && !stopFlag) {
            if (GetMessageA(&msg, nullptr, 0, 0)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
    }
}
