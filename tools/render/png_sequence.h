// A folder of numbered PNG files, frame-000001.png on, with frames.txt: the
// time each frame stays, in the concat-list form that ffmpeg reads
// (ffmpeg -f concat -i DIR/frames.txt out.mp4).
#pragma once

#include <cstdio>
#include <string>

#include "engine/files/atomic_output.h"
#include "engine/timelapse/frame_sink.h"

namespace tools {

class PngSequenceSink : public FrameSink {
public:
    explicit PngSequenceSink(std::string folder) : folder_(std::move(folder)) {}
    ~PngSequenceSink() override;

    bool open() override;
    bool add(const Picture& frame, double seconds) override;
    bool finish(double seconds) override;

    static std::string frameName(int number);

private:
    bool writeDuration(double until);

    std::string folder_;
    AtomicDirectory directory_;
    std::FILE* list_ = nullptr;
    int count_ = 0;
    double lastStart_ = 0;
};

}  // namespace tools
