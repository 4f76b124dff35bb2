#include "engine/script/script_reader.h"

#include <cstdint>
#include <string_view>

#include "format/format.h"
#include "drawing/palette_image.h"
#include "engine/script/script_writer.h"

namespace script {

namespace {

constexpr std::uint8_t kDefaultSlotFlags = format::kSlotNoCollapse;

struct Token {
    std::string_view text;
    int column = 0;
};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// Splits a line at blanks. A '#' that starts the line, or stands alone,
// begins a comment; '#' glued to more text is a colour.
void tokenize(std::string_view line, std::vector<Token>& tokens) {
    tokens.clear();
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i])) ++i;
        if (i >= line.size()) break;
        const std::size_t start = i;
        while (i < line.size() && !isBlank(line[i])) ++i;
        const std::string_view text = line.substr(start, i - start);
        if (text[0] == '#' && (tokens.empty() || text.size() == 1)) break;
        tokens.push_back({text, static_cast<int>(start) + 1});
    }
}

// Decimal, optionally negative, or 0x hexadecimal.
bool parseInteger(std::string_view text, std::int64_t& value) {
    bool negative = false;
    if (!text.empty() && text[0] == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty() || text.size() > 12) return false;
    std::int64_t v = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return false;
        }
        if (digit >= base) return false;
        v = v * base + digit;
    }
    value = negative ? -v : v;
    return true;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

class Parser {
public:
    Parser(format::Drawing& drawing, std::vector<int>& recordLines, ScriptError& error)
        : d_(drawing), recordLines_(recordLines), error_(error) {}

    bool run(const std::string& text);
    int tailLine() const { return tailLine_; }

private:
    bool line(std::string_view text);
    bool prologueLine(std::string_view keyword);
    bool recordLine(std::string_view keyword);

    bool head();
    bool marker();
    bool header();
    bool palette();
    bool slot();
    bool colour();
    bool stroke();
    bool tail();

    // Token access. Each take* fails with a message naming what was expected.
    bool atEnd() const { return next_ >= tokens_.size(); }
    bool peekIs(std::string_view word) const { return !atEnd() && tokens_[next_].text == word; }
    bool fail(const std::string& expected);
    bool failAt(const Token& token, const std::string& message);
    bool takeWord(std::string_view word);
    bool takeInteger(std::int64_t low, std::int64_t high, const std::string& what, std::int64_t& value);
    bool takeByte(std::uint8_t& value);
    bool takeColour(std::uint32_t& bgr);
    bool takePoint(bool withPressure, format::PointWords& point);
    bool endOfLine();

    format::Drawing& d_;
    std::vector<int>& recordLines_;
    ScriptError& error_;
    std::vector<Token> tokens_;
    std::size_t next_ = 0;
    int line_ = 0;
    int lineLength_ = 0;
    bool seenHead_ = false, seenMarker_ = false, seenHeader_ = false, seenPalette_ = false;
    bool inRecords_ = false;
    int tailLine_ = 0;
};

bool Parser::fail(const std::string& expected) {
    if (atEnd()) {
        error_ = {line_, lineLength_ + 1, "expected " + expected + ", found the end of the line"};
        return false;
    }
    const Token& t = tokens_[next_];
    return failAt(t, "expected " + expected + ", found '" + std::string(t.text.substr(0, 40)) + "'");
}

bool Parser::failAt(const Token& token, const std::string& message) {
    error_ = {line_, token.column, message};
    return false;
}

bool Parser::takeWord(std::string_view word) {
    if (!peekIs(word)) return fail("'" + std::string(word) + "'");
    ++next_;
    return true;
}

bool Parser::takeInteger(std::int64_t low, std::int64_t high, const std::string& what, std::int64_t& value) {
    const std::string expected = what + " (" + std::to_string(low) + " to " + std::to_string(high) + ")";
    if (atEnd() || !parseInteger(tokens_[next_].text, value) || value < low || value > high) return fail(expected);
    ++next_;
    return true;
}

bool Parser::takeByte(std::uint8_t& value) {
    if (atEnd()) return fail("a byte in hex like 0f");
    const std::string_view t = tokens_[next_].text;
    if (t.size() != 2 || hexDigit(t[0]) < 0 || hexDigit(t[1]) < 0) return fail("a byte in hex like 0f");
    value = static_cast<std::uint8_t>(hexDigit(t[0]) << 4 | hexDigit(t[1]));
    ++next_;
    return true;
}

bool Parser::takeColour(std::uint32_t& bgr) {
    const char* expected = "a colour like #ff8000 (red, green, blue)";
    if (atEnd()) return fail(expected);
    const std::string_view t = tokens_[next_].text;
    if (t.size() != 7 || t[0] != '#') return fail(expected);
    int channel[3];
    for (int i = 0; i < 3; ++i) {
        const int hi = hexDigit(t[1 + 2 * i]), lo = hexDigit(t[2 + 2 * i]);
        if (hi < 0 || lo < 0) return fail(expected);
        channel[i] = hi << 4 | lo;
    }
    bgr = static_cast<std::uint32_t>(channel[0] | channel[1] << 8 | channel[2] << 16);
    ++next_;
    return true;
}

bool Parser::takePoint(bool withPressure, format::PointWords& point) {
    const std::string expected = withPressure
        ? "a point x,y/pressure with x 0 to 4095, y -32768 to 32767 and pressure 0 to 15 "
          "(in this drawing every point after a stroke's first carries a pressure)"
        : "a point x,y with x and y -32768 to 32767";
    if (atEnd()) return fail(expected);
    const std::string_view t = tokens_[next_].text;
    const std::size_t comma = t.find(',');
    const std::size_t slash = t.find('/');
    if (comma == std::string_view::npos || (withPressure != (slash != std::string_view::npos)) ||
        (withPressure && slash < comma)) {
        return fail(expected);
    }
    std::int64_t x = 0, y = 0, p = 0;
    const std::string_view ys = t.substr(comma + 1, withPressure ? slash - comma - 1 : std::string_view::npos);
    if (!parseInteger(t.substr(0, comma), x) || !parseInteger(ys, y) || y < -32768 || y > 32767) return fail(expected);
    if (withPressure) {
        if (!parseInteger(t.substr(slash + 1), p) || x < 0 || x > format::kPointXMask || p < 0 ||
            p > format::kMaxPressure)
            return fail(expected);
        point.x = static_cast<std::uint16_t>(p << format::kPressureShift | x);
    } else {
        if (x < -32768 || x > 32767) return fail(expected);
        point.x = static_cast<std::uint16_t>(x);
    }
    point.y = static_cast<std::uint16_t>(y);
    ++next_;
    return true;
}

bool Parser::endOfLine() { return atEnd() || fail("the end of the line"); }

bool Parser::head() {
    for (std::uint8_t& b : d_.head)
        if (!takeByte(b)) return false;
    return endOfLine();
}

bool Parser::marker() {
    std::int64_t value = 0;
    if (!takeInteger(0, 65535, "a format marker", value)) return false;
    d_.marker = static_cast<std::uint16_t>(value);
    const int extra = format::extraWordCount(d_.marker);
    d_.extraWords.assign(static_cast<std::size_t>(extra), 0);
    if (atEnd()) return true;
    if (extra == 0) return fail("the end of the line (marker " + std::to_string(value) + " has no extra words)");
    if (!takeWord("extra")) return false;
    for (auto& w : d_.extraWords) {
        if (!takeInteger(0, 65535, "one of " + std::to_string(extra) + " extra words", value)) return false;
        w = static_cast<std::uint16_t>(value);
    }
    return endOfLine();
}

bool Parser::header() {
    bool width = false, height = false;
    while (!atEnd()) {
        std::int64_t v = 0;
        const std::string_view key = tokens_[next_].text;
        ++next_;
        if (key == "width" || key == "height" || key == "word") {
            if (!takeInteger(0, 65535, std::string("the ") + std::string(key), v)) return false;
            const std::uint32_t at = key == "word"    ? format::kHeaderWordAt
                                     : key == "width" ? format::kHeaderWidthAt
                                                      : format::kHeaderHeightAt;
            format::writeU16(d_.header.data() + at, static_cast<std::uint16_t>(v));
            if (key == "width") width = true;
            if (key == "height") height = true;
        } else if (key == "rest") {
            for (std::size_t i = format::kHeaderRestAt; i < format::kHeaderSize; ++i)
                if (!takeByte(d_.header[i])) return false;
        } else {
            --next_;
            return fail("width, height, word or rest");
        }
    }
    if (!width || !height) return fail(width ? "height N" : "width N");
    return true;
}

bool Parser::palette() {
    while (!atEnd()) {
        std::int64_t v = 0;
        const std::string_view key = tokens_[next_].text;
        ++next_;
        if (key == "standard") {
            fillPlaceholderPalette(d_.palette.data());
        } else if (key == "version" || key == "count") {
            if (!takeInteger(0, 65535, std::string("the ") + std::string(key), v)) return false;
            const std::uint32_t at = key == "version" ? format::kPaletteVersionAt : format::kPaletteCountAt;
            format::writeU16(d_.palette.data() + at, static_cast<std::uint16_t>(v));
        } else {
            --next_;
            return fail("standard, version or count");
        }
    }
    return true;
}

bool Parser::slot() {
    std::int64_t index = 0, flags = kDefaultSlotFlags;
    std::uint32_t bgr = 0;
    if (!takeInteger(0, 256, "a slot number", index) || !takeColour(bgr)) return false;
    if (!atEnd() && (!takeWord("flags") || !takeInteger(0, 255, "the flags byte", flags))) return false;
    std::uint8_t* slot = d_.palette.data() + format::paletteSlotAt(static_cast<std::uint32_t>(index));
    format::writeU32(slot, bgr | static_cast<std::uint32_t>(flags) << 24);
    return endOfLine();
}

bool Parser::colour() {
    std::int64_t selector = -1;
    for (unsigned s = 0; s < 3; ++s)
        if (peekIs(selectorName(s))) {
            selector = s;
            ++next_;
        }
    if (selector < 0 && !takeInteger(0, 15, "pen, second, third or a colour selector", selector)) return false;
    std::uint32_t bgr = 0;
    std::int64_t spare = 0;
    if (!takeColour(bgr)) return false;
    if (!atEnd() && (!takeWord("spare") || !takeInteger(0, 15, "the spare bits 24 to 27", spare))) return false;
    format::Record r;
    r.kind = format::RecordKind::Colour;
    r.opcode = format::ColourRecord;
    r.value = bgr | static_cast<std::uint32_t>(spare) << format::kSpareShift |
              static_cast<std::uint32_t>(selector) << format::kSelectorShift;
    d_.records.push_back(r);
    return endOfLine();
}

bool Parser::stroke() {
    format::Record r;
    r.kind = format::RecordKind::Stroke;
    r.opcode = format::StrokeRecord;
    bool counted = false;
    std::int64_t count = 0;
    if (peekIs("count")) {
        ++next_;
        if (!takeInteger(INT32_MIN, INT32_MAX, "the point count", count)) return false;
        counted = true;
    }
    const bool pressure = format::carriesPressure(d_);
    while (!atEnd()) {
        format::PointWords p;
        if (!takePoint(pressure && !r.points.empty(), p)) return false;
        r.points.push_back(p);
    }
    if (r.points.empty()) return fail("a point x,y: a stroke has at least one");
    const std::int64_t needed = counted ? (count >= 1 ? count : 1) : static_cast<std::int64_t>(r.points.size());
    if (static_cast<std::int64_t>(r.points.size()) != needed) {
        return failAt(tokens_.front(), "expected " + std::to_string(needed) + " points after 'count " +
                                           std::to_string(count) + "', found " + std::to_string(r.points.size()));
    }
    r.count = counted ? static_cast<std::int32_t>(count) : static_cast<std::int32_t>(r.points.size());
    d_.records.push_back(std::move(r));
    return true;
}

bool Parser::tail() {
    if (tailLine_ == 0) tailLine_ = line_;
    while (!atEnd()) {
        std::uint8_t b = 0;
        if (!takeByte(b)) return false;
        d_.tail.push_back(b);
    }
    return true;
}

bool Parser::prologueLine(std::string_view keyword) {
    bool* seen = keyword == "head" ? &seenHead_ : keyword == "marker" ? &seenMarker_
               : keyword == "header" ? &seenHeader_ : keyword == "palette" ? &seenPalette_ : nullptr;
    if (seen && *seen) return failAt(tokens_.front(), "'" + std::string(keyword) + "' may stand only once");
    if (seen) *seen = true;
    ++next_;
    if (keyword == "head") return head();
    if (keyword == "marker") return marker();
    if (keyword == "header") return header();
    if (keyword == "palette") return palette();
    return slot();
}

bool Parser::recordLine(std::string_view keyword) {
    ++next_;
    recordLines_.push_back(line_);
    format::Record r;
    std::int64_t v = 0;
    const std::int64_t low = INT32_MIN, high = UINT32_MAX;
    if (keyword == "colour") return colour();
    if (keyword == "stroke") return stroke();
    if (keyword == "pen-mode") {
        r.kind = format::RecordKind::PenMode;
        for (std::uint32_t m = 1; m <= 4; ++m)
            if (peekIs(penModeName(m))) {
                v = m;
                ++next_;
            }
        if (v == 0 && !takeInteger(low, high, "blend, darken, smudge, speckle or a number", v)) return false;
    } else if (keyword == "brush-size") {
        r.kind = format::RecordKind::BrushSize;
        if (!takeInteger(low, high, "a brush level", v)) return false;
    } else if (keyword == "density") {
        r.kind = format::RecordKind::Density;
        if (!takeInteger(low, high, "a density", v)) return false;
    } else if (keyword == "fill") {
        r.kind = format::RecordKind::Fill;
        if (!atEnd() && !takeInteger(low, high, "the end of the line or the fill's unused value", v)) return false;
    } else {
        if (!takeInteger(-32768, 65535, "an opcode", v)) return false;
        r.opcode = static_cast<std::uint16_t>(v);
        if (format::kindOfOpcode(r.opcode) != format::RecordKind::Unknown) {
            --next_;
            return fail("an opcode other than 0 to 5, which carry a payload: write those as records");
        }
        d_.records.push_back(r);
        return endOfLine();
    }
    r.opcode = format::opcodeOfKind(r.kind);
    r.value = static_cast<std::uint32_t>(v);
    d_.records.push_back(r);
    return endOfLine();
}

bool Parser::line(std::string_view text) {
    lineLength_ = static_cast<int>(text.size());
    tokenize(text, tokens_);
    next_ = 0;
    if (tokens_.empty()) return true;
    const std::string_view keyword = tokens_.front().text;
    const bool isPrologue = keyword == "head" || keyword == "marker" || keyword == "header" ||
                            keyword == "palette" || keyword == "slot";
    const bool isRecord = keyword == "colour" || keyword == "pen-mode" || keyword == "brush-size" ||
                          keyword == "density" || keyword == "fill" || keyword == "stroke" || keyword == "opcode";
    if (tailLine_ != 0 && keyword != "tail") return fail("'tail': only tail lines may follow the tail");
    if (keyword == "tail") {
        ++next_;
        inRecords_ = true;
        return tail();
    }
    if (isPrologue) {
        if (inRecords_) return fail("a record: the prologue (head, marker, header, palette, slot) comes first");
        return prologueLine(keyword);
    }
    if (isRecord) {
        if (!seenHeader_) return fail("'header width W height H' before the first record");
        inRecords_ = true;
        return recordLine(keyword);
    }
    return fail(inRecords_ ? "a record: colour, pen-mode, brush-size, density, fill, stroke, opcode or tail"
                           : "head, marker, header, palette, slot or a record");
}

bool Parser::run(const std::string& text) {
    d_ = format::Drawing{};
    d_.head[0] = format::kDrawingByte;
    fillPlaceholderPalette(d_.palette.data());
    bool first = true;
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string_view current(text.data() + at, end - at);
        ++line_;
        if (first) {
            tokenize(current, tokens_);
            if (tokens_.empty() && at < text.size()) {
                at = end + 1;
                continue;  // blank lines and comments may open the script
            }
            if (current.substr(0, sizeof kScriptFirstLine - 1) != kScriptFirstLine ||
                (current.size() >= sizeof kScriptFirstLine && !isBlank(current[sizeof kScriptFirstLine - 1]))) {
                error_ = {line_, 1, std::string("expected the first line '") + kScriptFirstLine + "'"};
                return false;
            }
            first = false;
        } else if (!line(current)) {
            return false;
        }
        at = end + 1;
    }
    if (!seenHeader_) {
        error_ = {line_, 1, "expected 'header width W height H' somewhere in the script, found the end of it"};
        return false;
    }
    return true;
}

}  // namespace

std::string ScriptError::describe() const {
    if (line == 0) return message;
    return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + message;
}

bool buildBlock(const std::string& text, std::vector<std::uint8_t>& block, ScriptError& error) {
    format::Drawing drawing;
    std::vector<int> lines;
    Parser parser(drawing, lines, error);
    if (!parser.run(text)) return false;
    std::uint64_t overBy = 0;
    if (format::encodeBlock(drawing, block, overBy)) return true;

    // Find the line at which the block runs out, for the message.
    std::uint64_t size = format::firstRecordOffset(drawing);
    int where = parser.tailLine();
    for (std::size_t i = 0; i < drawing.records.size(); ++i) {
        size += format::recordSize(drawing.records[i]);
        if (size > format::kDrawingBlockSize) {
            where = lines[i];
            break;
        }
    }
    error = {0, 0, "the drawing takes " + std::to_string(format::kDrawingBlockSize + overBy) + " bytes, " +
                       std::to_string(overBy) + " bytes over the " + std::to_string(format::kDrawingBlockSize) +
                       "-byte block; it runs out at line " + std::to_string(where)};
    return false;
}

}  // namespace script
