// The show as a viewer sees it: the window, the splashes, the timer and the
// ways a show ends, on the emulated desktop under the virtual clock.
#include <gtest/gtest.h>

#include "canvas/pen_state.h"
#include "drawing/reader.h"
#include "shell/state.h"
#include "tests/player/harness.h"
#include "tests/support/block_builder.h"

namespace {

using testing_support::BlockBuilder;
using testing_support::expectRect;
using testing_support::PlayerHarness;

std::vector<std::uint8_t> smallDrawing() {
    BlockBuilder b(300, 400);
    b.colour(0x2040C0).brushSize(2);
    for (int i = 0; i < 5; ++i) b.stroke({{10, 10 + 20 * i}, {200, 30 + 20 * i}, {250, 300}});
    return b.block();
}

TEST(Show, WindowSplashAndPlacementFollowTheClock) {
    PlayerHarness show(smallDrawing());
    show.at(500, [] {
        HWND w = PlayerHarness::player();
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(IsWindowVisible(w));
        expectRect(PlayerHarness::rectOf(w), 0, 0, 200, 200);
        EXPECT_TRUE(PlayerHarness::splashes().empty());
    });
    show.at(1500, [] {
        // The opening splash: 263 x 88 plus twice the frame metric, centred,
        // while the empty window still waits at the top-left corner.
        auto splashes = PlayerHarness::splashes();
        ASSERT_EQ(splashes.size(), 1u);
        expectRect(PlayerHarness::rectOf(splashes[0]), (1024 - 271) / 2, (768 - 96) / 2, 271, 96);
        expectRect(PlayerHarness::rectOf(PlayerHarness::player()), 0, 0, 200, 200);
    });
    show.at(6100, [] {
        EXPECT_TRUE(PlayerHarness::splashes().empty());
        expectRect(PlayerHarness::rectOf(PlayerHarness::player()), 355, 177, 314, 414);
        EXPECT_TRUE(IsWindowVisible(PlayerHarness::player()));
    });
    show.clickWhenFinished();
    EXPECT_EQ(show.run(), 0);
    EXPECT_TRUE(isDrawingUsedUp());
    EXPECT_EQ(stopFlag, 1);
    EXPECT_EQ(PlayerHarness::player(), nullptr);
    EXPECT_EQ(emu::liveObjectCount(), 0u) << "every context, bitmap, brush and palette is released";
}

TEST(Show, OneStrokePerTick) {
    // One-segment strokes: the stroke's one message pump comes after the
    // whole record is read, so a probe never sees a stroke half read.
    BlockBuilder b(300, 400);
    std::vector<std::uint32_t> ends;
    b.colour(0x000000);
    for (int i = 0; i < 4; ++i) {
        b.penMode(1).stroke({{10, 10 * i}, {100, 10 * i}});
        ends.push_back(b.position());
    }
    PlayerHarness show(b.block());
    std::vector<std::uint32_t> seen;
    std::function<void()> sample = [&] {
        const bool started = drawingCursor != 0;
        if (started && (seen.empty() || seen.back() != drawingCursor)) seen.push_back(drawingCursor);
        if (!isDrawingUsedUp()) show.at(emu::now() + 1, sample);
    };
    show.at(6000, sample);
    show.clickWhenFinished();
    EXPECT_EQ(show.run(), 0);
    ASSERT_GE(seen.size(), ends.size() + 2);
    EXPECT_EQ(seen[0], 1056u);
    for (std::size_t i = 0; i < ends.size(); ++i) EXPECT_EQ(seen[i + 1], ends[i]) << "tick " << i + 1;
    EXPECT_EQ(seen.back(), format::kDrawingBlockSize) << "the zero tail goes in one last tick";
}

TEST(Show, PlaceholderShowsAWhiteCanvasAndNoPlayback) {
    PlayerHarness show(testing_support::placeholderBlock());
    show.at(6100, [] { expectRect(PlayerHarness::rectOf(PlayerHarness::player()), 405, 277, 214, 214); });
    show.clickWhenFinished();
    EXPECT_EQ(show.run(), 0);
    EXPECT_EQ(drawingCursor, 0u) << "no byte of a placeholder is read";
    EXPECT_LT(show.finishedAt(), 6200u) << "no tick follows the first";
}

TEST(Show, PlacementOnOtherScreens) {
    BlockBuilder wide(1001, 100);
    PlayerHarness show(wide.block(), "", 800, 600);
    show.at(6100, [] { expectRect(PlayerHarness::rectOf(PlayerHarness::player()), -107, (600 - 114) / 2, 1015, 114); });
    show.clickWhenFinished();
    EXPECT_EQ(show.run(), 0);
}

TEST(Show, AClickDuringTheOpeningSplashEndsTheShowBeforePlacement) {
    PlayerHarness show(smallDrawing());
    emu::scheduleLeftClick(3000, 100, 100);
    show.at(3500, [] {
        HWND w = PlayerHarness::player();
        EXPECT_FALSE(IsWindowVisible(w));
        auto splashes = PlayerHarness::splashes();
        ASSERT_EQ(splashes.size(), 2u) << "the closing splash over the opening one";
        expectRect(PlayerHarness::rectOf(splashes[0]), (1024 - 244) / 2, (768 - 94) / 2, 244, 94);
    });
    EXPECT_EQ(show.run(), 0);
    EXPECT_GE(emu::now(), 9000u);
    EXPECT_LT(emu::now(), 10500u);
    EXPECT_EQ(drawingCursor, 0u) << "the prologue was never read";
    EXPECT_EQ(splashDialog, nullptr);
}

TEST(Show, AKeyGoesToTheSplashAndDoesNotEndTheShow) {
    PlayerHarness show(smallDrawing());
    emu::scheduleKeyDown(3000, VK_SPACE);
    show.at(6100, [] { expectRect(PlayerHarness::rectOf(PlayerHarness::player()), 355, 177, 314, 414); });
    show.clickWhenFinished();
    EXPECT_EQ(show.run(), 0);
    EXPECT_TRUE(isDrawingUsedUp());
}

TEST(Show, AKeyOnThePlayerEndsTheShowAndTicksGoOnIntoTheHiddenWindow) {
    BlockBuilder b(300, 400);
    for (int i = 0; i < 400; ++i) b.stroke({{10, i % 400}, {290, (i * 7) % 400}});
    PlayerHarness show(b.block());
    std::uint32_t cursorAtKey = 0;
    emu::scheduleKeyDown(6300, VK_RETURN);
    show.at(6300, [&] { cursorAtKey = drawingCursor; });
    show.at(7000, [&] {
        EXPECT_FALSE(IsWindowVisible(PlayerHarness::player()));
        EXPECT_EQ(PlayerHarness::splashes().size(), 1u);
        EXPECT_GT(drawingCursor, cursorAtKey) << "playback goes on during the closing splash";
    });
    EXPECT_EQ(show.run(), 0);
    EXPECT_GT(emu::now(), 6300u + 6000u);
}

TEST(Show, RightClicksMovesAndAltKeysDoNotEndTheShow) {
    PlayerHarness show(smallDrawing());
    emu::scheduleRightClick(6200, 500, 400);
    emu::scheduleMouseMove(6250, 520, 420);
    emu::scheduleSysKeyDown(6300, VK_F10);
    show.clickWhenFinished();
    EXPECT_EQ(show.run(), 0);
    EXPECT_TRUE(isDrawingUsedUp());
    EXPECT_GT(show.finishedAt(), 0u);
}

TEST(Show, AClickAfterTheDrawingIsFinishedClosesAfterTheSplash) {
    PlayerHarness show(smallDrawing());
    emu::scheduleLeftClick(60000, 500, 400);
    EXPECT_EQ(show.run(), 0);
    EXPECT_GE(emu::now(), 66000u);
    EXPECT_LT(emu::now(), 67500u);
}

TEST(Show, AClickBeforeTheFirstTickLetsStartUpRunInsideTheClosingSplash) {
    PlayerHarness show(smallDrawing());
    emu::scheduleLeftClick(500, 100, 100);
    show.at(6500, [] {
        HWND w = PlayerHarness::player();
        EXPECT_TRUE(IsWindowVisible(w)) << "start-up shows the window again";
        expectRect(PlayerHarness::rectOf(w), 355, 177, 314, 414);
    });
    EXPECT_EQ(show.run(), 0);
    EXPECT_GE(emu::now(), 6500u);
    EXPECT_LT(emu::now(), 8000u);
    EXPECT_EQ(splashDialog, nullptr);
}

TEST(Show, ClosedFromOutsideDuringTheOpeningSplash) {
    PlayerHarness show(smallDrawing());
    show.at(3000, [] { SendMessageA(PlayerHarness::player(), WM_SYSCOMMAND, SC_CLOSE, 0); });
    EXPECT_EQ(show.run(), 0);
    EXPECT_LT(emu::now(), 3100u) << "the wait ends on the stop flag";
    EXPECT_EQ(drawingCursor, 0u);
    EXPECT_EQ(emu::liveObjectCount(), 0u);
}

// The stroke loop lets one message through between two segments; when that
// message destroys the window, the Canvas is gone and the loop must stop
// before the next segment. Under the sanitizers a segment drawn after that
// is a use after free.
TEST(Show, ClosedFromOutsideInTheMiddleOfALongStroke) {
    BlockBuilder b(300, 400);
    b.colour(0x000000).brushSize(2).word(2).dword(3000);
    const std::uint32_t firstPoint = b.position();
    for (int i = 0; i < 3000; ++i) b.word(static_cast<std::uint16_t>(10 + i % 280)).word(static_cast<std::uint16_t>(10 + i / 10));
    const std::uint32_t strokeEnd = b.position();
    b.stroke({{0, 0}, {299, 399}});

    PlayerHarness show(b.block());
    std::uint32_t cursorAtClose = 0;
    std::function<void()> closeMidStroke = [&] {
        if (drawingCursor > firstPoint + 4 * 500) {
            cursorAtClose = drawingCursor;
            PostMessageA(PlayerHarness::player(), WM_CLOSE, 0, 0);
            return;
        }
        if (!isDrawingUsedUp()) show.at(emu::now() + 1, closeMidStroke);
    };
    show.at(6000, closeMidStroke);
    EXPECT_EQ(show.run(), 0);
    ASSERT_GT(cursorAtClose, 0u) << "the stroke was never seen half drawn";
    EXPECT_LT(cursorAtClose, strokeEnd - 4 * 1000);
    EXPECT_EQ(stopFlag, 1);
    EXPECT_LE(drawingCursor, cursorAtClose + 4) << "no segment after the window was destroyed";
    EXPECT_EQ(PlayerHarness::player(), nullptr);
    EXPECT_EQ(emu::liveObjectCount(), 0u);
}

TEST(Show, ClosedFromOutsideDuringTheClosingSplash) {
    PlayerHarness show(smallDrawing());
    emu::scheduleLeftClick(20000, 500, 400);
    show.at(22000, [] { PostMessageA(PlayerHarness::player(), WM_CLOSE, 0, 0); });
    EXPECT_EQ(show.run(), 0);
    EXPECT_LT(emu::now(), 22100u);
}

}  // namespace
