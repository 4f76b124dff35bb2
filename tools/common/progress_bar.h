// A one-line progress bar on standard error, redrawn in place; silent when
// disabled (not a terminal, or --quiet). It redraws only when what it shows
// changes, so calling it often costs little.
#pragma once

#include <string>

namespace tools {

class ProgressBar {
public:
    ProgressBar(std::string label, bool enabled) : label_(std::move(label)), enabled_(enabled) {}
    ~ProgressBar() { done(); }

    // share: 0..1 of the work; frames: written so far, or negative for none.
    void update(double share, long frames);
    // Ends the line.
    void done();

private:
    std::string label_;
    bool enabled_;
    bool drawn_ = false;
    int lastPercent_ = -1;
    long lastFrames_ = -1;
};

}  // namespace tools
