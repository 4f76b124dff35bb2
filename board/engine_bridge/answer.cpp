#include "board/engine_bridge/answer.h"

#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace board::engine {

namespace {

constexpr std::size_t kMaxNameLength = 32;
constexpr std::size_t kMaxHeaderLength = kMaxNameLength + 1 + 20 + 1;

bool writeAll(int fd, const void* data, std::size_t size) {
    const char* at = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, at, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        at += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool isNameChar(std::uint8_t c) { return (c >= 'a' && c <= 'z') || c == '_'; }

}  // namespace

bool sendField(int fd, const std::string& name, const void* data, std::size_t size) {
    const std::string header = name + " " + std::to_string(size) + "\n";
    return writeAll(fd, header.data(), header.size()) && writeAll(fd, data, size);
}

bool sendText(int fd, const std::string& name, const std::string& text) {
    return sendField(fd, name, text.data(), text.size());
}

void AnswerReader::feed(const std::uint8_t* data, std::size_t size) {
    // Drop what was handed back before the buffer grows again.
    if (start_ > 0) {
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start_));
        start_ = 0;
    }
    buffer_.insert(buffer_.end(), data, data + size);
}

bool AnswerReader::next(std::string& name, std::vector<std::uint8_t>& value) {
    if (malformed_) return false;
    const std::uint8_t* at = buffer_.data() + start_;
    const std::size_t available = buffer_.size() - start_;
    std::size_t i = 0;
    while (i < available && isNameChar(at[i])) ++i;
    if (i == available) {
        malformed_ = i > kMaxNameLength;
        return false;
    }
    if (i == 0 || i > kMaxNameLength || at[i] != ' ') {
        malformed_ = true;
        return false;
    }
    const std::size_t nameLength = i++;
    std::size_t length = 0;
    const std::size_t digitsFrom = i;
    while (i < available && at[i] >= '0' && at[i] <= '9' && i - digitsFrom < 19) length = length * 10 + (at[i++] - '0');
    if (i == available) {
        malformed_ = i > kMaxHeaderLength;
        return false;
    }
    if (i == digitsFrom || at[i] != '\n') {
        malformed_ = true;
        return false;
    }
    ++i;
    if (available - i < length) return false;
    name.assign(reinterpret_cast<const char*>(at), nameLength);
    value.assign(at + i, at + i + length);
    start_ += i + length;
    if (start_ == buffer_.size()) {
        buffer_.clear();
        start_ = 0;
    }
    return true;
}

}  // namespace board::engine
