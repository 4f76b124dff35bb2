// Hooks of the emulated desktop for tests and tools (never for player code):
// a fresh desktop, modules made from compiled resources, the virtual clock,
// input scheduled at a virtual time, what message boxes said, window queries,
// live GDI object counts and captures of what is on screen.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/emu/clock_model.h"
#include "platform/emu/win32.h"

namespace emu {

// Destroys every window, timer, object, queued message and scheduled event,
// sets the clock and the call counts to 0, the timer resolution to none, and
// the screen size.
void resetDesktop(int screenWidth = 1024, int screenHeight = 768);
void setScreenSize(int width, int height);

// A module whose resources are the given .res image; the bytes stay the
// caller's and must outlive the module. GetModuleHandleA(nullptr) gives the
// last module created.
HINSTANCE createModule(const std::uint8_t* resBytes, std::size_t resSize, const char* fileName);

// The virtual clock in milliseconds (clock_model.h has it in nanoseconds,
// with what moves it).
std::uint64_t now();

// Input and calls at a virtual time (ms); points are screen coordinates.
void scheduleKeyDown(std::uint64_t ms, int virtualKey);
void scheduleSysKeyDown(std::uint64_t ms, int virtualKey);
void scheduleLeftClick(std::uint64_t ms, int x, int y);
void scheduleRightClick(std::uint64_t ms, int x, int y);
void scheduleMouseMove(std::uint64_t ms, int x, int y);
void scheduleCall(std::uint64_t ms, std::function<void()> call);
void scheduleCallNs(std::uint64_t ns, std::function<void()> call);

// GetMessageA with nothing queued, no timer and nothing scheduled asks this
// handler; true means it scheduled or posted something. Otherwise, or with no
// handler, GetMessageA throws BlockedForever.
struct BlockedForever : std::runtime_error {
    using std::runtime_error::runtime_error;
};
void setIdleHandler(std::function<bool()> handler);

// Bounds for a run on hostile input. The clock passing untilMs, or the work
// done exceeding workUnits (one unit per LineDDA point; a fill or copy costs
// one per kPixelsPerWorkUnit pixels it draws, plus one), throws LimitReached
// out of the call that did it, once. Zero means no bound; resetDesktop lifts
// both.
enum class Limit { Time, Work };
struct LimitReached : std::runtime_error {
    LimitReached(Limit which, const std::string& what) : std::runtime_error(what), limit(which) {}
    Limit limit;
};
constexpr std::uint64_t kPixelsPerWorkUnit = 1024;
void setShowLimits(std::uint64_t untilMs, std::uint64_t workUnits);

// Whether a window client area or bitmap of this size gets pixels; larger
// ones are refused, as no real system would allocate them.
bool isSurfaceBacked(int width, int height);

// Called each time DispatchMessageA has handed a message to its window (or
// timer procedure), for tools that follow the show: a frame after each tick.
void setDispatchObserver(std::function<void(const MSG&)> observer);

int messageBoxCount();
std::string lastMessageBoxCaption();
std::string lastMessageBoxText();
HWND lastMessageBoxOwner();

struct Image {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00BBGGRR, row-major
};
// The client area as it is, hidden or not, with its child controls.
Image captureClient(HWND window);
// The same into `image`, reusing its storage (for a frame after frame);
// false, with an empty image, when there is no such window.
bool captureClient(HWND window, Image& image);
// The screen: background, then the visible windows in z-order with their frames.
Image captureDesktop();

// The pixels a drawing context draws on (a window's client area, or the
// bitmap selected into a memory context), for hosts that read or restore
// many at once (engine/session/). Null, 0 x 0, when it has none to show.
struct SurfaceView {
    std::uint32_t* pixels = nullptr;  // 0x00BBGGRR, row-major, width a row
    int width = 0;
    int height = 0;
};
SurfaceView surfaceOf(HDC dc);

HWND findWindowByClass(const char* className);  // first top-level window, or null
std::vector<HWND> topLevelWindows();             // z-order, top first
HWND activeWindow();

// Bitmaps, brushes, palettes and drawing contexts not yet deleted or released.
std::size_t liveObjectCount();

}  // namespace emu
