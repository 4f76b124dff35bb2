// The board's one door to the engine. Everything the board does with a
// drawing (check it, picture it, make its time-lapse and its downloads) goes
// through these calls, and each call runs the engine in a child process with
// a deadline and a memory bound, so a hostile drawing costs one child, never
// the server.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace board::engine {

using Bytes = std::vector<std::uint8_t>;

struct Limits {
    double seconds = 20;                          // wall-clock deadline of the child
    std::size_t memoryBytes = std::size_t{3} << 30;  // address-space bound of the child
    // The renderer's work bound (units of emu/desktop.h: a line point, or 1024
    // pixels filled); 0: the renderer's default, which every sample keeps well
    // within. A drawing that reaches it is refused as taking too long to play.
    std::uint64_t workUnits = 0;
};

// A posted file (.qcd, .qcs or a player .exe), checked by playing it.
struct Checked {
    std::string error;   // empty: accepted; otherwise a message for the poster, naming what is wrong
    Bytes drawing;       // the drawing as stored: the .qcd bytes
    Bytes picture;       // PNG of the finished picture (the window's client area)
    Bytes thumbnail;     // PNG, the picture scaled to fit 320x240
    int width = 0;       // the picture's size in pixels
    int height = 0;
    double showSeconds = 0;  // the show's length on the player's clock, splashes excluded
};

Checked checkDrawing(const Bytes& upload, const std::string& fileName, const Limits& = {});

// The time-lapse of a stored drawing: a GIF of about ten seconds that shows the
// final picture first, and an MP4 (H.264). Throw std::runtime_error with a
// message on failure. progress, when given, is called with 0..1.
Bytes renderGif(const Bytes& drawing, const Limits& = {}, const std::function<void(double)>& progress = {});
Bytes renderMp4(const Bytes& drawing, const Limits& = {}, const std::function<void(double)>& progress = {});

// Downloads made on request. Both throw std::runtime_error with a message on failure.
// makePlayer writes into a copy of the built Windows player: playerPath, or
// when empty defaultPlayerPath(); a missing player is a clear error.
Bytes makePlayer(const Bytes& drawing, const std::string& playerPath = {});  // a player .exe, sealed
std::string scriptText(const Bytes& drawing, const Limits& = {});           // the drawing's text form (.qcs)

// $QUILLCAST_PLAYER when set, else the player the build knows of
// (build-win/bin/quillcast.exe beside the sources).
std::string defaultPlayerPath();

// quillcast-board's hidden child entry ("quillcast-board __engine ..."): main()
// hands its arguments here when argv[1] is "__engine" and returns what this returns.
int runChild(int argc, char** argv);

}  // namespace board::engine
