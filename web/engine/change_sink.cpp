#include "web/engine/change_sink.h"

#include <cstdio>

namespace web {

bool ChangeSink::add(const tools::Picture& frame, double seconds) {
    const bool sameSize = sent_ && frame.width == last_.width && frame.height == last_.height;
    return addChanged(frame, seconds, sameSize ? tools::changedRect(last_, frame) : tools::wholeOf(frame));
}

bool ChangeSink::addChanged(const tools::Picture& frame, double seconds, const tools::PictureRect& changed) {
    const bool sameSize = sent_ && frame.width == last_.width && frame.height == last_.height;
    if (sameSize && changed.empty()) return true;
    const tools::PictureRect rect = sameSize ? changed : tools::wholeOf(frame);
    const std::size_t bytes = static_cast<std::size_t>(rect.width) * static_cast<std::size_t>(rect.height) * 4;
    if (bytes > budget_ - spent_) {
        full_ = true;
        fullAt_ = seconds;
        char text[120];
        std::snprintf(text, sizeof text, "stopped after %.3f s of the show: its changes passed %g MiB", seconds,
                      static_cast<double>(budget_) / (1 << 20));
        error_ = text;
        return false;
    }
    spent_ += bytes;
    send(frame, rect, seconds, rgba_, out_);
    if (sameSize) {
        tools::copyRect(frame, last_, rect);
    } else {
        last_ = frame;
    }
    sent_ = true;
    return true;
}

bool ChangeSink::finish(double) { return true; }

void ChangeSink::send(const tools::Picture& picture, const tools::PictureRect& rect, double seconds,
                      std::vector<std::uint8_t>& rgba, const FrameOut& out) {
    rgba.resize(static_cast<std::size_t>(rect.width) * static_cast<std::size_t>(rect.height) * 4);
    std::uint8_t* to = rgba.data();
    for (int row = rect.y; row < rect.y + rect.height; ++row) {
        const std::uint32_t* from =
            picture.pixels.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(picture.width) + rect.x;
        for (int column = 0; column < rect.width; ++column, to += 4) {
            const std::uint32_t c = from[column];  // 0x00BBGGRR
            to[0] = static_cast<std::uint8_t>(c);
            to[1] = static_cast<std::uint8_t>(c >> 8);
            to[2] = static_cast<std::uint8_t>(c >> 16);
            to[3] = 0xFF;
        }
    }
    FrameChange change;
    change.seconds = seconds;
    change.x = rect.x;
    change.y = rect.y;
    change.width = rect.width;
    change.height = rect.height;
    change.pictureWidth = picture.width;
    change.pictureHeight = picture.height;
    change.rgba = rgba.data();
    out(change);
}

}  // namespace web
