#include "tools/render/video_pipe.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include <sys/wait.h>
#include <unistd.h>

namespace tools {

namespace {

bool writeAll(int fd, const unsigned char* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::string findFfmpeg() {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string dir = dirs.substr(start, end - start);
        const std::string candidate = (dir.empty() ? "." : dir) + "/ffmpeg";
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return "";
}

VideoSink::VideoSink(std::string path, double framesPerSecond, std::string preset)
    : path_(std::move(path)), rate_(framesPerSecond > 0 ? framesPerSecond : 30), preset_(std::move(preset)) {}

VideoSink::~VideoSink() {
    if (child_ > 0) stopEncoder();
}

bool VideoSink::fail(const std::string& what) {
    error_ = "cannot write " + path_ + ": " + what;
    if (child_ > 0) stopEncoder();
    file_.abandon();
    return false;
}

bool VideoSink::open() {
    ffmpeg_ = findFfmpeg();
    if (ffmpeg_.empty()) {
        error_ = "cannot write " + path_ + ": ffmpeg is not installed (Debian package ffmpeg: apt-get install ffmpeg)";
        return false;
    }
    if (path_ == "-") {
        error_ = "a video cannot go to standard output";
        return false;
    }
    return file_.open(path_, error_);
}

bool VideoSink::startEncoder(int width, int height) {
    int fds[2];
    if (::pipe(fds) != 0) return fail(std::strerror(errno));
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.6g", rate_);
    const std::string output = file_.temporaryPath();
    // Players want even sizes for 4:2:0 video: pad by a pixel when odd.
    std::vector<const char*> args = {ffmpeg_.c_str(), "-hide_banner", "-loglevel", "error", "-nostdin", "-y",
                                     "-f", "rawvideo", "-pix_fmt", "rgb24", "-s", size.c_str(), "-r", rate,
                                     "-i", "pipe:0", "-vf", "pad=ceil(iw/2)*2:ceil(ih/2)*2", "-pix_fmt", "yuv420p"};
    if (!preset_.empty()) args.insert(args.end(), {"-preset", preset_.c_str()});
    args.insert(args.end(), {output.c_str(), nullptr});
    child_ = ::fork();
    if (child_ < 0) return fail(std::strerror(errno));
    if (child_ == 0) {
        ::dup2(fds[0], STDIN_FILENO);
        ::close(fds[0]);
        ::close(fds[1]);
        ::execv(ffmpeg_.c_str(), const_cast<char* const*>(args.data()));
        ::_exit(127);
    }
    ::close(fds[0]);
    pipe_ = fds[1];
    // A failing encoder must show as a failed write, not kill the renderer.
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

bool VideoSink::emitUntil(double seconds) {
    while (static_cast<double>(emitted_) / rate_ < seconds - 1e-9 || emitted_ == 0) {
        if (!writeAll(pipe_, rgb_.data(), rgb_.size())) return fail("ffmpeg stopped taking frames");
        ++emitted_;
    }
    return true;
}

bool VideoSink::add(const Picture& frame, double seconds) {
    if (!file_.stream()) return fail("not open");
    if (child_ < 0) {
        if (!startEncoder(frame.width, frame.height)) return false;
    } else {
        if (frame.width != last_.width || frame.height != last_.height) return fail("frames differ in size");
        if (!emitUntil(seconds)) return false;
    }
    last_ = frame;
    rgb_.resize(frame.pixels.size() * 3);
    for (std::size_t i = 0; i < frame.pixels.size(); ++i) {
        rgb_[i * 3] = static_cast<unsigned char>(frame.pixels[i]);
        rgb_[i * 3 + 1] = static_cast<unsigned char>(frame.pixels[i] >> 8);
        rgb_[i * 3 + 2] = static_cast<unsigned char>(frame.pixels[i] >> 16);
    }
    return true;
}

bool VideoSink::stopEncoder() {
    if (pipe_ >= 0) ::close(pipe_);
    pipe_ = -1;
    int status = 0;
    while (::waitpid(child_, &status, 0) < 0 && errno == EINTR) {
    }
    child_ = -1;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool VideoSink::finish(double seconds) {
    if (child_ < 0) return fail("no frame was taken");
    if (!emitUntil(seconds)) return false;
    if (!stopEncoder()) return fail("ffmpeg failed");
    return file_.commit(error_);
}

}  // namespace tools
