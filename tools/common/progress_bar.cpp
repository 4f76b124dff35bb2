#include "tools/common/progress_bar.h"

#include <algorithm>
#include <cstdio>

namespace tools {

namespace {

constexpr int kBarWidth = 30;

}  // namespace

void ProgressBar::update(double share, long frames) {
    if (!enabled_) return;
    const int percent = static_cast<int>(std::clamp(share, 0.0, 1.0) * 100.0);
    // Frame counts move fast: redraw for them only every 16 frames.
    if (percent == lastPercent_ && frames / 16 == lastFrames_ / 16) return;
    lastPercent_ = percent;
    lastFrames_ = frames;
    char bar[kBarWidth + 1];
    const int filled = percent * kBarWidth / 100;
    for (int i = 0; i < kBarWidth; ++i) bar[i] = i < filled ? '#' : '.';
    bar[kBarWidth] = '\0';
    if (frames < 0) {
        std::fprintf(stderr, "\r%s [%s] %3d%%", label_.c_str(), bar, percent);
    } else {
        std::fprintf(stderr, "\r%s [%s] %3d%%  %ld frames", label_.c_str(), bar, percent, frames);
    }
    std::fflush(stderr);
    drawn_ = true;
}

void ProgressBar::done() {
    if (drawn_) std::fputs("\n", stderr);
    drawn_ = false;
}

}  // namespace tools
