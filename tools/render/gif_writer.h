// An animated GIF (giflib) that loops forever. Each frame after the first
// holds only the rectangle that changed and is laid over the previous one,
// so a long show stays small and quick to write; a caller that knows that
// rectangle (addChanged) spares the sink comparing whole frames. GIF times are whole
// hundredths of a second and viewers stretch anything under two of them, so
// frames closer together than 20 ms are merged (the later picture wins), and
// a frame equal to the one before only lengthens it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/files/atomic_output.h"
#include "engine/timelapse/frame_sink.h"
#include "tools/render/gif_colours.h"

struct GifFileType;

namespace tools {

class GifSink : public FrameSink {
public:
    // preferredColours: the drawing's palette, tried first for every frame.
    GifSink(std::string path, std::vector<std::uint32_t> preferredColours);
    ~GifSink() override;

    bool open() override;
    bool add(const Picture& frame, double seconds) override;
    bool addChanged(const Picture& frame, double seconds, const PictureRect& changed) override;
    bool finish(double seconds) override;

private:
    bool start(int width, int height);
    bool takes(const Picture& frame);
    // The pending picture against `before` (null: the first frame) inside
    // `within`, into rect_ and region_.
    bool reducePending(const Picture* before, const PictureRect& within, bool exactOnly);
    bool writePending(long delayHundredths);
    bool writeFrame(long delayHundredths);
    bool fail(const std::string& what);

    std::string path_;
    GifColours colours_;
    AtomicFile file_;
    GifFileType* gif_ = nullptr;
    Picture pending_;            // the last frame added, waiting for its duration
    PictureRect pendingChange_;  // where it may differ from previous_
    long pendingStart_ = 0;      // in hundredths of a second
    bool hasPending_ = false;
    Picture previous_;           // the picture of the last frame written
    Picture shown_;              // what the GIF shows: previous_ as its colours came out
    PictureRect rect_;           // the frame at hand: its place and pixels
    IndexedRegion region_;
};

}  // namespace tools
