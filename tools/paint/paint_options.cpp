#include "tools/paint/paint_options.h"

#include <cerrno>
#include <cstdlib>

#include "format/format.h"
#include "tools/paint/picture_fit.h"

namespace paint {

const char kUsage[] =
    "usage: quillcast-paint PICTURE -o OUT [options]\n"
    "\n"
    "Paints PICTURE (a PNG or a JPEG) as a Quillcast drawing: broad strokes\n"
    "first, then ones that follow the forms, then the detail, each stroke\n"
    "played by the player's own brush engine and kept only where it brings\n"
    "the canvas closer to the picture than its bytes cost.\n"
    "\n"
    "OUT ends in .qcd (a drawing file), .qcs (its script) or .exe (a copy of\n"
    "a built player carrying the drawing, sealed).\n"
    "\n"
    "  --fit N            the canvas's longest side, in pixels (default 400)\n"
    "  --size WxH         the canvas's size instead; at most 1024 a side\n"
    "  --budget BYTES     bytes of the drawing, at most 451000 (the default:\n"
    "                     the whole block)\n"
    "  --style NAME       impressionist (default), pointillist or sketch\n"
    "  --seed N           another seed gives another painting of the same picture\n"
    "  --show-seconds S   the show's length to aim at, at the player's pace\n"
    "                     (default 120; 0: no aim, the budget alone bounds it)\n"
    "  --player FILE      the player for .exe (default build-win/bin/quillcast.exe)\n"
    "  --save-scaled FILE also write the picture as scaled to the canvas (PNG):\n"
    "                     what the painting is measured against\n"
    "  --stats            print what was painted as one line on standard output\n"
    "  --quiet            no progress and no summary\n"
    "  -h, --help         this text\n"
    "\n"
    "The same picture, options and seed give the same bytes. The picture is\n"
    "scaled to the canvas by area averaging, and the drawing's 256 palette\n"
    "colours are made from it.\n"
    "\n"
    "Exit status: 0 done, 1 the picture, the player or the output failed,\n"
    "2 bad arguments.\n";

namespace {

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool wholeNumber(const std::string& text, long long low, long long high, long long& value) {
    if (text.empty() || text.size() > 18) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    value = std::strtoll(text.c_str(), nullptr, 10);
    return value >= low && value <= high;
}

bool number(const std::string& text, double low, double high, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return errno == 0 && end && *end == '\0' && value >= low && value <= high;
}

bool sizeOf(const std::string& text, int& width, int& height) {
    const std::size_t x = text.find('x');
    long long w = 0, h = 0;
    if (x == std::string::npos || !wholeNumber(text.substr(0, x), 1, 100000, w) ||
        !wholeNumber(text.substr(x + 1), 1, 100000, h)) {
        return false;
    }
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

}  // namespace

bool parseCommandLine(int argc, const char* const* argv, CommandLine& line, std::string& error) {
    bool sized = false, fitted = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string v;
        if (arg == "-h" || arg == "--help") {
            line.help = true;
            return true;
        } else if (arg == "-o" || arg == "--output") {
            if (!value(line.output)) return false;
        } else if (arg == "--fit") {
            long long n = 0;
            if (!value(v)) return false;
            if (!wholeNumber(v, 1, kMaxCanvasSide, n)) {
                error = "--fit takes a whole number of pixels from 1 to 1024, not '" + v + "'";
                return false;
            }
            line.fit = static_cast<int>(n);
            fitted = true;
        } else if (arg == "--size") {
            if (!value(v)) return false;
            if (!sizeOf(v, line.width, line.height)) {
                error = "--size takes WIDTHxHEIGHT in pixels, such as 512x384, not '" + v + "'";
                return false;
            }
            sized = true;
        } else if (arg == "--budget") {
            long long n = 0;
            if (!value(v)) return false;
            if (!wholeNumber(v, smallestBudget(), format::kDrawingBlockSize, n)) {
                error = "--budget takes a number of bytes from " + std::to_string(smallestBudget()) + " to " +
                        std::to_string(format::kDrawingBlockSize) + ", not '" + v + "'";
                return false;
            }
            line.paint.budget = static_cast<std::uint32_t>(n);
        } else if (arg == "--style") {
            if (!value(v)) return false;
            if (!styleNamed(v, line.paint.style)) {
                error = "--style is impressionist, pointillist or sketch, not '" + v + "'";
                return false;
            }
        } else if (arg == "--seed") {
            long long n = 0;
            if (!value(v)) return false;
            if (!wholeNumber(v, 0, 999999999999999999LL, n)) {
                error = "--seed takes a whole number, not '" + v + "'";
                return false;
            }
            line.paint.seed = static_cast<std::uint64_t>(n);
        } else if (arg == "--show-seconds") {
            double s = 0;
            if (!value(v)) return false;
            if (!number(v, 0, 86400, s) || (s > 0 && s < kShowStartSeconds + 1)) {
                error = "--show-seconds takes 0 (no aim) or a length from 7 to 86400 seconds, not '" + v + "'";
                return false;
            }
            line.paint.showSeconds = s;
        } else if (arg == "--player") {
            if (!value(line.player)) return false;
        } else if (arg == "--save-scaled") {
            if (!value(line.scaledPath)) return false;
        } else if (arg == "--quiet") {
            line.quiet = true;
        } else if (arg == "--stats") {
            line.stats = true;
        } else if (!arg.empty() && arg[0] != '-' && line.picture.empty()) {
            line.picture = arg;
        } else {
            error = "unexpected argument '" + arg + "'";
            return false;
        }
    }
    if (sized && fitted) {
        error = "give --fit or --size, not both";
        return false;
    }
    if (!sized && !fitted) line.fit = kDefaultFit;
    if (line.picture.empty()) {
        error = "no picture given";
        return false;
    }
    if (line.output.empty()) {
        error = "no output file: give -o FILE.qcd, FILE.qcs or FILE.exe";
        return false;
    }
    if (endsWith(line.output, ".qcd")) {
        line.kind = OutputKind::Drawing;
    } else if (endsWith(line.output, ".qcs")) {
        line.kind = OutputKind::Script;
    } else if (endsWith(line.output, ".exe")) {
        line.kind = OutputKind::Player;
    } else {
        error = "the output " + line.output + " must end in .qcd, .qcs or .exe";
        return false;
    }
    return true;
}

}  // namespace paint
