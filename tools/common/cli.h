// The tools' command lines: one parser (CLI11) and one look for all of them.
// A tool states its options on a CLI::App made by makeTool() in a function
// that tests call (render/options.cpp, paint/paint_options.cpp, ...); its
// main() hands the outcome to finishCommandLine(), which prints the help,
// the version or the error and gives the exit status. Every message is one
// line on standard error: "TOOL: what is wrong".
#pragma once

#include <memory>
#include <string>

#include <CLI/CLI.hpp>

namespace tools {

constexpr int kExitUsage = 2;

// What a command line comes to: run the tool, or stop at once.
struct ParseOutcome {
    enum class Kind { Run, Help, Version, Error } kind = Kind::Run;
    // The help or version text, or the error without the tool's name.
    std::string text;

    bool run() const { return kind == Kind::Run; }
    static ParseOutcome error(std::string message) { return {Kind::Error, std::move(message)}; }
};

// The help's parts around the list of options: the usage lines (each a form
// of the command without "usage: "), what the tool does, and what follows
// the options (notes, exit statuses).
struct ToolText {
    const char* name;
    const char* usage;
    const char* about;
    const char* notes;
};

// An App with the tools' common parts: -h/--help, --version, the help's
// layout, and a repeated option taking its last value.
std::unique_ptr<CLI::App> makeTool(const ToolText& text);

// Parses argv with app. A word that is no option of the tool, or one
// argument too many, is an error here as it is everywhere.
ParseOutcome parseArguments(CLI::App& app, int argc, const char* const* argv);

// Prints what an outcome that stops the tool holds (help and version on
// standard output, an error on standard error) and gives the exit status:
// 0, or kExitUsage for an error.
int finishCommandLine(const char* tool, const ParseOutcome& outcome);

// Checks of a value, whose messages say what the option takes: CLI11 puts
// the option's name in front ("--fps: needs ..., not 'x'").
// A decimal number from low to high ("what": "frames per second").
CLI::Validator number(double low, double high, const std::string& what);
// Decimal digits only, from low to high; leading zeros are dropped, as
// CLI11 would read "010" as octal. Give it with ->transform(), which keeps
// what it writes back: ->check() would not.
CLI::Validator wholeNumber(long long low, long long high, const std::string& what);
// WIDTHxHEIGHT, each side from 1 to maxSide.
CLI::Validator pixelSize(int maxSide, const std::string& example);
// Reads what pixelSize() accepted.
void readPixelSize(const std::string& text, int& width, int& height);

// --timer-resolution MS, as quillcast-render and quillcast-embed take it.
CLI::Option* addTimerResolution(CLI::App& app, double& milliseconds);

// Messages of main() after the command line: one line on standard error,
// naming the tool; a usage error also points at --help. Both return the
// exit status given, so that main() can return them at once.
int reportError(const char* tool, const std::string& message, int status);
int reportUsageError(const char* tool, const std::string& message, int status);

}  // namespace tools
