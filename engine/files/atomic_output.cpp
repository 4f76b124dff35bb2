#include "engine/files/atomic_output.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

namespace tools {

namespace fs = std::filesystem;

namespace {

// mkstemp and mkdtemp make private files; outputs get the usual permissions.
mode_t usualMode(mode_t full) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return full & ~mask;
}

std::string extensionOf(const std::string& path) {
    const std::string ext = fs::path(path).extension().string();
    return ext.size() <= 8 ? ext : std::string();
}

}  // namespace

bool AtomicFile::open(const std::string& path, std::string& error) {
    abandon();
    path_ = path;
    if (path == "-") {
        toStdout_ = true;
        file_ = stdout;
        return true;
    }
    const std::string ext = extensionOf(path);
    std::string name = path + ".XXXXXX" + ext;
    const int fd = ::mkstemps(name.data(), static_cast<int>(ext.size()));
    if (fd < 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    temporary_ = name;
    ::fchmod(fd, usualMode(0666));
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        ::close(fd);
        abandon();
        return false;
    }
    return true;
}

bool AtomicFile::commit(std::string& error) {
    if (toStdout_) {
        toStdout_ = false;
        file_ = nullptr;
        if (std::fflush(stdout) != 0) {
            error = "cannot write to standard output";
            return false;
        }
        return true;
    }
    if (temporary_.empty()) {
        error = "cannot write " + path_ + ": nothing to commit";
        return false;
    }
    bool ok = true;
    if (file_) {
        ok = std::fflush(file_) == 0;
        ok = ::fsync(::fileno(file_)) == 0 && ok;
        ok = std::fclose(file_) == 0 && ok;
        file_ = nullptr;
    }
    const int savedErrno = errno;
    if (ok && std::rename(temporary_.c_str(), path_.c_str()) == 0) {
        temporary_.clear();
        return true;
    }
    error = "cannot write " + path_ + ": " + std::strerror(ok ? errno : (savedErrno ? savedErrno : EIO));
    abandon();
    return false;
}

void AtomicFile::abandon() {
    if (file_ && !toStdout_) std::fclose(file_);
    file_ = nullptr;
    toStdout_ = false;
    if (!temporary_.empty()) std::remove(temporary_.c_str());
    temporary_.clear();
}

bool AtomicDirectory::open(const std::string& path, std::string& error) {
    abandon();
    std::error_code ec;
    if (fs::exists(path, ec) && !(fs::is_directory(path, ec) && fs::is_empty(path, ec))) {
        error = "cannot write frames to " + path + ": it exists and is not an empty folder";
        return false;
    }
    std::string name = (fs::path(path).lexically_normal().string());
    while (name.size() > 1 && name.back() == '/') name.pop_back();
    path_ = name;
    name += ".XXXXXX";
    if (!::mkdtemp(name.data())) {
        error = "cannot write frames to " + path + ": " + std::strerror(errno);
        return false;
    }
    temporary_ = name;
    ::chmod(name.c_str(), usualMode(0777));
    return true;
}

bool AtomicDirectory::commit(std::string& error) {
    if (temporary_.empty()) {
        error = "cannot write frames to " + path_ + ": nothing to commit";
        return false;
    }
    // rename() replaces an empty folder, so an empty target is taken over whole.
    if (std::rename(temporary_.c_str(), path_.c_str()) == 0) {
        temporary_.clear();
        return true;
    }
    error = "cannot write frames to " + path_ + ": " + std::strerror(errno);
    abandon();
    return false;
}

void AtomicDirectory::abandon() {
    if (temporary_.empty()) return;
    std::error_code ec;
    fs::remove_all(temporary_, ec);
    temporary_.clear();
}

}  // namespace tools
