// The message queue on the virtual clock: Win32's order, timers, the clock's
// jumps and the price of each look, the blocked-forever report, nested pumps.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/emu/desktop.h"
#include "platform/platform.h"

namespace {

std::vector<UINT> seen;
std::function<void(HWND, UINT)> onMessage;

LRESULT CALLBACK recordingProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_PAINT || m == WM_TIMER || m >= WM_USER || m == WM_KEYDOWN || m == WM_LBUTTONDOWN || m == WM_DESTROY)
        seen.push_back(m);
    if (onMessage) onMessage(w, m);
    return DefWindowProcA(w, m, wp, lp);
}

struct Queue : testing::Test {
    void SetUp() override {
        emu::resetDesktop();
        seen.clear();
        onMessage = nullptr;
        WNDCLASSA c{};
        c.style = CS_HREDRAW | CS_VREDRAW;
        c.lpfnWndProc = recordingProc;
        c.lpszClassName = "Probe";
        RegisterClassA(&c);
    }
    void TearDown() override {
        onMessage = nullptr;
        emu::resetDesktop();
    }
    static HWND window(DWORD style = WS_POPUP | WS_VISIBLE) {
        return CreateWindowExA(0, "Probe", "Probe", style, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    }
    // Dispatches until the quit message, returning its code.
    static int pump() {
        MSG m;
        while (GetMessageA(&m, nullptr, 0, 0)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        return static_cast<int>(m.wParam);
    }
};

TEST_F(Queue, PostedThenQuitThenPaintThenTimer) {
    HWND w = window();
    SetTimer(w, 49, 10, nullptr);
    PostMessageA(w, WM_USER, 0, 0);
    PostMessageA(w, WM_USER + 1, 0, 0);
    emu::scheduleCall(20, [] { PostQuitMessage(7); });
    MSG m;
    std::vector<UINT> order;
    while (GetMessageA(&m, nullptr, 0, 0)) {
        order.push_back(m.message);
        DispatchMessageA(&m);
        if (order.size() == 4) KillTimer(w, 49);
    }
    EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(m.wParam, 7u);
    // The paint comes before the timer although both wait from the start.
    EXPECT_EQ(order, (std::vector<UINT>{WM_USER, WM_USER + 1, WM_PAINT, WM_TIMER}));
}

TEST_F(Queue, QuitComesAfterPostedButBeforeInputPaintAndTimers) {
    HWND w = window();
    PostQuitMessage(3);
    PostMessageA(w, WM_USER, 0, 0);
    MSG m;
    ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_USER));
    EXPECT_FALSE(GetMessageA(&m, nullptr, 0, 0));
    EXPECT_EQ(m.wParam, 3u);
}

TEST_F(Queue, BlockingJumpsTheClockToTheNextTimerAndTimersRepeat) {
    HWND w = window();
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);  // the first paint
    const std::uint64_t start = emu::now();
    SetTimer(w, 49, 1000, nullptr);
    std::vector<std::uint64_t> ticks;
    while (ticks.size() < 3 && GetMessageA(&m, nullptr, 0, 0)) {
        if (m.message == WM_TIMER) ticks.push_back(m.time - start);  // when it came, before its price
        DispatchMessageA(&m);
    }
    EXPECT_EQ(ticks, (std::vector<std::uint64_t>{1000, 2000, 3000}));
    EXPECT_EQ(platform::time(nullptr), static_cast<std::time_t>((start + 3000) / 1000));
}

TEST_F(Queue, RearmingReplacesAndKillingDropsThePendingTick) {
    HWND w = window();
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    SetTimer(w, 49, 100, nullptr);
    emu::scheduleCall(50, [w] { SetTimer(w, 49, 100, nullptr); });  // re-armed: due at 150
    ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_TIMER));
    EXPECT_EQ(m.time, 150u);
    // Let two intervals pass without taking the tick: only one waits.
    // A filtered peek finds nothing and lets the clock run on.
    while (emu::now() < 400) PeekMessageA(&m, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_TIMER));
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) << "at most one tick pending per timer";
    while (emu::now() < 460) PeekMessageA(&m, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    EXPECT_TRUE(KillTimer(w, 49));
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) << "the due tick went with the timer";
    EXPECT_FALSE(KillTimer(w, 49));
}

TEST_F(Queue, EveryPeekCostsItsPriceSoABusyWaitMovesTheClock) {
    window();
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    const std::uint64_t before = emu::nowNs();
    for (int i = 0; i < 2500; ++i) EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(emu::nowNs(), before + 2500 * emu::kCallPrices.messageLook);
    EXPECT_EQ(platform::time(nullptr), static_cast<std::time_t>(emu::nowNs() / 1'000'000'000));
    // A waiting message is seen at the same price, and stays.
    PostMessageA(nullptr, WM_USER, 0, 0);
    EXPECT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(emu::nowNs(), before + 2502 * emu::kCallPrices.messageLook);
}

TEST_F(Queue, BlockingWithNothingToComeIsReported) {
    MSG m;
    EXPECT_THROW(GetMessageA(&m, nullptr, 0, 0), emu::BlockedForever);
    int asked = 0;
    emu::setIdleHandler([&] {
        ++asked;
        if (asked > 1) return false;
        emu::scheduleCall(emu::now() + 500, [] { PostQuitMessage(4); });
        return true;
    });
    EXPECT_EQ(pump(), 4);
    EXPECT_EQ(emu::now(), 500u);
    EXPECT_THROW(GetMessageA(&m, nullptr, 0, 0), emu::BlockedForever);
    EXPECT_EQ(asked, 2);
}

TEST_F(Queue, DestroyingAWindowInsideANestedPumpIsSafe) {
    HWND w = window();
    // The handler for WM_USER runs its own pump, which dispatches the close
    // request; the outer handler then finds its window gone.
    bool outerSawItGone = false;
    onMessage = [&](HWND h, UINT m) {
        if (m == WM_USER) {
            PostMessageA(h, WM_CLOSE, 0, 0);
            PostMessageA(h, WM_USER + 1, 0, 0);
            MSG inner;
            while (IsWindow(h) && PeekMessageA(&inner, nullptr, 0, 0, PM_NOREMOVE) && GetMessageA(&inner, nullptr, 0, 0))
                DispatchMessageA(&inner);
            outerSawItGone = !IsWindow(h);
            SetTimer(h, 49, 10, nullptr);  // on a dead window: nothing armed
        }
        if (m == WM_DESTROY) PostQuitMessage(0);
    };
    PostMessageA(w, WM_USER, 0, 0);
    EXPECT_EQ(pump(), 0);
    EXPECT_TRUE(outerSawItGone);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_FALSE(DestroyWindow(w)) << "a second destroy fails harmlessly";
    EXPECT_FALSE(PostMessageA(w, WM_USER, 0, 0));
    EXPECT_EQ(std::count(seen.begin(), seen.end(), WM_USER + 1), 0) << "messages for a destroyed window are dropped";
}

TEST_F(Queue, CloseAndSystemCloseDestroyThroughTheDefaultProcedure) {
    HWND w = window();
    emu::scheduleCall(100, [w] { SendMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0); });
    onMessage = [](HWND, UINT m) {
        if (m == WM_DESTROY) PostQuitMessage(0);
    };
    EXPECT_EQ(pump(), 0);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(emu::now(), 100u);
}

TEST_F(Queue, PaintRepeatsUntilValidated) {
    HWND w = window();
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_PAINT));
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) << "not validated yet";
    DispatchMessageA(&m);  // DefWindowProc validates
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    // Hidden windows get no paint; showing one invalidates it.
    ShowWindow(w, SW_HIDE);
    InvalidateRect(w, nullptr, FALSE);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    ShowWindow(w, SW_SHOW);
    EXPECT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    UpdateWindow(w);
    EXPECT_EQ(seen.back(), static_cast<UINT>(WM_PAINT)) << "UpdateWindow paints at once";
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
}

}  // namespace
