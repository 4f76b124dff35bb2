// The splash when its dialog cannot be made: the show goes on at once,
// without a wait and without touching a window that does not exist.
#include <gtest/gtest.h>

#include "platform/emu/desktop.h"
#include "resources/compiled_resources.h"
#include "shell/host.h"
#include "shell/splash.h"
#include "shell/state.h"

TEST(Splash, ADialogThatCannotBeMadeIsSkippedWithoutAWait) {
    resetPlayer();
    emu::resetDesktop(1024, 768);
    appInstance = emu::createModule(compiledResources(), compiledResourcesSize(), nullptr);
    const std::uint64_t before = emu::now();
    constexpr int kNoSuchTemplate = 9999;
    showSplash(nullptr, kNoSuchTemplate, 5);
    EXPECT_EQ(splashDialog, nullptr);
    EXPECT_EQ(emu::now(), before);
    EXPECT_TRUE(emu::topLevelWindows().empty());
}
