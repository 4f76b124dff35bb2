#include "tools/render/gif_writer.h"

#include <gif_lib.h>

#include <algorithm>
#include <cmath>

namespace tools {

namespace {

constexpr long kShortestDelay = 2;  // hundredths; viewers slow shorter ones down
constexpr int kMostCorrections = 4;

int writeToFile(GifFileType* gif, const GifByteType* bytes, int length) {
    auto* file = static_cast<std::FILE*>(gif->UserData);
    return static_cast<int>(std::fwrite(bytes, 1, static_cast<std::size_t>(length), file));
}

long hundredths(double seconds) { return std::lround(std::max(0.0, seconds) * 100.0); }

struct ColourMap {
    ColorMapObject* map = nullptr;
    explicit ColourMap(const std::vector<std::uint32_t>& colours) {
        if (colours.empty()) return;
        // A GIF colour table has a power-of-two size of at least 2.
        int size = 2;
        while (size < static_cast<int>(colours.size())) size *= 2;
        map = GifMakeMapObject(size, nullptr);
        if (!map) return;
        for (int i = 0; i < size; ++i) {
            const std::uint32_t c = i < static_cast<int>(colours.size()) ? colours[static_cast<std::size_t>(i)] : 0;
            map->Colors[i] = GifColorType{static_cast<GifByteType>(c), static_cast<GifByteType>(c >> 8),
                                          static_cast<GifByteType>(c >> 16)};
        }
    }
    ~ColourMap() { GifFreeMapObject(map); }
    ColourMap(const ColourMap&) = delete;
    ColourMap& operator=(const ColourMap&) = delete;
};

}  // namespace

GifSink::GifSink(std::string path, std::vector<std::uint32_t> preferredColours)
    : path_(std::move(path)), colours_(std::move(preferredColours)) {}

GifSink::~GifSink() {
    if (gif_) {
        int error = 0;
        EGifCloseFile(gif_, &error);
    }
}

bool GifSink::fail(const std::string& what) {
    error_ = "cannot write " + path_ + ": " + what;
    // giflib writes its trailer on close: before the file goes away.
    if (gif_) {
        int ignored = 0;
        EGifCloseFile(gif_, &ignored);
        gif_ = nullptr;
    }
    file_.abandon();
    return false;
}

bool GifSink::open() { return file_.open(path_, error_); }

bool GifSink::start(int width, int height) {
    int error = 0;
    gif_ = EGifOpen(file_.stream(), writeToFile, &error);
    if (!gif_) return fail(GifErrorString(error));
    EGifSetGifVersion(gif_, true);
    ColourMap global(colours_.preferred());
    if (EGifPutScreenDesc(gif_, width, height, 8, 0, global.map) == GIF_ERROR)
        return fail(GifErrorString(gif_->Error));
    // The application block that makes viewers loop: count 0, forever.
    const GifByteType loop[3] = {1, 0, 0};
    if (EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
        EGifPutExtensionBlock(gif_, 11, "NETSCAPE2.0") == GIF_ERROR ||
        EGifPutExtensionBlock(gif_, 3, loop) == GIF_ERROR || EGifPutExtensionTrailer(gif_) == GIF_ERROR)
        return fail(GifErrorString(gif_->Error));
    previous_.width = shown_.width = width;
    previous_.height = shown_.height = height;
    return true;
}

// Frames between carry what changed from the previous picture; a colour
// that quantising got wrong stays so until those pixels change again. The
// last frame is made exact against what the GIF shows (exactOnly).
bool GifSink::reducePending(const Picture* before, const PictureRect& within, bool exactOnly) {
    rect_ = before ? changedRect(*before, pending_, within) : wholeOf(pending_);
    // A frame that changes nothing still carries its time: one clear pixel.
    if (rect_.empty()) rect_ = PictureRect{0, 0, 1, 1};
    std::string error;
    if (!colours_.reduce(pending_, before, rect_, exactOnly, region_, error)) return fail(error);
    return true;
}

bool GifSink::writePending(long delay) {
    const bool first = previous_.pixels.empty();
    if (!reducePending(first ? nullptr : &previous_, pendingChange_, false) || !writeFrame(delay)) return false;
    // previous_ becomes pending_: they differ only where pending_ changed.
    if (first) previous_.pixels = pending_.pixels;
    else copyRect(pending_, previous_, pendingChange_);
    return true;
}

bool GifSink::writeFrame(long delay) {
    IndexedRegion& region = region_;
    const int x = rect_.x, y = rect_.y, width = rect_.width, height = rect_.height;

    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime = static_cast<int>(std::min(delay, 65535L));
    control.TransparentColor = region.transparent >= 0 ? region.transparent : NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    ColourMap local(region.usesPreferred ? std::vector<std::uint32_t>() : region.colours);
    // giflib forgets, without freeing, the colour map of the previous frame
    // when a frame comes without one of its own.
    if (!local.map && gif_->Image.ColorMap) {
        GifFreeMapObject(gif_->Image.ColorMap);
        gif_->Image.ColorMap = nullptr;
    }
    if (EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_ERROR ||
        EGifPutImageDesc(gif_, x, y, width, height, false, local.map) == GIF_ERROR)
        return fail(GifErrorString(gif_->Error));
    for (int row = 0; row < height; ++row) {
        if (EGifPutLine(gif_, region.indices.data() + static_cast<std::ptrdiff_t>(row) * width, width) == GIF_ERROR)
            return fail(GifErrorString(gif_->Error));
    }
    // What the GIF now shows, which quantising may have left off the picture.
    const std::vector<std::uint32_t>& palette = region.usesPreferred ? colours_.preferred() : region.colours;
    if (shown_.pixels.empty()) shown_.pixels.assign(pending_.pixels.size(), 0);
    const std::uint8_t* index = region.indices.data();
    for (int row = 0; row < height; ++row) {
        std::uint32_t* into = shown_.pixels.data() + static_cast<std::ptrdiff_t>(y + row) * shown_.width + x;
        for (int col = 0; col < width; ++col, ++index) {
            if (*index != region.transparent) into[col] = palette[*index];
        }
    }
    return true;
}

bool GifSink::takes(const Picture& frame) {
    if (!file_.stream()) return fail("not open");
    if (!gif_ && !start(frame.width, frame.height)) return false;
    if (frame.width != shown_.width || frame.height != shown_.height ||
        frame.pixels.size() != static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height))
        return fail("frames differ in size");
    return true;
}

bool GifSink::add(const Picture& frame, double seconds) {
    if (!takes(frame)) return false;
    return addChanged(frame, seconds, hasPending_ ? changedRect(pending_, frame) : wholeOf(frame));
}

bool GifSink::addChanged(const Picture& frame, double seconds, const PictureRect& changed) {
    if (!takes(frame)) return false;
    const long start = hundredths(seconds);
    if (!hasPending_) {
        pending_ = frame;
        pendingChange_ = wholeOf(frame);
        pendingStart_ = start;
        hasPending_ = true;
        return true;
    }
    if (changed.empty()) return true;  // the same picture, shown longer
    if (start - pendingStart_ >= kShortestDelay) {
        if (!writePending(start - pendingStart_)) return false;
        pendingChange_ = PictureRect{};
        pendingStart_ = start;
    }
    // Too soon to be seen, the pending picture takes the later one's changes.
    copyRect(frame, pending_, changed);
    pendingChange_ = unite(pendingChange_, changed);
    return true;
}

bool GifSink::finish(double seconds) {
    if (!hasPending_) return fail("no frame was taken");
    // The finished picture comes out exact: whatever quantising left off is
    // sent again, up to 255 colours a frame (the most common first), each
    // frame as short as can be; a picture of thousands of colours keeps the
    // rest approximate.
    long remaining = std::max(kShortestDelay, hundredths(seconds) - pendingStart_);
    const bool first = previous_.pixels.empty();
    if (!reducePending(first ? nullptr : &previous_, pendingChange_, false)) return false;
    const bool approximate = !region_.complete || shown_.pixels != previous_.pixels;
    if (approximate) {
        if (!writeFrame(kShortestDelay)) return false;
        previous_.pixels = pending_.pixels;
        if (!reducePending(&shown_, wholeOf(pending_), true)) return false;
        int written = 1;
        for (; !region_.complete && written < kMostCorrections; ++written) {
            if (!writeFrame(kShortestDelay) || !reducePending(&shown_, rect_, true)) return false;
        }
        // The frames written so far come out of the hold, and only they.
        remaining = std::max(kShortestDelay, remaining - written * kShortestDelay);
    }
    if (!writeFrame(remaining)) return false;
    hasPending_ = false;
    int error = 0;
    const int closed = EGifCloseFile(gif_, &error);
    gif_ = nullptr;
    if (closed == GIF_ERROR) return fail(GifErrorString(error));
    return file_.commit(error_);
}

}  // namespace tools
