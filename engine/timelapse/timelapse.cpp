#include "engine/timelapse/timelapse.h"

#include <cmath>

#include "canvas/canvas.h"
#include "platform/emu/desktop.h"
#include "engine/picture/picture_diff.h"
#include "engine/picture/picture_scale.h"
#include "engine/player/show_clock.h"

namespace tools {

namespace {

// The canvas's size, for pictures of the canvas alone.
struct CanvasSize {
    int width = 0;
    int height = 0;
};

// The window's picture as a still render writes it.
Picture shownPicture(bool canvasOnly, const CanvasSize& canvas) {
    Picture picture = windowPicture();
    if (canvasOnly && !picture.pixels.empty())
        picture = crop(picture, kFrameBorder, kFrameBorder, canvas.width, canvas.height);
    return picture;
}

// One run of the show. Times: the show's clock in microseconds, and the
// output's time line in seconds, which starts at `origin` (the empty framed
// canvas, or the program's start with the splashes) after `offset` seconds
// of the finished picture (--final-first).
class Recording {
public:
    enum class Phase { BeforePlayback, Playing, Drawn, Closing };

    Recording(const TimelapseSettings& settings, double speed, const std::vector<FrameSink*>& sinks,
              const Picture* finalFirst, bool measuring)
        : s_(settings), speed_(speed), sinks_(sinks), finalFirst_(finalFirst), measuring_(measuring) {}

    // Plays the show; afterwards the times and pictures below are known.
    ShowOutcome run(const ShowSetup& base, const std::function<void(double)>& progress) {
        ShowSetup setup = base;
        drawingCanvasSize(base.block, canvas_.width, canvas_.height);
        setup.progress = nullptr;
        setup.onStart = [this] { start(); };
        setup.afterTick = [this, &progress] {
            afterTick();
            if (progress) progress(shareOfDrawingRead());
        };
        setup.onFinished = [this] { return finished(); };
        ShowOutcome outcome = runShow(setup);
        endUs_ = s_.includeSplash ? showClockMicroseconds() : finishUs_;
        if (s_.includeSplash && !measuring_ && phase_ == Phase::Closing) lastLook();
        return outcome;
    }

    // Ends the output: the hold, then every sink finished.
    bool finishSinks() {
        double end = s_.includeSplash ? outputSeconds(endUs_) : outputSeconds(finishUs_) + s_.holdSeconds;
        if (s_.fps > 0) {
            // The last frame taken may show the last stroke half drawn: the
            // frames after the finish show the finished picture, and where
            // the grid has no frame left before the end, one more comes.
            if (!s_.includeSplash && !finishedFrame_.pixels.empty()) {
                if (s_.endOnFrame && last_.pixels != finishedFrame_.pixels && frameSeconds(next_) >= end - 1e-9)
                    end = frameSeconds(next_) + 1.0 / s_.fps;
                last_ = finishedFrame_;
            }
            while (frameSeconds(next_) < end - 1e-9) emit(last_, frameSeconds(next_++));
        }
        end_ = end;
        for (FrameSink* sink : sinks_) {
            if (failed_) break;
            if (!sink->finish(end)) fail(sink->error());
        }
        return !failed_;
    }

    bool failed() const { return failed_; }
    const std::string& error() const { return error_; }
    long frames() const { return frames_; }
    double end() const { return end_; }
    // The show's length that the speed compresses: up to the finished picture,
    // or to the program's end with the splashes, less the wait between the
    // finished picture and the click, which the hold takes the place of.
    std::int64_t spanUs() const {
        return endUs_ - originUs_ - (s_.includeSplash ? clickUs_ - finishUs_ : 0);
    }
    const Picture& finishedPicture() const { return finished_; }
    const Picture& finishedFrame() const { return finishedFrame_; }

private:
    void start() {
        if (!measuring_ && finalFirst_) {
            if (s_.fps > 0) {
                firstShowFrame_ = static_cast<long>(std::ceil(kFinalFirstSeconds * s_.fps - 1e-9));
                offset_ = static_cast<double>(firstShowFrame_) / s_.fps;
                for (long k = 0; k < firstShowFrame_; ++k) emit(*finalFirst_, frameSeconds(k));
                next_ = firstShowFrame_;
            } else {
                offset_ = kFinalFirstSeconds;
                emit(*finalFirst_, 0);
            }
        }
        if (s_.includeSplash) {
            originUs_ = 0;
            lookAtSplashes();
        }
    }

    void afterTick() {
        if (phase_ == Phase::BeforePlayback) {
            phase_ = Phase::Playing;
            if (!s_.includeSplash) originUs_ = showClockMicroseconds();
            if (s_.fps > 0 && !s_.includeSplash) poll();
        }
        if (s_.fps <= 0) takeIfChanged();
        lastTickUs_ = showClockMicroseconds();
        if (isDrawingDone()) phase_ = Phase::Drawn;
    }

    // The drawing is finished and the show waits for the viewer.
    bool finished() {
        // The end of the last tick: a look at the clock scheduled after it
        // must not lengthen the show.
        finishUs_ = phase_ == Phase::Drawn ? lastTickUs_ : showClockMicroseconds();
        phase_ = Phase::Drawn;
        finished_ = shownPicture(s_.canvasOnly, canvas_);
        finishedFrame_ = capture();
        if (!measuring_) {
            if (s_.fps > 0) catchUp(finishedFrame_);
            else takeIfChanged();
        }
        if (!s_.includeSplash) return false;
        // The viewer clicks at once, and the closing splash plays. The hold
        // goes into the output's time line here rather than into the show's:
        // on the show's clock it would move the closing splash against the
        // whole seconds it waits for, and the output would no longer last
        // what the measuring pass found for --duration.
        HWND window = playerWindow();
        if (!window) return false;
        RECT r;
        GetWindowRect(window, &r);
        emu::scheduleLeftClick(emu::now(), static_cast<int>(r.left) + 20, static_cast<int>(r.top) + 20);
        phase_ = Phase::Closing;
        clickUs_ = showClockMicroseconds();
        closingSeenBy_ = frames_;
        if (!measuring_) {
            // The hold starts with the finished picture, at finishUs_, as
            // without the splashes: the show's wait for its last tick is
            // left out, unless the hold is shorter.
            const double wait = static_cast<double>(clickUs_ - finishUs_) / 1e6 / speed_;
            holdShift_ = std::max(0.0, s_.holdSeconds - wait);
            holdFromUs_ = clickUs_;
            if (s_.fps > 0) {
                const double holdEnd = outputSeconds(holdFromUs_);
                while (frameSeconds(next_) < holdEnd - 1e-9) emit(finishedFrame_, frameSeconds(next_++));
            }
        }
        lookAtSplashes();
        return true;
    }

    // Keeps an eye on the screen while no tick marks the time: at every
    // millisecond for frames at a fixed rate, else every kSplashSampleMs.
    // A measuring pass looks at nothing but keeps the same appointments: the
    // show then runs on the same clock as when it is recorded.
    void lookAtSplashes() {
        if (s_.fps > 0) {
            poll();
            return;
        }
        takeIfChanged();
        if (phase_ == Phase::BeforePlayback || phase_ == Phase::Closing) {
            // Right after the click, a look every millisecond until the
            // closing splash shows, so that the hold ends when it does.
            const std::int64_t sinceClickMs = (showClockMicroseconds() - clickUs_) / 1000;
            const bool awaitingSplash = phase_ == Phase::Closing && frames_ == closingSeenBy_ &&
                                        sinceClickMs < static_cast<std::int64_t>(kSplashSampleMs);
            emu::scheduleCall(emu::now() + (awaitingSplash ? 1 : kSplashSampleMs), [this] { lookAtSplashes(); });
        }
    }

    // Frames at a fixed rate: every frame whose time has come, then a look
    // again at the next millisecond (the next stroke segment, in a stroke).
    void poll() {
        if (!measuring_) catchUp(Picture{});
        if (phase_ == Phase::Playing || (s_.includeSplash && phase_ != Phase::Drawn))
            emu::scheduleCall(emu::now() + 1, [this] { poll(); });
    }

    void catchUp(Picture picture) {
        const std::int64_t now = showClockMicroseconds();
        while (frameShowUs(next_) <= now) {
            if (picture.pixels.empty()) picture = capture();
            emit(picture, frameSeconds(next_++));
        }
    }

    void lastLook() {
        if (s_.fps > 0) catchUp(Picture{});
        else takeIfChanged();
    }

    // A frame after a stroke: only the part that changed is compared again
    // and handed on, so the sinks need not look at whole pictures.
    void takeIfChanged() {
        if (measuring_) return;
        capture(scratch_);
        const PictureRect changed = frames_ > 0 ? changedRect(last_, scratch_) : wholeOf(scratch_);
        if (frames_ > 0 && changed.empty()) return;
        if (send(scratch_, outputSeconds(showClockMicroseconds()), &changed)) std::swap(last_, scratch_);
    }

    Picture capture() const {
        Picture picture;
        capture(picture);
        return picture;
    }

    // Into `picture`, reusing its storage where the window is taken as it is.
    void capture(Picture& picture) const {
        HWND window = playerWindow();
        if (!s_.includeSplash && !s_.canvasOnly && s_.width <= 0 && window) {
            emu::Image image;
            image.pixels.swap(picture.pixels);
            emu::captureClient(window, image);
            picture.width = image.width;
            picture.height = image.height;
            picture.pixels.swap(image.pixels);
            return;
        }
        picture = s_.includeSplash ? screenPicture() : shownPicture(s_.canvasOnly, canvas_);
        if (s_.width > 0) picture = scaleNearest(picture, s_.width, s_.height);
    }

    // Sends a frame to every sink and keeps it as the latest picture.
    void emit(const Picture& picture, double seconds) {
        if (send(picture, seconds) && &picture != &last_) last_ = picture;
    }

    // changed: where the picture differs from the one sent before, if known.
    bool send(const Picture& picture, double seconds, const PictureRect* changed = nullptr) {
        if (failed_ || picture.pixels.empty()) return false;
        for (FrameSink* sink : sinks_) {
            if (!(changed ? sink->addChanged(picture, seconds, *changed) : sink->add(picture, seconds))) {
                fail(sink->error());
                return false;
            }
        }
        ++frames_;
        return true;
    }

    void fail(const std::string& error) {
        if (failed_) return;
        failed_ = true;
        error_ = error;
    }

    // Times after the viewer's click come the hold later in the output.
    double outputSeconds(std::int64_t us) const {
        const double hold = holdFromUs_ >= 0 && us >= holdFromUs_ ? holdShift_ : 0.0;
        return offset_ + static_cast<double>(us - originUs_) / 1e6 / speed_ + hold;
    }
    double frameSeconds(long k) const { return static_cast<double>(k) / s_.fps; }
    // The moment of the show that frame k shows; frames in the hold are
    // written when it begins.
    std::int64_t frameShowUs(long k) const {
        double seconds = static_cast<double>(k - firstShowFrame_) / s_.fps;
        if (holdFromUs_ >= 0 && frameSeconds(k) >= outputSeconds(holdFromUs_) - 1e-9) seconds -= holdShift_;
        return originUs_ + std::llround(seconds * speed_ * 1e6);
    }

    const TimelapseSettings& s_;
    double speed_;
    const std::vector<FrameSink*>& sinks_;
    const Picture* finalFirst_;
    bool measuring_;

    CanvasSize canvas_;
    Phase phase_ = Phase::BeforePlayback;
    std::int64_t originUs_ = 0;
    std::int64_t finishUs_ = 0;
    std::int64_t lastTickUs_ = 0;
    std::int64_t endUs_ = 0;
    // With the splashes: the viewer's click, from which on the output runs
    // holdShift_ seconds later (not when measuring).
    std::int64_t clickUs_ = 0;
    std::int64_t holdFromUs_ = -1;
    double holdShift_ = 0;
    long closingSeenBy_ = 0;  // frames_ at the click
    double offset_ = 0;
    long firstShowFrame_ = 0;
    long next_ = 0;  // the next frame at a fixed rate
    long frames_ = 0;
    double end_ = 0;
    Picture last_;     // the picture sent last
    Picture scratch_;  // the next one, taken into last time's storage
    Picture finished_;
    Picture finishedFrame_;
    bool failed_ = false;
    std::string error_;
};

}  // namespace

bool recordTimelapse(const ShowSetup& show, const TimelapseSettings& settings, const std::vector<FrameSink*>& sinks,
                     const TimelapseProgress& progress, TimelapseResult& result) {
    result = TimelapseResult{};
    for (FrameSink* sink : sinks) {
        if (!sink->open()) {
            result.message = sink->error();
            return false;
        }
    }

    const bool measure = settings.durationSeconds > 0 || settings.finalFirst;
    const int passes = measure ? 2 : 1;
    int pass = 0;
    long frames = 0;
    const auto report = [&](double share) {
        if (progress) progress((pass + share) / passes, frames);
    };

    double speed = settings.speed;
    Picture finalFirst;
    if (measure) {
        const std::vector<FrameSink*> none;
        Recording measuring(settings, speed, none, nullptr, true);
        const ShowOutcome outcome = measuring.run(show, report);
        if (!outcome.message.empty() || outcome.corrupted) {
            result.corrupted = outcome.corrupted;
            result.message = outcome.message.empty() ? "the show could not be played" : outcome.message;
            return false;
        }
        if (settings.durationSeconds > 0) {
            const double fixed = settings.holdSeconds + (settings.finalFirst ? kFinalFirstSeconds : 0.0);
            const double left = settings.durationSeconds - fixed;
            if (left <= 0) {
                result.message = "--duration must be longer than the hold and --final-first together";
                return false;
            }
            const double span = static_cast<double>(measuring.spanUs()) / 1e6;
            speed = span > 0 ? span / left : 1.0;
        }
        finalFirst = measuring.finishedFrame();
        ++pass;
    }

    Recording recording(settings, speed, sinks, settings.finalFirst ? &finalFirst : nullptr, false);
    result.outcome = recording.run(show, [&](double share) {
        frames = recording.frames();
        report(share);
    });
    result.speed = speed;
    result.corrupted = result.outcome.corrupted;
    result.finished = recording.finishedPicture();
    if (result.corrupted || !result.outcome.message.empty()) {
        result.message = result.outcome.message.empty() ? "the show could not be played" : result.outcome.message;
        return false;
    }
    if (recording.failed()) {
        result.message = recording.error();
        return false;
    }
    if (!recording.finishSinks()) {
        result.message = recording.error();
        return false;
    }
    result.frames = recording.frames();
    result.seconds = recording.end();
    if (progress) progress(1.0, result.frames);
    return true;
}

}  // namespace tools
