// The web player's engine: the player's own code, run on the emulated
// desktop inside a WebAssembly module, behind a few calls that the page's
// glue makes (exports.cpp). A drawing is opened as the tools open it, then
// either played to its end at once, as quillcast-render plays it, or
// recorded: every change of the window handed on with its time on the
// show's clock, so that the page can replay it at any pace.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace web {

// What the page opened.
struct OpenedShow {
    std::vector<std::uint8_t> block;  // the DrawingBlock
    bool isPlayer = false;
    std::string programPath;          // a player's file, which its start-up check reads
    int canvasWidth = 0;
    int canvasHeight = 0;
    // Work units a show may spend before it is stopped, as quillcast-render's
    // --max-work: the renderer's bound unless the page asks for another.
    std::uint64_t workLimit = 0;
};

// Opens `path` (a file the page wrote into the module's file system, `size`
// bytes long) as a drawing file, a player or a script. Files over the tools'
// input limit are refused by their size, before anything is read. On
// failure, error is one line that names the file and what is wrong.
bool openShow(const std::string& path, std::uint64_t size, OpenedShow& show, std::string& error);

// A change of the picture: the pixels of one rectangle, as RGBA bytes, row
// by row, and the size of the whole picture they belong to.
struct FrameChange {
    double seconds = 0;  // on the show's clock, from the empty framed canvas (or the program's start, with splashes)
    int x = 0, y = 0, width = 0, height = 0;
    int pictureWidth = 0, pictureHeight = 0;
    const std::uint8_t* rgba = nullptr;
};
using FrameOut = std::function<void(const FrameChange&)>;

struct ShowResult {
    bool played = false;     // false: the show did not run (message says why)
    bool corrupted = false;  // the player's start-up check failed; message is its own
    bool stopped = false;    // a bound cut the show short; message says where
    std::string message;
    double seconds = 0;      // the show's length on its clock
};

// The finished window, handed on as one change at the show's length.
ShowResult finishShow(const OpenedShow& show, const FrameOut& out);

// The bytes of changes one recorded show may hand on: far more than any
// sample needs (the dense one, 20 s of show, needs 118 MB).
constexpr std::size_t kChangeBudgetBytes = std::size_t{256} << 20;

// The whole show at `fps` frames a second of its clock; only what changed
// is handed on. With splashes, the picture is a screen just large enough for
// the window and the splashes, from the program's start to the end of the
// closing splash, which the viewer calls up after `holdSeconds`. A show
// whose changes pass `budgetBytes` is stopped there, as by a bound.
ShowResult recordShow(const OpenedShow& show, double fps, bool withSplashes, double holdSeconds, const FrameOut& out,
                      std::size_t budgetBytes = kChangeBudgetBytes);

// A copy of `player` carrying the opened drawing, sealed.
bool writePlayer(const OpenedShow& show, const std::vector<std::uint8_t>& player, std::vector<std::uint8_t>& newPlayer,
                 std::string& error);

}  // namespace web
