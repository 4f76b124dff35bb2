// A frame sink for the tests: keeps each frame's time, and the last picture.
#pragma once

#include <vector>

#include "engine/timelapse/frame_sink.h"

namespace testing_support {

class RecordingSink : public tools::FrameSink {
public:
    bool open() override { return opened = true; }
    bool add(const tools::Picture& frame, double seconds) override {
        if (failAt >= 0 && static_cast<int>(times.size()) == failAt) {
            error_ = "refused on purpose";
            return false;
        }
        times.push_back(seconds);
        last = frame;
        return true;
    }
    bool finish(double seconds) override {
        end = seconds;
        return finished = true;
    }

    bool opened = false;
    bool finished = false;
    int failAt = -1;
    std::vector<double> times;
    double end = -1;
    tools::Picture last;
};

}  // namespace testing_support
