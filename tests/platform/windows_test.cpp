// Windows on the emulated desktop: placement, owned windows, activation and
// input routing, window contexts of hidden windows, captures.
#include <gtest/gtest.h>

#include <vector>

#include "platform/emu/desktop.h"
#include "platform/platform.h"

namespace {

struct Received {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Received> received;

LRESULT CALLBACK inputProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if ((m >= WM_KEYDOWN && m <= WM_SYSKEYDOWN) || (m >= WM_MOUSEMOVE && m <= WM_RBUTTONUP) || m == WM_SETCURSOR ||
        m == WM_DESTROY)
        received.push_back(Received{w, m, wp, lp});
    return DefWindowProcA(w, m, wp, lp);
}

struct Desktop : testing::Test {
    void SetUp() override {
        emu::resetDesktop();
        received.clear();
        WNDCLASSA c{};
        c.lpfnWndProc = inputProc;
        c.lpszClassName = "Probe";
        RegisterClassA(&c);
    }
    void TearDown() override { emu::resetDesktop(); }

    static HWND window(int x, int y, int w, int h, DWORD exStyle = 0, HWND owner = nullptr) {
        return CreateWindowExA(exStyle, "Probe", "", WS_POPUP, x, y, w, h, owner, nullptr, nullptr, nullptr);
    }
    // Runs the queue up to the given time, dispatching everything.
    static void runUntil(std::uint64_t ms) {
        MSG m;
        while (emu::now() < ms) {
            if (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
        }
    }
    static std::vector<UINT> messagesTo(HWND w) {
        std::vector<UINT> out;
        for (const Received& r : received)
            if (r.window == w && r.message != WM_SETCURSOR) out.push_back(r.message);
        return out;
    }
};

TEST_F(Desktop, ScreenAndMetrics) {
    RECT r;
    GetWindowRect(GetDesktopWindow(), &r);
    EXPECT_EQ(r.right, 1024);
    EXPECT_EQ(r.bottom, 768);
    emu::setScreenSize(800, 600);
    GetClientRect(GetDesktopWindow(), &r);
    EXPECT_EQ(r.right, 800);
    EXPECT_EQ(r.bottom, 600);
    EXPECT_EQ(GetSystemMetrics(SM_CXFRAME), 4);
    EXPECT_EQ(GetSystemMetrics(SM_CYFRAME), 4);
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST_F(Desktop, OwnedWindowsGoWithTheirOwnerAndTakeItsTopMostRank) {
    HWND owner = window(0, 0, 100, 100, WS_EX_TOPMOST);
    HWND owned = window(10, 10, 20, 20, 0, owner);
    HWND other = window(0, 0, 300, 300);
    for (HWND w : {owner, owned, other}) ShowWindow(w, SW_SHOW);
    EXPECT_EQ(emu::topLevelWindows(), (std::vector<HWND>{owned, owner, other}));
    EXPECT_NE(GetWindowLongA(owned, GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "as Wine does";
    DestroyWindow(owner);
    EXPECT_FALSE(IsWindow(owned));
    EXPECT_FALSE(IsWindow(owner));
    // The owned window is destroyed first.
    ASSERT_GE(received.size(), 2u);
    EXPECT_EQ(received[received.size() - 2].window, owned);
    EXPECT_EQ(received.back().window, owner);
    EXPECT_EQ(emu::activeWindow(), other);
}

TEST_F(Desktop, KeysGoToTheActiveWindowAndActivationFallsBackToTheOwner) {
    HWND player = window(0, 0, 200, 200, WS_EX_TOPMOST);
    ShowWindow(player, SW_SHOWNORMAL);
    HWND splash = window(300, 300, 50, 50, 0, player);
    ShowWindow(splash, SW_SHOW);
    emu::scheduleKeyDown(10, VK_SPACE);
    emu::scheduleCall(20, [splash] { DestroyWindow(splash); });
    emu::scheduleKeyDown(30, 'A');
    emu::scheduleSysKeyDown(40, VK_F10);
    runUntil(50);
    EXPECT_EQ(messagesTo(splash), (std::vector<UINT>{WM_KEYDOWN, WM_DESTROY}));
    EXPECT_EQ(messagesTo(player), (std::vector<UINT>{WM_KEYDOWN, WM_SYSKEYDOWN}));
    EXPECT_EQ(emu::activeWindow(), player);
}

TEST_F(Desktop, ClicksGoToTheTopWindowUnderThePointInClientCoordinates) {
    HWND back = window(0, 0, 200, 200);
    HWND front = window(100, 100, 50, 50, WS_EX_TOPMOST);
    ShowWindow(front, SW_SHOW);
    ShowWindow(back, SW_SHOW);  // activated, but the top-most one stays above
    emu::scheduleLeftClick(10, 120, 130);
    emu::scheduleRightClick(20, 10, 20);
    emu::scheduleMouseMove(30, 500, 500);  // over nothing: lost
    runUntil(40);
    ASSERT_EQ(messagesTo(front), (std::vector<UINT>{WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP}));
    const Received& click = received[3];  // after the move and two cursor questions
    EXPECT_EQ(click.message, static_cast<UINT>(WM_LBUTTONDOWN));
    EXPECT_EQ(LOWORD(click.lParam), 20);
    EXPECT_EQ(HIWORD(click.lParam), 30);
    EXPECT_EQ(messagesTo(back), (std::vector<UINT>{WM_MOUSEMOVE, WM_RBUTTONDOWN, WM_RBUTTONUP}));
    EXPECT_EQ(emu::activeWindow(), back) << "a click activates";
    // Each mouse message is preceded by WM_SETCURSOR for the window under it.
    ASSERT_EQ(received[2].message, static_cast<UINT>(WM_SETCURSOR));
    EXPECT_EQ(received[2].wParam, reinterpret_cast<WPARAM>(front));
    EXPECT_EQ(LOWORD(received[2].lParam), HTCLIENT);
    EXPECT_EQ(HIWORD(received[2].lParam), WM_LBUTTONDOWN);
}

TEST_F(Desktop, HiddenWindowContextsReadNothingAndDropWrites) {
    HWND w = window(0, 0, 10, 10);
    HDC dc = GetDC(w);
    EXPECT_EQ(GetPixel(dc, 1, 1), CLR_INVALID) << "not shown yet";
    ShowWindow(w, SW_SHOW);
    SetPixel(dc, 1, 1, 0x0000FF);
    EXPECT_EQ(GetPixel(dc, 1, 1), 0x0000FFu);
    EXPECT_EQ(GetPixel(dc, 10, 1), CLR_INVALID);
    ShowWindow(w, SW_HIDE);
    SetPixel(dc, 2, 2, 0x00FF00);
    EXPECT_EQ(GetPixel(dc, 1, 1), CLR_INVALID);
    ShowWindow(w, SW_SHOW);
    EXPECT_EQ(GetPixel(dc, 1, 1), 0x0000FFu) << "the window keeps its pixels";
    EXPECT_EQ(GetPixel(dc, 2, 2), 0u) << "the hidden write was dropped";
    DestroyWindow(w);
    EXPECT_EQ(GetPixel(dc, 1, 1), CLR_INVALID) << "a context of a destroyed window is safe";
    ReleaseDC(w, dc);
    EXPECT_EQ(emu::liveObjectCount(), 0u);
}

TEST_F(Desktop, ResizingKeepsPixelsAndInvalidates) {
    HWND w = window(0, 0, 4, 4);
    ShowWindow(w, SW_SHOW);
    MSG m;
    PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);
    DispatchMessageA(&m);
    HDC dc = GetDC(w);
    SetPixel(dc, 3, 3, 0x123456);
    SetWindowPos(w, nullptr, 355, 177, 314, 414, SWP_NOZORDER);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 355);
    EXPECT_EQ(r.bottom, 177 + 414);
    EXPECT_EQ(GetPixel(dc, 3, 3), 0x123456u);
    EXPECT_EQ(GetPixel(dc, 313, 413), 0u);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_PAINT));
    // A client area too large to back reads nothing, never crashes.
    SetWindowPos(w, nullptr, 0, 0, 70000, 70000, SWP_NOZORDER);
    EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
    SetPixel(dc, 0, 0, 0);
    ReleaseDC(w, dc);
}

TEST_F(Desktop, CapturesShowClientPixelsAndStacking) {
    HWND back = window(0, 0, 4, 4);
    HWND front = window(2, 2, 4, 4, WS_EX_TOPMOST);
    ShowWindow(back, SW_SHOW);
    ShowWindow(front, SW_SHOW);
    HDC dc = GetDC(back);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT all{0, 0, 4, 4};
    FillRect(dc, &all, red);
    ReleaseDC(back, dc);
    dc = GetDC(front);
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    FillRect(dc, &all, blue);
    ReleaseDC(front, dc);
    DeleteObject(red);
    DeleteObject(blue);
    const emu::Image screen = emu::captureDesktop();
    ASSERT_EQ(screen.width, 1024);
    auto at = [&](int x, int y) { return screen.pixels[static_cast<std::size_t>(y * screen.width + x)]; };
    EXPECT_EQ(at(1, 1), RGB(255, 0, 0));
    EXPECT_EQ(at(3, 3), RGB(0, 0, 255));
    EXPECT_EQ(at(5, 5), RGB(0, 0, 255));
    EXPECT_EQ(at(7, 7), 0u);
    ShowWindow(back, SW_HIDE);
    const emu::Image hidden = emu::captureClient(back);
    ASSERT_EQ(hidden.width, 4);
    EXPECT_EQ(hidden.pixels[15], RGB(255, 0, 0)) << "a hidden window's client area is still captured";
    EXPECT_EQ(emu::findWindowByClass("probe"), front);
}

TEST_F(Desktop, MessageBoxRecordsAndReturnsOk) {
    HWND w = window(0, 0, 10, 10);
    EXPECT_EQ(MessageBoxA(w, "Line one\nLine two", "quillcast", MB_OK), IDOK);
    EXPECT_EQ(emu::messageBoxCount(), 1);
    EXPECT_EQ(emu::lastMessageBoxCaption(), "quillcast");
    EXPECT_EQ(emu::lastMessageBoxText(), "Line one\nLine two");
    EXPECT_EQ(emu::lastMessageBoxOwner(), w);
}

}  // namespace
