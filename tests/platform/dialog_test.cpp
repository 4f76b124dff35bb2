// The splash dialogs made from the player's compiled resources, measured
// against what Wine gives for the same templates.
#include <gtest/gtest.h>

#include "platform/emu/desktop.h"
#include "platform/platform.h"
#include "resources/compiled_resources.h"

namespace {

LRESULT CALLBACK plainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

struct Dialogs : testing::Test {
    void SetUp() override {
        emu::resetDesktop();
        module = emu::createModule(compiledResources(), compiledResourcesSize(), "C:\\quillcast.exe");
        WNDCLASSA c{};
        c.lpfnWndProc = plainProc;
        c.lpszClassName = "Owner";
        RegisterClassA(&c);
        owner = CreateWindowExA(WS_EX_TOPMOST, "Owner", "", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr, module, nullptr);
        ShowWindow(owner, SW_SHOWNORMAL);
    }
    void TearDown() override { emu::resetDesktop(); }

    static RECT windowRect(HWND w) {
        RECT r{};
        GetWindowRect(w, &r);
        return r;
    }
    static RECT clientRect(HWND w) {
        RECT r{};
        GetClientRect(w, &r);
        return r;
    }
    HINSTANCE module = nullptr;
    HWND owner = nullptr;
};

void expectRect(const RECT& r, int left, int top, int right, int bottom) {
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, bottom);
}

TEST_F(Dialogs, OpeningSplashHasWinesSizesAndAPictureOfItsBitmapsSize) {
    HWND dialog = CreateDialogParamA(module, MAKEINTRESOURCEA(122), owner, nullptr, 0);
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(IsWindowVisible(dialog)) << "the template does not ask to be shown";
    // 192 x 75 dialog units at 7 x 13 base units, plus a 3-pixel modal frame and a 2-pixel client edge.
    expectRect(windowRect(dialog), 0, 0, 346, 132);
    expectRect(clientRect(dialog), 0, 0, 336, 122);
    HWND picture = GetDlgItem(dialog, 1004);
    ASSERT_NE(picture, nullptr);
    expectRect(windowRect(picture), 7, 5, 270, 93);
    expectRect(clientRect(picture), 0, 0, 263, 88);
    EXPECT_NE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME, 0);
    // As the player sizes it: the picture plus twice the frame metric.
    SetWindowPos(dialog, nullptr, 0, 0, 263 + 8, 88 + 8, SWP_NOZORDER);
    expectRect(clientRect(dialog), 0, 0, 261, 86);
}

TEST_F(Dialogs, ClosingSplashSizes) {
    HWND dialog = CreateDialogParamA(module, MAKEINTRESOURCEA(135), owner, nullptr, 0);
    ASSERT_NE(dialog, nullptr);
    expectRect(windowRect(dialog), 0, 0, 337, 164);
    expectRect(windowRect(GetDlgItem(dialog, 1004)), 5, 5, 241, 91);
}

TEST_F(Dialogs, PlacedRelativeToTheOwnerAndGoneWithIt) {
    SetWindowPos(owner, nullptr, 300, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    HWND dialog = CreateDialogParamA(module, MAKEINTRESOURCEA(122), owner, nullptr, 0);
    expectRect(windowRect(dialog), 295, 95, 641, 227);
    EXPECT_EQ(CreateDialogParamA(module, MAKEINTRESOURCEA(999), owner, nullptr, 0), nullptr);
    DestroyWindow(owner);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(emu::liveObjectCount(), 0u) << "the picture's bitmap goes with its control";
}

TEST_F(Dialogs, TheClientAreaShowsThePictureAndKeysDoNotCloseIt) {
    HWND dialog = CreateDialogParamA(module, MAKEINTRESOURCEA(122), owner, nullptr, 0);
    ShowWindow(dialog, SW_SHOW);
    EXPECT_EQ(emu::activeWindow(), dialog);
    HBITMAP bitmap = LoadBitmapA(module, MAKEINTRESOURCEA(121));
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bitmap);
    const emu::Image client = emu::captureClient(dialog);
    ASSERT_EQ(client.width, 336);
    for (int y : {0, 40, 87})
        for (int x : {0, 100, 262})
            EXPECT_EQ(client.pixels[static_cast<std::size_t>(y * client.width + x + 2)], GetPixel(dc, x, y)) << x << "," << y;
    DeleteDC(dc);
    DeleteObject(bitmap);
    // No dialog procedure: a key or a close request leaves the dialog alone.
    emu::scheduleKeyDown(10, VK_ESCAPE);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    MSG m;
    while (emu::now() < 20)
        if (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    EXPECT_TRUE(IsWindow(dialog));
}

TEST_F(Dialogs, ModuleBitmapsAndFileName) {
    HBITMAP corner = LoadBitmapA(module, MAKEINTRESOURCEA(128));
    ASSERT_NE(corner, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, corner);
    EXPECT_NE(GetPixel(dc, 9, 9), CLR_INVALID);
    EXPECT_EQ(GetPixel(dc, 10, 9), CLR_INVALID) << "10 x 10";
    DeleteDC(dc);
    DeleteObject(corner);
    EXPECT_EQ(LoadBitmapA(module, MAKEINTRESOURCEA(4242)), nullptr);
    EXPECT_NE(LoadIconA(module, MAKEINTRESOURCEA(128)), nullptr);
    char name[8];
    EXPECT_EQ(GetModuleFileNameA(module, name, sizeof name), sizeof name);
    EXPECT_STREQ(name, "C:\\quil");
    EXPECT_EQ(GetModuleHandleA(nullptr), module);
}

}  // namespace
