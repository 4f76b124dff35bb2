// The bounds in the emulated desktop itself: what counts as work, that only
// work actually done is charged, and that each bound fires once.
#include <gtest/gtest.h>

#include "platform/emu/desktop.h"
#include "platform/platform.h"

namespace {

int visited = 0;
VOID CALLBACK countPoint(int, int, LPARAM) { ++visited; }

class EmuLimits : public ::testing::Test {
protected:
    void SetUp() override {
        emu::resetDesktop();
        visited = 0;
    }
    void TearDown() override { emu::resetDesktop(); }
};

TEST_F(EmuLimits, LinePointsAreChargedOneEachAndTheBoundFiresOnce) {
    emu::setShowLimits(0, 10);
    try {
        LineDDA(0, 0, 40, 3, countPoint, 0);
        FAIL() << "the bound did not fire";
    } catch (const emu::LimitReached& e) {
        EXPECT_EQ(e.limit, emu::Limit::Work);
    }
    EXPECT_EQ(visited, 9);
    // Spent: the code that unwinds may draw without a second throw.
    EXPECT_NO_THROW(LineDDA(0, 0, 40, 3, countPoint, 0));
    EXPECT_EQ(visited, 9 + 40);
}

TEST_F(EmuLimits, AreasAreChargedAsFarAsTheyAreDrawn) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(64, 64, 1, 32, nullptr);
    SelectObject(dc, bitmap);
    HBRUSH brush = CreateSolidBrush(0x123456);
    emu::setShowLimits(0, 6);
    // Off the bitmap: nothing drawn, nothing charged, however large the rectangle.
    const RECT away{100000, 100000, 2000000000, 2000000000};
    for (int i = 0; i < 5; ++i) EXPECT_NO_THROW(FillRect(dc, &away, brush));
    const RECT all{-100000, -100000, 100000, 100000};
    EXPECT_NO_THROW(FillRect(dc, &all, brush));  // clipped to 4096 pixels: 4 units and 1 for the call
    EXPECT_THROW(BitBlt(dc, 0, 0, 64, 64, dc, 0, 0, SRCCOPY), emu::LimitReached);
    DeleteObject(brush);
    DeleteDC(dc);
    DeleteObject(bitmap);
}

TEST_F(EmuLimits, TheDeadlineStopsABusyWaitAtItsMillisecond) {
    emu::setShowLimits(250, 0);
    MSG msg;
    try {
        for (;;) PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    } catch (const emu::LimitReached& e) {
        EXPECT_EQ(e.limit, emu::Limit::Time);
    }
    EXPECT_EQ(emu::now(), 250u);
    EXPECT_NO_THROW(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(EmuLimits, ANewDesktopHasNoBounds) {
    emu::setShowLimits(1, 1);
    emu::resetDesktop();
    MSG msg;
    for (int i = 0; i < 10; ++i) PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    EXPECT_NO_THROW(LineDDA(0, 0, 100, 0, countPoint, 0));
}

}  // namespace
