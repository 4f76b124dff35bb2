#include "tools/common/gif_writer.h"

#include <gif_lib.h>

#include <algorithm>
#include <cmath>
#include <cstring>

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

// The smallest rectangle holding every pixel that differs; false when none does.
bool changedRectangle(const Picture& before, const Picture& after, int& x, int& y, int& width, int& height) {
    int left = after.width, top = after.height, right = -1, bottom = -1;
    for (int row = 0; row < after.height; ++row) {
        const std::uint32_t* a = before.pixels.data() + static_cast<std::ptrdiff_t>(row) * after.width;
        const std::uint32_t* b = after.pixels.data() + static_cast<std::ptrdiff_t>(row) * after.width;
        if (std::memcmp(a, b, static_cast<std::size_t>(after.width) * sizeof *a) == 0) continue;
        int first = 0;
        while (a[first] == b[first]) ++first;
        int last = after.width - 1;
        while (a[last] == b[last]) --last;
        left = std::min(left, first);
        right = std::max(right, last);
        top = std::min(top, row);
        bottom = row;
    }
    if (right < 0) return false;
    x = left;
    y = top;
    width = right - left + 1;
    height = bottom - top + 1;
    return true;
}

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
bool GifSink::reducePending(bool exactOnly, Frame& frame) {
    const Picture& before = exactOnly ? shown_ : previous_;
    frame.x = frame.y = 0;
    frame.width = pending_.width;
    frame.height = pending_.height;
    const bool first = before.pixels.empty();
    if (!first && !changedRectangle(before, pending_, frame.x, frame.y, frame.width, frame.height))
        frame.width = frame.height = 1;
    std::string error;
    if (!colours_.reduce(pending_, first ? nullptr : &before, frame.x, frame.y, frame.width, frame.height, exactOnly,
                         frame.region, error))
        return fail(error);
    return true;
}

bool GifSink::writePending(long delay) {
    Frame frame;
    if (!reducePending(false, frame) || !writeFrame(frame, delay)) return false;
    std::swap(previous_.pixels, pending_.pixels);  // pending_ is refilled next
    return true;
}

bool GifSink::writeFrame(const Frame& frame, long delay) {
    IndexedRegion region = frame.region;  // giflib takes rows as writable
    const int x = frame.x, y = frame.y, width = frame.width, height = frame.height;

    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime = static_cast<int>(std::min(delay, 65535L));
    control.TransparentColor = region.transparent >= 0 ? region.transparent : NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    ColourMap local(region.usesPreferred ? std::vector<std::uint32_t>() : region.colours);
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
    for (int row = 0; row < height; ++row) {
        for (int col = 0; col < width; ++col) {
            const int index = region.indices[static_cast<std::size_t>(row * width + col)];
            if (index == region.transparent) continue;
            shown_.pixels[static_cast<std::size_t>(y + row) * static_cast<std::size_t>(shown_.width) +
                            static_cast<std::size_t>(x + col)] = palette[static_cast<std::size_t>(index)];
        }
    }
    return true;
}

bool GifSink::add(const Picture& frame, double seconds) {
    if (!file_.stream()) return fail("not open");
    if (!gif_ && !start(frame.width, frame.height)) return false;
    if (frame.width != shown_.width || frame.height != shown_.height) return fail("frames differ in size");
    const long start = hundredths(seconds);
    if (hasPending_) {
        if (frame.pixels == pending_.pixels) return true;
        if (start - pendingStart_ < kShortestDelay) {
            pending_.pixels = frame.pixels;  // too soon to be seen: the later picture wins
            return true;
        }
        if (!writePending(start - pendingStart_)) return false;
    }
    pending_ = frame;
    pendingStart_ = start;
    hasPending_ = true;
    return true;
}

bool GifSink::finish(double seconds) {
    if (!hasPending_) return fail("no frame was taken");
    // The finished picture comes out exact: whatever quantising left off is
    // sent again, up to 255 colours a frame, each frame as short as can be;
    // a picture of thousands of colours keeps the rest approximate.
    long remaining = std::max(kShortestDelay, hundredths(seconds) - pendingStart_);
    Frame frame;
    if (!reducePending(false, frame)) return false;
    const bool approximate = !frame.region.complete || shown_.pixels != previous_.pixels;
    if (approximate) {
        if (!writeFrame(frame, kShortestDelay)) return false;
        previous_.pixels = pending_.pixels;
        if (!reducePending(true, frame)) return false;
        for (int extra = 1; !frame.region.complete && extra < kMostCorrections; ++extra) {
            if (!writeFrame(frame, kShortestDelay) || !reducePending(true, frame)) return false;
        }
        remaining = std::max(kShortestDelay, remaining - kMostCorrections * kShortestDelay);
    }
    if (!writeFrame(frame, remaining)) return false;
    hasPending_ = false;
    int error = 0;
    const int closed = EGifCloseFile(gif_, &error);
    gif_ = nullptr;
    if (closed == GIF_ERROR) return fail(GifErrorString(error));
    return file_.commit(error_);
}

}  // namespace tools

