#include "engine/player/tick_timeline.h"

#include "platform/emu/desktop.h"
#include "shell/player_window.h"

namespace tools {

TickTimeline recordTickTimeline(ShowSetup setup, const std::function<void(std::size_t, const Picture&)>& picture) {
    TickTimeline timeline;
    emu::Image image;
    Picture frame;
    setup.afterTick = [&] {
        timeline.ticks.push_back(TickRecord{emu::nowNs(), emu::callCounts});
        if (!picture) return;
        emu::captureClient(emu::findWindowByClass(kPlayerClassName), image);
        frame.width = image.width;
        frame.height = image.height;
        frame.pixels.swap(image.pixels);
        picture(timeline.ticks.size() - 1, frame);
        frame.pixels.swap(image.pixels);
    };
    const ShowOutcome outcome = runShow(setup);
    if (!outcome.message.empty()) timeline.message = outcome.message;
    else if (outcome.stop != ShowStop::None) timeline.message = std::string("stopped by ") + describeStop(outcome.stop);
    return timeline;
}

}  // namespace tools
