// A frame sink that hands on only what changed between frames, as RGBA
// rectangles, to the page.
#pragma once

#include <vector>

#include "tools/render/frame_sink.h"
#include "web/engine/show.h"

namespace web {

class ChangeSink : public tools::FrameSink {
public:
    explicit ChangeSink(FrameOut out) : out_(std::move(out)) {}

    bool open() override { return true; }
    bool add(const tools::Picture& frame, double seconds) override;
    bool addChanged(const tools::Picture& frame, double seconds, const tools::PictureRect& changed) override;
    bool finish(double seconds) override;

    double endSeconds() const { return end_; }

    // Hands on one rectangle of `picture` (the whole of it when `rect` is).
    static void send(const tools::Picture& picture, const tools::PictureRect& rect, double seconds,
                     std::vector<std::uint8_t>& rgba, const FrameOut& out);

private:
    FrameOut out_;
    tools::Picture last_;
    bool sent_ = false;
    std::vector<std::uint8_t> rgba_;
    double end_ = 0;
};

}  // namespace web
