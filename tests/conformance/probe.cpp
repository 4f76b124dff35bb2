// The conformance probe's questions. Every answer is a line of plain text
// that does not depend on timing, addresses or the run: handles are printed
// only as null or not, waits are long enough that every timer involved is
// due, and only the messages the probe itself caused are logged.
#include "tests/conformance/probe.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

typedef std::uint32_t u32;

const char kClassName[] = "QcProbe";
const UINT kMarker = WM_USER + 1;

// ---- Output ------------------------------------------------------------------

std::string hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

std::string rectText(const RECT& r) {
    char text[64];
    std::snprintf(text, sizeof text, "(%ld,%ld)-(%ld,%ld)", static_cast<long>(r.left), static_cast<long>(r.top),
                  static_cast<long>(r.right), static_cast<long>(r.bottom));
    return text;
}

void line(const std::string& text) {
    std::fputs(text.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// ---- Line walks -----------------------------------------------------------------

struct Walk {
    std::string points;
    LPARAM data = 0;
    bool dataKept = true;
};

void CALLBACK recordPoint(int x, int y, LPARAM data) {
    Walk* walk = reinterpret_cast<Walk*>(data);
    walk->points += " (" + std::to_string(x) + "," + std::to_string(y) + ")";
    if (data != walk->data) walk->dataKept = false;
}

void probeWalk(int x0, int y0, int x1, int y1) {
    Walk walk;
    walk.data = reinterpret_cast<LPARAM>(&walk);
    LineDDA(x0, y0, x1, y1, recordPoint, walk.data);
    char head[96];
    std::snprintf(head, sizeof head, "dda (%d,%d)-(%d,%d):", x0, y0, x1, y1);
    line(head + (walk.points.empty() ? std::string(" none") : walk.points) + (walk.dataKept ? "" : " data lost"));
}

// A generator of its own, so that both builds walk the same segments.
struct Lcg {
    u32 state;
    int next(int range) {
        state = state * 1103515245u + 12345u;
        return static_cast<int>((state >> 16) % static_cast<u32>(range));
    }
};

void probeLineWalks() {
    probeWalk(0, 0, 7, 3);
    probeWalk(5, 5, 0, 2);
    // Degenerate: no point, one point, straight lines.
    probeWalk(3, 3, 3, 3);
    probeWalk(3, 3, 4, 3);
    probeWalk(3, 3, 3, 4);
    probeWalk(3, 3, 2, 2);
    probeWalk(0, 0, 6, 0);
    probeWalk(6, 0, 0, 0);
    probeWalk(0, 0, 0, 6);
    probeWalk(0, 6, 0, 0);
    // Diagonals and every octant, with ties at the half steps.
    const int ends[][2] = {{6, 6}, {-6, 6}, {6, -6}, {-6, -6}, {7, 2}, {2, 7}, {-2, 7}, {-7, 2},
                           {-7, -2}, {-2, -7}, {2, -7}, {7, -2}, {4, 2}, {-4, 2}, {2, -4}, {-2, -4}};
    for (const auto& end : ends) probeWalk(0, 0, end[0], end[1]);
    for (const auto& end : ends) probeWalk(end[0], end[1], 0, 0);
    // Long ones, and coordinates far from the origin.
    probeWalk(0, 0, 300, 17);
    probeWalk(-50, 20, 250, 400);
    probeWalk(490, 3, 7, 480);
    probeWalk(-1000, -999, -1003, -1200);
    Lcg random{20240601u};
    for (int i = 0; i < 400; ++i) {
        const int span = i < 300 ? 24 : 200;
        const int x0 = random.next(span) - span / 2, y0 = random.next(span) - span / 2;
        const int x1 = random.next(span) - span / 2, y1 = random.next(span) - span / 2;
        probeWalk(x0, y0, x1, y1);
    }
}

// ---- Windows and the message queue ------------------------------------------------

int sentPaints = 0;

LRESULT CALLBACK probeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) ++sentPaints;
    return DefWindowProcA(window, message, wParam, lParam);
}

bool registerProbeClass(HINSTANCE instance) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = probeWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    return RegisterClassA(&windowClass) != 0;
}

HWND makeWindow(HINSTANCE instance, int x, int y, int size) {
    return CreateWindowExA(WS_EX_TOPMOST, kClassName, "probe", WS_POPUP, x, y, size, size, nullptr, nullptr,
                           instance, nullptr);
}

// Lets time pass without taking messages: at least one whole second, so that
// every timer the probe arms is due. It spins like the player's splash wait,
// but asks only for a message nobody sends, so that what is queued stays
// queued. The cap only keeps a clock that never moves from hanging the probe.
void spinOneSecond() {
    const UINT nothing = WM_USER + 900;
    MSG message;
    const std::time_t start = platform::time(nullptr);
    for (long i = 0; i < 50000000L && platform::time(nullptr) - start < 2; ++i)
        PeekMessageA(&message, nullptr, nothing, nothing, PM_NOREMOVE);
}

// What the platform queued by itself (showing, moving) is handled, not logged.
void drain() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

std::string messageText(const MSG& message) {
    switch (message.message) {
        case WM_PAINT: return "paint";
        case WM_TIMER: return "timer " + std::to_string(static_cast<unsigned long>(message.wParam));
        case WM_QUIT: return "quit " + std::to_string(static_cast<long>(message.wParam));
        default:
            if (message.message >= kMarker && message.message < kMarker + 100)
                return "posted " + std::to_string(message.message - kMarker);
            return "";
    }
}

// Takes what is waiting, in the order the queue hands it out, and logs the
// messages the probe caused; stops when nothing is waiting. Each timer is
// killed as it arrives, as the player does, so that a re-armed timer cannot
// come due again while the queue is read.
void takeWaiting(const char* label, HWND window) {
    std::string order;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        const std::string text = message.hwnd == window || message.message == WM_QUIT ? messageText(message) : "";
        if (!text.empty()) order += " [" + text + "]";
        if (message.message == WM_TIMER && message.hwnd == window) KillTimer(window, message.wParam);
        DispatchMessageA(&message);
    }
    line(std::string(label) + ":" + (order.empty() ? " nothing" : order));
}

void probeMessages(HINSTANCE instance) {
    HWND window = makeWindow(instance, 600, 20, 120);
    HWND hidden = makeWindow(instance, 600, 200, 120);
    if (!window || !hidden) {
        line("messages: no window");
        return;
    }
    line(std::string("visible after create: ") + (IsWindowVisible(window) ? "yes" : "no"));
    ShowWindow(window, SW_SHOW);
    sentPaints = 0;
    UpdateWindow(window);
    line("paints sent by UpdateWindow: " + std::to_string(sentPaints));
    sentPaints = 0;
    UpdateWindow(window);
    line("paints sent by a second UpdateWindow: " + std::to_string(sentPaints));
    drain();

    // Everything due at once: posted messages, one paint, three timers that
    // each ran out several times, and one timer killed while pending.
    SetTimer(window, 7, 700, nullptr);
    SetTimer(window, 8, 10, nullptr);
    SetTimer(window, 11, 500, nullptr);
    SetTimer(window, 12, 300, nullptr);
    InvalidateRect(window, nullptr, FALSE);
    PostMessageA(window, kMarker + 1, 0, 0);
    PostMessageA(window, kMarker + 2, 0, 0);
    PostMessageA(window, kMarker + 3, 0, 0);
    spinOneSecond();
    KillTimer(window, 8);
    PostMessageA(window, kMarker + 4, 0, 0);
    takeWaiting("all due", window);

    // The quit message comes after posted messages, before paint and timers.
    SetTimer(window, 13, 10, nullptr);
    spinOneSecond();
    InvalidateRect(window, nullptr, FALSE);
    PostQuitMessage(42);
    PostMessageA(window, kMarker + 5, 0, 0);
    std::string order;
    MSG message;
    BOOL got;
    while ((got = GetMessageA(&message, nullptr, 0, 0)) != 0) {
        const std::string text = message.hwnd == window ? messageText(message) : "";
        if (!text.empty()) order += " [" + text + "]";
        DispatchMessageA(&message);
    }
    line("GetMessageA up to quit:" + order + " then returns " + std::to_string(got) + " with [" +
         messageText(message) + "]");
    takeWaiting("after quit", window);

    // A periodic timer comes back after its interval; GetMessageA waits for it.
    SetTimer(window, 14, 50, nullptr);
    std::string next;
    while (GetMessageA(&message, nullptr, 0, 0)) {
        const std::string text = message.hwnd == window ? messageText(message) : "";
        DispatchMessageA(&message);
        if (!text.empty()) {
            next = text;
            break;
        }
    }
    line("GetMessageA waits for: [" + next + "]");
    KillTimer(window, 14);
    KillTimer(window, 99);
    takeWaiting("after KillTimer", window);

    // A window never shown gets no paint, but its timer still ticks.
    InvalidateRect(hidden, nullptr, FALSE);
    PostMessageA(hidden, kMarker + 6, 0, 0);
    takeWaiting("hidden window invalidated", hidden);
    SetTimer(hidden, 9, 10, nullptr);
    next.clear();
    while (GetMessageA(&message, nullptr, 0, 0)) {
        const std::string text = message.hwnd == hidden ? messageText(message) : "";
        DispatchMessageA(&message);
        if (!text.empty()) {
            next = text;
            break;
        }
    }
    KillTimer(hidden, 9);
    line("hidden window ticks: [" + next + "]");

    // Once shown and hidden again, invalidating it queues nothing either.
    ShowWindow(window, SW_HIDE);
    drain();
    InvalidateRect(window, nullptr, FALSE);
    PostMessageA(window, kMarker + 7, 0, 0);
    takeWaiting("hidden again, invalidated", window);

    DestroyWindow(hidden);
    DestroyWindow(window);
    drain();
}

// ---- Colours and pixels ------------------------------------------------------------

const DWORD kColours[] = {0x00123456, 0x01123456, 0x02123456, 0x03123456, 0x10123456, 0xFF123456,
                          0xFFFFFFFF, 0x01000003, 0x02FFFFFF, 0x00FFFFFF, 0x00000000};

void probeSetGet(const char* label, HDC dc) {
    for (DWORD colour : kColours) {
        SetPixel(dc, 1, 1, 0x00ABCDEF);
        const COLORREF set = SetPixel(dc, 1, 1, colour);
        const COLORREF read = GetPixel(dc, 1, 1);
        line(std::string(label) + " SetPixel " + hex(colour) + " returns " + hex(set) + ", GetPixel " + hex(read));
    }
}

void probeOutside(const char* label, HDC dc, int width, int height) {
    const int points[][2] = {{-1, 0}, {0, -1}, {width, 0}, {0, height}, {width - 1, height - 1}, {5000, 5000}};
    std::string text = std::string(label) + " GetPixel at edges:";
    for (const auto& p : points) {
        SetPixel(dc, p[0], p[1], 0x00445566);
        text += " (" + std::to_string(p[0]) + "," + std::to_string(p[1]) + ")=" + hex(GetPixel(dc, p[0], p[1]));
    }
    line(text);
}

// FillRect covers left..right-1 and top..bottom-1: a map of a 10x10 corner.
void probeFill(const char* label, HDC dc) {
    RECT all;
    SetRect(&all, 0, 0, 10, 10);
    HBRUSH black = CreateSolidBrush(0x00000000);
    FillRect(dc, &all, black);
    DeleteObject(black);
    RECT r;
    SetRect(&r, 2, 3, 6, 8);
    HBRUSH brush = CreateSolidBrush(0x02FFFFFF);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
    for (int y = 0; y < 10; ++y) {
        std::string row;
        for (int x = 0; x < 10; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            row += c == 0 ? '.' : c == 0x00FFFFFF ? '#' : '?';
        }
        line(std::string(label) + " FillRect 0x02FFFFFF (2,3)-(6,8) row " + std::to_string(y) + ": " + row);
    }
}

void probeCaps(const char* label, HDC dc) {
    line(std::string(label) + " caps: BITSPIXEL " + std::to_string(GetDeviceCaps(dc, BITSPIXEL)) + ", PLANES " +
         std::to_string(GetDeviceCaps(dc, PLANES)) + ", RC_PALETTE " +
         ((GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) ? "set" : "clear"));
}

// A small logical palette like the player's: version 0x300, explicit entries.
HPALETTE makePalette() {
    alignas(LOGPALETTE) static unsigned char image[4 + 4 * 4];
    LOGPALETTE* palette = reinterpret_cast<LOGPALETTE*>(image);
    palette->palVersion = 0x300;
    palette->palNumEntries = 4;
    // Entry 0 is not black, so that an index past the end shows where it lands.
    const DWORD entries[4] = {0x00404040, 0x000000FF, 0x0000FF00, 0x00FF0000};
    for (int i = 0; i < 4; ++i) {
        PALETTEENTRY& e = palette->palPalEntry[i];
        e.peRed = GetRValue(entries[i]);
        e.peGreen = GetGValue(entries[i]);
        e.peBlue = GetBValue(entries[i]);
        e.peFlags = 0;
    }
    return CreatePalette(palette);
}

void probePalette(const char* label, HDC dc, HPALETTE palette) {
    HPALETTE old = SelectPalette(dc, palette, FALSE);
    RealizePalette(dc);
    const DWORD colours[] = {0x02123456, 0x020000F0, 0x01000002, 0x01000009, 0x03000001, 0xFFFFFFFF};
    for (DWORD colour : colours) {
        SetPixel(dc, 2, 2, colour);
        line(std::string(label) + " with palette SetPixel " + hex(colour) + ", GetPixel " + hex(GetPixel(dc, 2, 2)));
    }
    SelectPalette(dc, old, FALSE);
}

void probeColours(HINSTANCE instance) {
    HWND window = makeWindow(instance, 600, 20, 100);
    HWND hidden = makeWindow(instance, 600, 200, 100);
    if (!window || !hidden) {
        line("colours: no window");
        return;
    }
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    drain();
    HPALETTE palette = makePalette();

    HDC dc = GetDC(window);
    probeCaps("window", dc);
    probeSetGet("window", dc);
    probeOutside("window", dc, 100, 100);
    probeFill("window", dc);
    probePalette("window", dc, palette);

    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateBitmap(16, 12, 1, 32, nullptr);
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    std::string fresh;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) {
            const std::string c = hex(GetPixel(memory, x, y));
            if (fresh.find(c) == std::string::npos) fresh += " " + c;
        }
    line("memory fresh CreateBitmap(16,12,1,32) colours:" + fresh);
    probeCaps("memory", memory);
    probeSetGet("memory", memory);
    probeOutside("memory", memory, 16, 12);
    probeFill("memory", memory);
    probePalette("memory", memory, palette);
    SelectObject(memory, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, dc);

    HDC hiddenDc = GetDC(hidden);
    probeSetGet("hidden", hiddenDc);
    probeOutside("hidden", hiddenDc, 100, 100);
    ReleaseDC(hidden, hiddenDc);

    // Once hidden, a shown window reads as invalid too.
    ShowWindow(window, SW_HIDE);
    dc = GetDC(window);
    SetPixel(dc, 3, 3, 0x00FF00FF);
    line("hidden after shown GetPixel " + hex(GetPixel(dc, 3, 3)));
    ReleaseDC(window, dc);

    DeleteObject(palette);
    DestroyWindow(hidden);
    DestroyWindow(window);
    drain();
}

// ---- Metrics ------------------------------------------------------------------------

void probeMetrics() {
    const struct {
        const char* name;
        int index;
    } metrics[] = {{"SM_CXSCREEN", SM_CXSCREEN},     {"SM_CYSCREEN", SM_CYSCREEN}, {"SM_CXFRAME", SM_CXFRAME},
                   {"SM_CYFRAME", SM_CYFRAME},       {"SM_CXDLGFRAME", SM_CXDLGFRAME},
                   {"SM_CYDLGFRAME", SM_CYDLGFRAME}, {"SM_CXEDGE", SM_CXEDGE},   {"SM_CYEDGE", SM_CYEDGE}};
    for (const auto& m : metrics)
        line(std::string("GetSystemMetrics ") + m.name + " " + std::to_string(GetSystemMetrics(m.index)));
    RECT r;
    GetWindowRect(GetDesktopWindow(), &r);
    line("desktop window rect " + rectText(r));
    GetClientRect(GetDesktopWindow(), &r);
    line("desktop client rect " + rectText(r));

    RECT box;
    SetRect(&box, 2, 3, 6, 8);
    const int points[][2] = {{2, 3}, {5, 7}, {6, 3}, {2, 8}, {1, 3}, {2, 2}};
    std::string inside = "PtInRect (2,3)-(6,8):";
    for (const auto& p : points) {
        POINT pt;
        pt.x = p[0];
        pt.y = p[1];
        inside += " (" + std::to_string(p[0]) + "," + std::to_string(p[1]) + ")=" + std::to_string(PtInRect(&box, pt));
    }
    line(inside);
}

// ---- Dialogs -------------------------------------------------------------------------

void probeDialog(HINSTANCE instance, HWND owner, int templateId) {
    const std::string label = "dialog " + std::to_string(templateId);
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), owner, nullptr, 0);
    if (!dialog) {
        line(label + ": not created");
        return;
    }
    line(label + " visible before showing: " + (IsWindowVisible(dialog) ? "yes" : "no"));
    RECT window, client;
    GetWindowRect(dialog, &window);
    GetClientRect(dialog, &client);
    line(label + " window rect " + rectText(window) + ", client rect " + rectText(client));
    HWND picture = GetDlgItem(dialog, 1004);
    RECT pictureClient = {0, 0, 0, 0}, pictureWindow = {0, 0, 0, 0};
    if (picture) {
        GetClientRect(picture, &pictureClient);
        GetWindowRect(picture, &pictureWindow);
    }
    line(label + " control 1004 " + (picture ? "client rect " + rectText(pictureClient) : std::string("missing")));
    line(label + " control 1004 visible: " + (picture && IsWindowVisible(picture) ? "yes" : "no") +
         ", offset from dialog (" + std::to_string(pictureWindow.left - window.left) + "," +
         std::to_string(pictureWindow.top - window.top) + ")");
    line(label + " GetDlgItem 1005: " + (GetDlgItem(dialog, 1005) ? "found" : "null"));

    // The splash's own sizing: the picture plus twice the frame metric.
    const int frameX = GetSystemMetrics(SM_CXFRAME), frameY = GetSystemMetrics(SM_CYFRAME);
    const int pictureWidth = static_cast<int>(pictureClient.right - pictureClient.left);
    const int pictureHeight = static_cast<int>(pictureClient.bottom - pictureClient.top);
    SetWindowPos(dialog, nullptr, 0, 0, pictureWidth + 2 * frameX, pictureHeight + 2 * frameY, SWP_NOZORDER);
    GetWindowRect(dialog, &window);
    GetClientRect(dialog, &client);
    line(label + " after SetWindowPos window rect " + rectText(window) + ", client rect " + rectText(client));
    SetWindowPos(dialog, nullptr, 100, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    GetWindowRect(dialog, &window);
    line(label + " after move window rect " + rectText(window));
    ShowWindow(dialog, SW_SHOW);
    line(label + " visible after SW_SHOW: " + (IsWindowVisible(dialog) ? "yes" : "no"));
    drain();
    DestroyWindow(dialog);
    line(label + " IsWindow after DestroyWindow: " + std::to_string(IsWindow(dialog)));
}

void probeDialogs(HINSTANCE instance) {
    // The owner stands where the player's window starts: top-most, (0,0), 200x200.
    HWND owner = makeWindow(instance, 0, 0, 200);
    if (!owner) {
        line("dialogs: no owner");
        return;
    }
    ShowWindow(owner, SW_SHOW);
    UpdateWindow(owner);
    probeDialog(instance, owner, 122);
    probeDialog(instance, owner, 135);
    probeDialog(instance, owner, 999);

    // Owned dialogs go with their owner.
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(122), owner, nullptr, 0);
    DestroyWindow(owner);
    line(std::string("dialog 122 after its owner is destroyed: ") + (dialog && IsWindow(dialog) ? "alive" : "gone"));
    drain();
}

}  // namespace

int runProbe(HINSTANCE instance) {
    if (!registerProbeClass(instance)) {
        line("RegisterClassA failed");
        return 1;
    }
    probeLineWalks();
    probeMetrics();
    probeColours(instance);
    probeMessages(instance);
    probeDialogs(instance);
    line("end");
    std::fflush(stdout);
    return 0;
}
