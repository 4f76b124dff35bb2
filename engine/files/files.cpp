#include "engine/files/files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "engine/files/atomic_output.h"

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
    AtomicFile out;
    if (!out.open(path, error)) return false;
    if (!write(out.stream())) {
        error = path == "-" ? "cannot write to standard output" : "cannot write " + path;
        return false;  // the temporary file goes with `out`
    }
    return out.commit(error);
}

}  // namespace tools
