#include "tools/render/png_sequence.h"

#include <algorithm>

#include "engine/files/files.h"
#include "tools/common/png_writer.h"

namespace tools {

PngSequenceSink::~PngSequenceSink() {
    if (list_) std::fclose(list_);
}

std::string PngSequenceSink::frameName(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06d.png", number);
    return name;
}

bool PngSequenceSink::open() {
    if (!directory_.open(folder_, error_)) return false;
    list_ = std::fopen((directory_.temporaryPath() + "/frames.txt").c_str(), "w");
    if (!list_) {
        error_ = "cannot write frames to " + folder_;
        return false;
    }
    std::fputs("ffconcat version 1.0\n", list_);
    return true;
}

bool PngSequenceSink::writeDuration(double until) {
    const double seconds = std::max(0.0, until - lastStart_);
    return std::fprintf(list_, "duration %.6f\n", seconds) > 0;
}

bool PngSequenceSink::add(const Picture& frame, double seconds) {
    if (!list_) return false;
    if (count_ > 0 && !writeDuration(seconds)) {
        error_ = "cannot write frames to " + folder_;
        return false;
    }
    const std::string name = frameName(++count_);
    std::string path = directory_.temporaryPath() + "/" + name;
    std::string error;
    if (!writeFileAtomically(path, [&](std::FILE* file) { return writePng(file, frame); }, error)) {
        error_ = "cannot write frames to " + folder_ + ": " + error;
        return false;
    }
    std::fprintf(list_, "file '%s'\n", name.c_str());
    lastStart_ = seconds;
    return true;
}

bool PngSequenceSink::finish(double seconds) {
    if (!list_ || count_ == 0) {
        error_ = "cannot write frames to " + folder_ + ": no frame was taken";
        return false;
    }
    bool ok = writeDuration(seconds);
    // The concat reader needs the last file named again for its duration to hold.
    ok = std::fprintf(list_, "file '%s'\n", frameName(count_).c_str()) > 0 && ok;
    ok = std::fclose(list_) == 0 && ok;
    list_ = nullptr;
    if (!ok) {
        error_ = "cannot write frames to " + folder_;
        return false;
    }
    return directory_.commit(error_);
}

}  // namespace tools
