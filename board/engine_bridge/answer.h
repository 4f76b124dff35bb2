// What an engine child sends back on its standard output: a sequence of named
// fields, each "name length\n" followed by that many bytes. The child writes
// them as its work goes (progress first, results at the end); the parent
// reads them as they come, so progress reaches the caller while the child works.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace board::engine {

// Child side: writes one field to the file descriptor. False when the parent
// has gone.
bool sendField(int fd, const std::string& name, const void* data, std::size_t size);
bool sendText(int fd, const std::string& name, const std::string& text);

// Parent side: takes the bytes as they arrive and hands back whole fields.
class AnswerReader {
public:
    void feed(const std::uint8_t* data, std::size_t size);
    // The next whole field, in the order sent; false until one is complete.
    bool next(std::string& name, std::vector<std::uint8_t>& value);
    // The stream is not made of fields (a child that wrote something else).
    bool malformed() const { return malformed_; }
    // Bytes taken but not yet handed back as a field.
    std::size_t pending() const { return buffer_.size() - start_; }

private:
    std::vector<std::uint8_t> buffer_;
    std::size_t start_ = 0;
    bool malformed_ = false;
};

}  // namespace board::engine
