#include "board/app/fields.h"

#include "board/util/text.h"

namespace board::app {
namespace {

Checked measure(const std::string& name, std::string value, std::size_t min, std::size_t max) {
    auto length = util::utf8Length(value);
    if (!length) return {{}, name + ": not valid UTF-8 text"};
    if (*length < min) return {{}, min == 1 ? name + ": required" : name + ": at least " + std::to_string(min) + " characters"};
    if (*length > max) return {{}, name + ": at most " + std::to_string(max) + " characters"};
    return {std::move(value), {}};
}

}  // namespace

Checked singleLineField(const std::string& name, const std::string& raw, std::size_t min, std::size_t max) {
    return measure(name, util::singleLine(raw), min, max);
}

Checked multiLineField(const std::string& name, const std::string& raw, std::size_t min, std::size_t max) {
    std::string out;
    for (char ch : raw) {
        auto c = static_cast<unsigned char>(ch);
        if (c == '\r') continue;
        if (c == '\n' || c == '\t' || (c >= 0x20 && c != 0x7F)) out += ch;
    }
    return measure(name, util::trim(out), min, max);
}

Checked passwordField(const std::string& raw) {
    if (raw.size() > 200) return {{}, "password: at most 200 bytes"};
    return {raw, {}};
}

}  // namespace board::app
