// Runs the player's WinMain on a fresh emulated desktop for scenario tests:
// schedule input and probes at virtual times, then run the show to its end.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "drawing/block.h"
#include "platform/emu/desktop.h"
#include "resources/compiled_resources.h"
#include "shell/host.h"
#include "shell/player_window.h"
#include "shell/win_main.h"
#include "tests/support/show_bounds.h"
#include "engine/player/headless_player.h"

namespace testing_support {

class PlayerHarness {
public:
    explicit PlayerHarness(const std::vector<std::uint8_t>& block, const std::string& programPath = "",
                           int screenWidth = 1024, int screenHeight = 768) {
        resetPlayer();
        emu::resetDesktop(screenWidth, screenHeight);
        loadDrawingBlock(block.data());
        program_ = programPath;
        module_ = emu::createModule(compiledResources(), compiledResourcesSize(),
                                    program_.empty() ? nullptr : program_.c_str());
    }
    ~PlayerHarness() { emu::setIdleHandler(nullptr); }

    // Runs fn when the virtual clock reaches ms.
    void at(std::uint64_t ms, std::function<void()> fn) { emu::scheduleCall(ms, std::move(fn)); }

    // Once the show waits for the viewer only, a click on the window ends it.
    void clickWhenFinished() {
        emu::setIdleHandler([this] {
            HWND window = player();
            if (finishedAt_ != 0 || !window) return false;
            finishedAt_ = emu::now();
            RECT r;
            GetWindowRect(window, &r);
            emu::scheduleLeftClick(emu::now(), static_cast<int>(r.left + 20), static_cast<int>(r.top + 20));
            return true;
        });
    }

    // Plays the show to its end under the test bounds; a show that reaches
    // one fails the test and answers -1.
    int run() {
        emu::setShowLimits(kTestShowMs, kTestWorkUnits);
        try {
            const int exitCode = WinMain(module_, nullptr, nullptr, SW_SHOWNORMAL);
            emu::setShowLimits(0, 0);
            return exitCode;
        } catch (const emu::LimitReached& e) {
            emu::setShowLimits(0, 0);
            ADD_FAILURE() << describeNeverEnding(e.limit == emu::Limit::Time ? tools::ShowStop::TimeLimit
                                                                            : tools::ShowStop::WorkLimit)
                          << " (" << e.what() << ")";
            if (HWND window = player()) DestroyWindow(window);
            return -1;
        } catch (const emu::BlockedForever& e) {
            emu::setShowLimits(0, 0);
            ADD_FAILURE() << "the show stopped: " << e.what();
            return -1;
        }
    }

    static HWND player() { return emu::findWindowByClass(kPlayerClassName); }

    // The top-level windows other than the player (the splash dialogs).
    static std::vector<HWND> splashes() {
        std::vector<HWND> out;
        for (HWND w : emu::topLevelWindows()) {
            if (w != player() && IsWindowVisible(w)) out.push_back(w);
        }
        return out;
    }

    static RECT rectOf(HWND window) {
        RECT r = {0, 0, 0, 0};
        GetWindowRect(window, &r);
        return r;
    }

    std::uint64_t finishedAt() const { return finishedAt_; }

private:
    std::string program_;
    HINSTANCE module_ = nullptr;
    std::uint64_t finishedAt_ = 0;
};

inline void expectRect(const RECT& r, long left, long top, long width, long height) {
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right - r.left, width);
    EXPECT_EQ(r.bottom - r.top, height);
}

}  // namespace testing_support
