// Timers on Windows' system tick: with a resolution set, a timer comes due
// at the first tick of the system clock at or after its interval ran out;
// without one (Wine's way, the default) as soon as it ran out.
#include <gtest/gtest.h>

#include <vector>

#include "platform/emu/desktop.h"

namespace {

constexpr std::uint64_t kWindowsTick = 15'625'000;  // ns

LRESULT CALLBACK plainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

struct TimerResolution : testing::Test {
    HWND window = nullptr;
    void SetUp() override {
        emu::resetDesktop();
        WNDCLASSA c{};
        c.lpfnWndProc = plainProc;
        c.lpszClassName = "Timed";
        RegisterClassA(&c);
        window = CreateWindowExA(0, "Timed", "Timed", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    }
    void TearDown() override { emu::resetDesktop(); }

    // When the next `count` ticks arrived, before each one's own price.
    std::vector<std::uint64_t> ticks(int count) {
        std::vector<std::uint64_t> at;
        MSG m;
        while (static_cast<int>(at.size()) < count && GetMessageA(&m, nullptr, 0, 0)) {
            if (m.message == WM_TIMER) at.push_back(emu::nowNs() - emu::kCallPrices.tick);
            DispatchMessageA(&m);
        }
        return at;
    }
};

TEST_F(TimerResolution, TimersComeDueOnTheSystemTick) {
    emu::setTimerResolution(kWindowsTick);
    SetTimer(window, 49, 10, nullptr);
    EXPECT_EQ(ticks(3), (std::vector<std::uint64_t>{kWindowsTick, 2 * kWindowsTick, 3 * kWindowsTick}))
        << "a 10 ms timer ticks every 15.625 ms";
    KillTimer(window, 49);

    // A one-shot armed between two system ticks waits for the next one
    // after its 10 ms: armed at 50 ms, due at 60, it comes at 62.5.
    emu::scheduleCall(50, [this] { SetTimer(window, 49, 10, nullptr); });
    const std::vector<std::uint64_t> at = ticks(1);
    ASSERT_EQ(at.size(), 1u);
    EXPECT_EQ(at[0], 4 * kWindowsTick);
}

TEST_F(TimerResolution, WithoutOneTimersComeDueWhenTheirIntervalRanOut) {
    SetTimer(window, 49, 10, nullptr);
    const std::uint64_t ms = 1'000'000;
    // Each tick's price delays the next check, not the timer's own rhythm.
    EXPECT_EQ(ticks(3), (std::vector<std::uint64_t>{10 * ms, 20 * ms, 30 * ms}));
    EXPECT_EQ(emu::timerResolution(), 0u);
    emu::setTimerResolution(kWindowsTick);
    emu::resetDesktop();
    EXPECT_EQ(emu::timerResolution(), 0u) << "a fresh desktop has no resolution";
}

}  // namespace
