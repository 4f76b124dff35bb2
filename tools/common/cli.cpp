#include "tools/common/cli.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <utility>

#ifndef QC_VERSION
#define QC_VERSION "unknown"
#endif

namespace tools {

namespace {

// The usage lines first, then what the tool does, its options by group,
// and the notes.
class ToolFormatter : public CLI::Formatter {
public:
    explicit ToolFormatter(const ToolText& text) : text_(text) {
        column_width(24);
        label("Positionals", "Arguments");
    }

    std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode mode) const override {
        std::string out = usage();
        if (*text_.about) out += "\n" + std::string(text_.about);
        out += make_positionals(app);
        // CLI11 puts two blank lines between groups.
        out += CLI::detail::find_and_replace(make_groups(app, mode), "\n\n\n", "\n\n");
        if (*text_.notes) out += "\n" + std::string(text_.notes);
        return out;
    }

    // The value's name only: a default or "REQUIRED" would repeat what the
    // description says.
    std::string make_option_opts(const CLI::Option* option) const override {
        if (option->get_positional() || option->get_type_size() == 0) return "";
        return " " + option->get_type_name();
    }

private:
    std::string usage() const {
        std::string out;
        const std::string form = text_.usage;
        std::size_t start = 0;
        while (start < form.size()) {
            std::size_t end = form.find('\n', start);
            if (end == std::string::npos) end = form.size();
            out += (start == 0 ? "usage: " : "       ") + std::string(text_.name) + " " +
                   form.substr(start, end - start) + "\n";
            start = end + 1;
        }
        return out;
    }

    ToolText text_;
};

bool digitsOnly(const std::string& text) {
    if (text.empty() || text.size() > 18) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

bool side(const std::string& text, int maxSide, int& out) {
    if (!digitsOnly(text)) return false;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value < 1 || value > maxSide) return false;
    out = static_cast<int>(value);
    return true;
}

bool readSize(const std::string& text, int maxSide, int& width, int& height) {
    const std::size_t x = text.find_first_of("xX");
    return x != std::string::npos && side(text.substr(0, x), maxSide, width) &&
           side(text.substr(x + 1), maxSide, height);
}

std::string refusal(const std::string& what, const std::string& given) {
    return "needs " + what + ", not '" + given + "'";
}

}  // namespace

std::unique_ptr<CLI::App> makeTool(const ToolText& text) {
    auto app = std::make_unique<CLI::App>(text.about, text.name);
    app->formatter(std::make_shared<ToolFormatter>(text));
    app->set_help_flag("-h,--help", "this text");
    app->set_version_flag("--version", std::string(text.name) + " " + QC_VERSION, "the tool's version");
    app->option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app->allow_extras();
    return app;
}

ParseOutcome parseArguments(CLI::App& app, int argc, const char* const* argv) {
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        return {ParseOutcome::Kind::Help, app.help()};
    } catch (const CLI::CallForVersion& version) {
        return {ParseOutcome::Kind::Version, std::string(version.what()) + "\n"};
    } catch (const CLI::ParseError& error) {
        return ParseOutcome::error(error.what());
    }
    const std::vector<std::string> extra = app.remaining();
    if (!extra.empty()) {
        const std::string& word = extra.front();
        if (word.size() > 1 && word[0] == '-') return ParseOutcome::error("unknown option " + word);
        return ParseOutcome::error("unexpected argument '" + word + "'");
    }
    return {};
}

int finishCommandLine(const char* tool, const ParseOutcome& outcome) {
    if (outcome.kind == ParseOutcome::Kind::Error) return reportUsageError(tool, outcome.text, kExitUsage);
    std::fputs(outcome.text.c_str(), stdout);
    return 0;
}

CLI::Validator number(double low, double high, const std::string& what) {
    return CLI::Validator(
        [=](std::string& text) {
            char* end = nullptr;
            errno = 0;
            const double value = std::strtod(text.c_str(), &end);
            const bool read = !text.empty() && errno == 0 && *end == '\0';
            return read && value >= low && value <= high ? std::string() : refusal(what, text);
        },
        "");
}

CLI::Validator wholeNumber(long long low, long long high, const std::string& what) {
    return CLI::Validator(
        [=](std::string& text) {
            if (!digitsOnly(text)) return refusal(what, text);
            const long long value = std::strtoll(text.c_str(), nullptr, 10);
            if (value < low || value > high) return refusal(what, text);
            text = std::to_string(value);
            return std::string();
        },
        "");
}

CLI::Validator pixelSize(int maxSide, const std::string& example) {
    return CLI::Validator(
        [=](std::string& text) {
            int width = 0, height = 0;
            if (readSize(text, maxSide, width, height)) return std::string();
            return refusal("WIDTHxHEIGHT, each side 1 to " + std::to_string(maxSide) + " pixels, such as " + example,
                           text);
        },
        "");
}

void readPixelSize(const std::string& text, int& width, int& height) {
    readSize(text, std::numeric_limits<int>::max(), width, height);
}

CLI::Option* addTimerResolution(CLI::App& app, double& milliseconds) {
    return app
        .add_option("--timer-resolution", milliseconds,
                    "timers come due only on a grid of MS milliseconds:\n"
                    "15.625 for Windows' default system tick; 0, the\n"
                    "default, as measured under Wine")
        ->type_name("MS")
        ->check(number(0, 1000, "milliseconds, 0 to 1000 (15.625: Windows' default)"));
}

int reportError(const char* tool, const std::string& message, int status) {
    std::fprintf(stderr, "%s: %s\n", tool, message.c_str());
    return status;
}

int reportUsageError(const char* tool, const std::string& message, int status) {
    std::fprintf(stderr, "%s: %s (try --help)\n", tool, message.c_str());
    return status;
}

}  // namespace tools
