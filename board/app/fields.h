// Checks of the text fields visitors send, with the message that names what
// is wrong.
#pragma once

#include <optional>
#include <string>

namespace board::app {

// A single-line field of min..max characters: the cleaned text, or an error
// such as "title: at most 100 characters".
struct Checked {
    std::string value;
    std::string error;
};
Checked singleLineField(const std::string& name, const std::string& raw, std::size_t min, std::size_t max);
// Text of several lines (a comment): line ends kept, other control characters dropped.
Checked multiLineField(const std::string& name, const std::string& raw, std::size_t min, std::size_t max);
// A password: any bytes of 1..200, or nothing when raw is empty.
Checked passwordField(const std::string& raw);

}  // namespace board::app
