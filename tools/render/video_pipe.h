// A video made by ffmpeg (Debian's ffmpeg package), fed raw RGB frames
// through a pipe at a fixed frame rate: each frame is repeated until the next
// one's time comes. ffmpeg writes a temporary file beside the target, which
// is renamed into place once ffmpeg has finished without an error.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

#include "engine/files/atomic_output.h"
#include "engine/timelapse/frame_sink.h"

namespace tools {

// The ffmpeg program on PATH, or empty.
std::string findFfmpeg();

class VideoSink : public FrameSink {
public:
    // preset: the H.264 encoder's speed against size ("veryfast"); empty: ffmpeg's default.
    VideoSink(std::string path, double framesPerSecond, std::string preset = {});
    ~VideoSink() override;

    bool open() override;
    bool add(const Picture& frame, double seconds) override;
    bool finish(double seconds) override;

private:
    bool startEncoder(int width, int height);
    bool emitUntil(double seconds);
    bool stopEncoder();
    bool fail(const std::string& what);

    std::string path_;
    double rate_;
    std::string preset_;
    std::string ffmpeg_;
    AtomicFile file_;
    pid_t child_ = -1;
    int pipe_ = -1;
    Picture last_;
    std::vector<unsigned char> rgb_;  // last_ as ffmpeg takes it
    long emitted_ = 0;                // frames sent so far
};

}  // namespace tools
