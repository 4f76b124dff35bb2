// Where the frames of a recorded show go: a PNG sequence, an animated GIF or
// a video. Frames arrive one at a time on the output's time line, in order;
// a sink keeps at most a frame or two, so memory stays flat however long the
// show. Nothing appears at the target until finish() succeeds, and a sink
// destroyed before that leaves nothing behind.
#pragma once

#include <string>

#include "engine/picture/picture_diff.h"

namespace tools {

class FrameSink {
public:
    virtual ~FrameSink() = default;
    // Makes the output ready (temporary file, folder or process).
    virtual bool open() = 0;
    // A frame shown from `seconds` on the output's time line (never earlier
    // than the previous frame's). Every frame has the first one's size.
    virtual bool add(const Picture& frame, double seconds) = 0;
    // The same, from a caller that knows the frame differs from the one it
    // gave before only inside `changed` (empty: the same picture). Sinks that
    // can use it skip comparing whole frames.
    virtual bool addChanged(const Picture& frame, double seconds, const PictureRect& changed) {
        static_cast<void>(changed);
        return add(frame, seconds);
    }
    // The last frame stays until `seconds`; then the output is put in place.
    virtual bool finish(double seconds) = 0;
    const std::string& error() const { return error_; }

protected:
    std::string error_;
};

}  // namespace tools
