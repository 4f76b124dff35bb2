// The one desktop of the process, and the hooks that reset it and report on it.
#include "platform/emu/desktop.h"

#include "platform/emu/desktop_state.h"

namespace emu {

Desktop& desktop() {
    static Desktop* instance = [] {
        auto* d = new Desktop;  // never destroyed: window procedures may run during exit
        return d;
    }();
    return *instance;
}

void resetDesktop(int screenWidth, int screenHeight) {
    resetGdi();  // first: window contexts point into the windows
    destroyAllWindows();
    resetQueue();
    Desktop& d = desktop();
    d.modules.clear();
    d.cursor = nullptr;
    d.waitedNs = 0;
    d.timerResolutionNs = 0;
    callCounts = CallCounts{};
    d.messageBoxes = 0;
    d.messageBoxCaption.clear();
    d.messageBoxText.clear();
    d.messageBoxOwner = nullptr;
    setShowLimits(0, 0);
    setScreenSize(screenWidth, screenHeight);
}

void setIdleHandler(std::function<bool()> handler) { desktop().idleHandler = std::move(handler); }

void setDispatchObserver(std::function<void(const MSG&)> observer) { desktop().dispatchObserver = std::move(observer); }

int messageBoxCount() { return desktop().messageBoxes; }
std::string lastMessageBoxCaption() { return desktop().messageBoxCaption; }
std::string lastMessageBoxText() { return desktop().messageBoxText; }
HWND lastMessageBoxOwner() { return desktop().messageBoxOwner; }

std::size_t liveObjectCount() {
    const Desktop& d = desktop();
    return d.objects.size() + d.liveDcs;
}

}  // namespace emu
