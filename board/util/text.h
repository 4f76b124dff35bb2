// Checks and shapes for text that comes from visitors.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace board::util {

// The text's length in code points, or nothing when it is not UTF-8.
std::optional<std::size_t> utf8Length(const std::string& text);
// Spaces and line ends taken off both ends.
std::string trim(const std::string& text);
// A single-line field: trimmed, with no control characters left (tabs and
// line ends become spaces).
std::string singleLine(const std::string& text);
// A name for a downloaded file: letters, digits, '-' and '_' of the title, or "drawing".
std::string fileStem(const std::string& title);
// Percent-encoding for a path segment or query value.
std::string urlEncode(const std::string& text);
std::string urlDecode(const std::string& text);

}  // namespace board::util
