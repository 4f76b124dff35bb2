#include "tools/common/files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace tools {

bool readFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    bytes.clear();
    std::uint8_t chunk[1 << 16];
    std::size_t n;
    bool tooLarge = false;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        if (bytes.size() + n > kMaxInputBytes) {
            tooLarge = true;
            break;
        }
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    const bool failed = std::ferror(file) != 0;
    const int savedErrno = errno;
    std::fclose(file);
    if (tooLarge) {
        bytes.clear();
        error = "cannot read " + path + ": larger than 256 MiB, which no drawing, script or player is";
        return false;
    }
    if (failed) {
        error = "cannot read " + path + ": " + std::strerror(savedErrno);
        return false;
    }
    return true;
}

bool writeFileAtomically(const std::string& path, const std::function<bool(std::FILE*)>& write, std::string& error) {
    if (path == "-") {
        if (!write(stdout) || std::fflush(stdout) != 0) {
            error = "cannot write to standard output";
            return false;
        }
        return true;
    }
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    // mkstemp makes the file private; give it the mode a plain fopen would.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        ::close(fd);
        std::remove(temporary.c_str());
        return false;
    }
    bool ok = write(file);
    ok = std::fflush(file) == 0 && ok;
    ok = ::fsync(fd) == 0 && ok;
    int savedErrno = errno;
    ok = std::fclose(file) == 0 && ok;
    if (ok && std::rename(temporary.c_str(), path.c_str()) != 0) {
        savedErrno = errno;
        ok = false;
    }
    if (!ok) {
        std::remove(temporary.c_str());
        error = "cannot write " + path + ": " + std::strerror(savedErrno ? savedErrno : EIO);
        return false;
    }
    return true;
}

}  // namespace tools
