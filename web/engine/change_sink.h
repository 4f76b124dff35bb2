// A frame sink that hands on only what changed between frames, as RGBA
// rectangles, to the page, which keeps them all to replay the show. So that
// a hostile drawing cannot fill the page's memory, the changes of one show
// are bounded in bytes; the show is cut where they pass the bound.
#pragma once

#include <cstddef>
#include <vector>

#include "engine/timelapse/frame_sink.h"
#include "web/engine/show.h"

namespace web {

class ChangeSink : public tools::FrameSink {
public:
    ChangeSink(FrameOut out, std::size_t budgetBytes) : out_(std::move(out)), budget_(budgetBytes) {}

    bool open() override { return true; }
    bool add(const tools::Picture& frame, double seconds) override;
    bool addChanged(const tools::Picture& frame, double seconds, const tools::PictureRect& changed) override;
    bool finish(double seconds) override;

    // Whether the bound cut the show, and where on its clock.
    bool isFull() const { return full_; }
    double fullAt() const { return fullAt_; }

    // Hands on one rectangle of `picture` (the whole of it when `rect` is).
    static void send(const tools::Picture& picture, const tools::PictureRect& rect, double seconds,
                     std::vector<std::uint8_t>& rgba, const FrameOut& out);

private:
    FrameOut out_;
    std::size_t budget_;
    std::size_t spent_ = 0;
    bool full_ = false;
    double fullAt_ = 0;
    tools::Picture last_;
    bool sent_ = false;
    std::vector<std::uint8_t> rgba_;
};

}  // namespace web
