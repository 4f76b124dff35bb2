// The emulated desktop's own state: every window, class, timer, queued
// message, scheduled event, module and GDI object of the one UI thread.
// Internal to platform/emu; tests and tools use desktop.h.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/emu/clock_model.h"
#include "platform/emu/resource_file.h"
#include "platform/emu/win32.h"

namespace emu {

// Larger pixel blocks than this are refused: no real system would allocate them.
constexpr std::uint64_t maxSurfaceBytes = 256ull << 20;

enum class GdiKind : std::uint8_t { Bitmap, Brush, Palette };

struct GdiObject {
    GdiKind kind = GdiKind::Bitmap;
    bool stock = false;            // never deleted, not counted as live
    int selectedInto = 0;          // memory contexts holding this bitmap
    std::vector<std::uint32_t> pixels;
    Surface surface;               // bitmaps
    COLORREF colour = 0;           // brushes
    std::vector<PALETTEENTRY> entries;  // palettes
};

struct WindowClass {
    std::string name;
    UINT style = 0;
    WNDPROC proc = nullptr;
    HBRUSH background = nullptr;
    HINSTANCE instance = nullptr;
};

// Non-client widths on each side of the client area.
struct Insets {
    int left = 0, top = 0, right = 0, bottom = 0;
};

struct Window {
    HWND handle = nullptr;
    bool alive = true;
    bool destroying = false;
    WindowClass cls;
    std::string title;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = nullptr;  // child windows
    HWND owner = nullptr;   // owned top-level windows
    int id = 0;             // control id of a child
    bool isDialog = false;
    bool visible = false;
    RECT rect{};            // screen coordinates; children relative to their parent's client area
    Insets frame;
    std::vector<std::uint32_t> pixels;  // client area
    Surface surface;
    bool updatePending = false;
    RECT update{};
    std::vector<HWND> children;
    HBITMAP picture = nullptr;  // a static bitmap control's bitmap
};

struct Timer {
    HWND window;
    UINT_PTR id;
    UINT interval;
    std::uint64_t due;
    TIMERPROC proc;
};

struct Module {
    std::string fileName;
    const std::uint8_t* bytes = nullptr;
    std::size_t size = 0;
    std::vector<ResourceEntry> entries;
};

enum class EventKind : std::uint8_t { KeyDown, SysKeyDown, LeftClick, RightClick, MouseMove, Call };

struct ScheduledEvent {
    EventKind kind;
    int x = 0, y = 0;  // screen coordinates, or the virtual key in x
    std::function<void()> call;
};

struct Desktop {
    int screenWidth = 1024;
    int screenHeight = 768;
    // The clock (clock_model.h) is this plus the price of the calls counted;
    // negative after a deadline set the clock back to it.
    std::int64_t waitedNs = 0;
    std::uint64_t timerResolutionNs = 0;

    std::uintptr_t nextHandle = 0x10020;
    HWND desktopWindow = nullptr;
    std::unordered_map<std::uintptr_t, std::unique_ptr<Window>> windows;
    std::vector<HWND> zOrder;  // top-level windows, top first
    HWND active = nullptr;
    std::vector<WindowClass> classes;

    std::deque<MSG> posted;
    std::deque<MSG> input;
    bool quitPending = false;
    int quitCode = 0;
    std::vector<Timer> timers;
    std::multimap<std::uint64_t, ScheduledEvent> schedule;
    std::function<bool()> idleHandler;
    std::function<void(const MSG&)> dispatchObserver;
    POINT cursorPos{0, 0};

    std::vector<std::unique_ptr<Module>> modules;
    HCURSOR cursor = nullptr;

    std::unordered_map<GdiObject*, std::unique_ptr<GdiObject>> objects;
    std::vector<std::unique_ptr<HDC__>> dcs;  // never freed: stale handles stay safe
    std::vector<HDC__*> freeDcs;
    std::size_t liveDcs = 0;

    int messageBoxes = 0;
    std::string messageBoxCaption;
    std::string messageBoxText;
    HWND messageBoxOwner = nullptr;
};

Desktop& desktop();

// Windows.
Window* findWindow(HWND handle);       // live windows only
Window* anyWindow(HWND handle);        // live or destroyed
void invalidateWindow(Window& window);
void refreshSurfaces(Window& window);  // after a show, hide or destroy
RECT clientRectOnScreen(const Window& window);
std::vector<HWND> stackedWindows();    // visible and hidden top-level windows, top first
void activateWindow(HWND handle);
void destroyAllWindows();

// GDI.
GdiObject* findObject(HGDIOBJ handle);
HDC newDc(DcKind kind);
void releaseDc(HDC dc);
GdiObject* newBitmap(int width, int height);  // zero-filled; null when too large
bool decodeDib(const std::uint8_t* data, std::size_t size, GdiObject& bitmap);
void resetGdi();

// The clock: moves it on to `ns` (never back) by waiting.
void waitUntil(std::uint64_t ns);
// Sets it back to `ns` when it has gone past (a deadline).
void setClockBack(std::uint64_t ns);

// Limits (desktop.h): spend work units, and stop when the clock passed the deadline.
void chargeWork(std::uint64_t units);
void chargeArea(long long width, long long height);
void checkDeadline();

// Modules.
Module* findModule(HINSTANCE instance);

// The queue.
void resetQueue();

}  // namespace emu
