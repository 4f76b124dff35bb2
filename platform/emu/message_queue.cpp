// The one message queue and the virtual clock that drives it. Messages come
// out in Win32's order: posted messages (FIFO), the quit message, input, then
// WM_PAINT for a visible window with something to paint, then WM_TIMER for a
// due timer. Nothing waits for real time: a blocking GetMessageA moves the
// clock to the next due timer or scheduled event; every PeekMessageA and
// every tick taken costs its price (clock_model.h), so a busy wait moves the
// clock on as it would on a real desktop.
#include <algorithm>
#include <string>

#include "platform/emu/desktop.h"
#include "platform/emu/desktop_state.h"

namespace emu {

void deliverInput(const ScheduledEvent& event);
void noteMouseMessage(const MSG& msg);

namespace {

constexpr std::uint64_t kNsPerMs = 1'000'000;
static_assert(kCallPrices.messageLook > 0, "a busy wait on PeekMessageA, as the splash's, must move the clock");

struct Filter {
    HWND window;
    UINT min;
    UINT max;

    bool takes(UINT message) const { return (min == 0 && max == 0) || (message >= min && message <= max); }
    bool takesWindow(HWND h) const {
        if (!window) return true;
        for (Window* w = anyWindow(h); w; w = w->parent ? anyWindow(w->parent) : nullptr) {
            if (w->handle == window) return true;
        }
        return false;
    }
};

MSG makeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG msg{window, message, wParam, lParam, static_cast<DWORD>(now()), desktop().cursorPos};
    return msg;
}

// The first moment at or after `ns` at which the system checks its timers.
std::uint64_t onTimerGrid(std::uint64_t ns) {
    const std::uint64_t grid = timerResolution();
    if (grid == 0) return ns;
    return (ns + grid - 1) / grid * grid;
}

// Runs calls and turns input into messages, for everything whose time has come.
void runDueEvents() {
    Desktop& d = desktop();
    while (!d.schedule.empty() && d.schedule.begin()->first <= nowNs()) {
        ScheduledEvent event = std::move(d.schedule.begin()->second);
        d.schedule.erase(d.schedule.begin());
        if (event.kind == EventKind::Call) {
            if (event.call) event.call();
        } else {
            deliverInput(event);
        }
    }
}

bool takeFrom(std::deque<MSG>& queue, const Filter& f, bool remove, MSG& out) {
    for (auto it = queue.begin(); it != queue.end();) {
        if (it->hwnd && !findWindow(it->hwnd)) {  // its window is gone
            it = queue.erase(it);
            continue;
        }
        if (f.takes(it->message) && f.takesWindow(it->hwnd)) {
            out = *it;
            if (remove) queue.erase(it);
            return true;
        }
        ++it;
    }
    return false;
}

bool takePaint(const Filter& f, MSG& out) {
    if (!f.takes(WM_PAINT)) return false;
    std::vector<HWND> order;
    std::function<void(HWND)> walk = [&](HWND h) {
        order.push_back(h);
        if (Window* w = findWindow(h))
            for (HWND c : w->children) walk(c);
    };
    for (HWND h : stackedWindows()) walk(h);
    for (HWND h : order) {
        Window* w = findWindow(h);
        if (w && w->updatePending && IsWindowVisible(h) && f.takesWindow(h)) {
            out = makeMessage(h, WM_PAINT, 0, 0);
            return true;
        }
    }
    return false;
}

Timer* dueTimer(const Filter& f) {
    Desktop& d = desktop();
    const std::uint64_t clock = nowNs();
    Timer* best = nullptr;
    for (Timer& t : d.timers) {
        if (t.due > clock || !f.takesWindow(t.window) || !f.takes(WM_TIMER)) continue;
        if (t.window && !findWindow(t.window)) continue;
        if (!best || t.due < best->due) best = &t;
    }
    return best;
}

bool takeMessage(const Filter& f, bool remove, MSG& out) {
    Desktop& d = desktop();
    if (takeFrom(d.posted, f, remove, out)) return true;
    if (d.quitPending && f.takes(WM_QUIT)) {
        out = makeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(d.quitCode), 0);
        if (remove) d.quitPending = false;
        return true;
    }
    if (takeFrom(d.input, f, remove, out)) {
        if (remove) noteMouseMessage(out);
        // The cursor message may have closed the window the input was for.
        if (out.hwnd && !findWindow(out.hwnd)) return takeMessage(f, remove, out);
        return true;
    }
    if (takePaint(f, out)) return true;
    if (Timer* t = dueTimer(f)) {
        out = makeMessage(t->window, WM_TIMER, t->id, reinterpret_cast<LPARAM>(t->proc));
        // One pending tick per timer: the next one is a whole interval on.
        if (remove) {
            const std::uint64_t clock = nowNs();
            while (t->due <= clock) t->due = onTimerGrid(t->due + t->interval * kNsPerMs);
            ++callCounts.ticks;
        }
        return true;
    }
    return false;
}

// The earliest time at which something can arrive, if anything can.
bool nextDueTime(const Filter& f, std::uint64_t& at) {
    Desktop& d = desktop();
    bool any = false;
    for (const Timer& t : d.timers) {
        if (t.window && !findWindow(t.window)) continue;
        if (!f.takesWindow(t.window) || !f.takes(WM_TIMER)) continue;
        if (!any || t.due < at) at = t.due;
        any = true;
    }
    if (!d.schedule.empty() && (!any || d.schedule.begin()->first < at)) {
        at = d.schedule.begin()->first;
        any = true;
    }
    return any;
}

LRESULT callProcedure(Window& w, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC proc = w.cls.proc;
    return proc ? proc(w.handle, message, wParam, lParam) : 0;
}

}  // namespace

void resetQueue() {
    Desktop& d = desktop();
    d.posted.clear();
    d.input.clear();
    d.quitPending = false;
    d.quitCode = 0;
    d.timers.clear();
    d.schedule.clear();
    d.idleHandler = nullptr;
    d.dispatchObserver = nullptr;
}

void scheduleCallNs(std::uint64_t ns, std::function<void()> call) {
    ScheduledEvent event{EventKind::Call, 0, 0, std::move(call)};
    desktop().schedule.emplace(ns, std::move(event));
}

void scheduleCall(std::uint64_t ms, std::function<void()> call) { scheduleCallNs(ms * kNsPerMs, std::move(call)); }

void scheduleKeyDown(std::uint64_t ms, int virtualKey) {
    desktop().schedule.emplace(ms * kNsPerMs, ScheduledEvent{EventKind::KeyDown, virtualKey, 0, nullptr});
}

void scheduleSysKeyDown(std::uint64_t ms, int virtualKey) {
    desktop().schedule.emplace(ms * kNsPerMs, ScheduledEvent{EventKind::SysKeyDown, virtualKey, 0, nullptr});
}

void scheduleLeftClick(std::uint64_t ms, int x, int y) {
    desktop().schedule.emplace(ms * kNsPerMs, ScheduledEvent{EventKind::LeftClick, x, y, nullptr});
}

void scheduleRightClick(std::uint64_t ms, int x, int y) {
    desktop().schedule.emplace(ms * kNsPerMs, ScheduledEvent{EventKind::RightClick, x, y, nullptr});
}

void scheduleMouseMove(std::uint64_t ms, int x, int y) {
    desktop().schedule.emplace(ms * kNsPerMs, ScheduledEvent{EventKind::MouseMove, x, y, nullptr});
}

}  // namespace emu

using namespace emu;

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window && !findWindow(window)) return FALSE;
    desktop().posted.push_back(makeMessage(window, message, wParam, lParam));
    return TRUE;
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = findWindow(window);
    return w ? callProcedure(*w, message, wParam, lParam) : 0;
}

VOID WINAPI PostQuitMessage(int exitCode) {
    Desktop& d = desktop();
    d.quitPending = true;
    d.quitCode = exitCode;
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
    if (!msg) return -1;
    const Filter f{window, filterMin, filterMax};
    Desktop& d = desktop();
    for (;;) {
        runDueEvents();
        if (takeMessage(f, true, *msg)) return msg->message == WM_QUIT ? FALSE : TRUE;
        std::uint64_t at = 0;
        if (nextDueTime(f, at)) {
            const std::uint64_t clock = nowNs();
            waitUntil(at > clock ? at : clock + kNsPerMs);
            checkDeadline();
            continue;
        }
        if (d.idleHandler && d.idleHandler()) continue;
        throw BlockedForever("GetMessageA would wait forever at " + std::to_string(now()) +
                             " ms: no message queued, no timer armed and nothing scheduled");
    }
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
    ++callCounts.messageLooks;
    checkDeadline();
    runDueEvents();
    MSG found{};
    if (takeMessage(Filter{window, filterMin, filterMax}, (removeFlags & PM_REMOVE) != 0, found)) {
        if (msg) *msg = found;
        return TRUE;
    }
    return FALSE;
}

// Character messages for the keys that make characters, posted like Windows does.
BOOL WINAPI TranslateMessage(const MSG* msg) {
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
    const WPARAM vk = msg->wParam;
    WPARAM ch = 0;
    if (vk >= 'A' && vk <= 'Z')
        ch = vk - 'A' + 'a';
    else if ((vk >= '0' && vk <= '9') || vk == VK_SPACE || vk == VK_RETURN || vk == VK_ESCAPE || vk == VK_BACK ||
             vk == VK_TAB)
        ch = vk;
    if (ch) PostMessageA(msg->hwnd, msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR, ch, msg->lParam);
    return TRUE;
}

namespace {

LRESULT deliver(const MSG& msg) {
    if (msg.message == WM_TIMER && msg.lParam) {
        reinterpret_cast<TIMERPROC>(msg.lParam)(msg.hwnd, WM_TIMER, msg.wParam, msg.time);
        return 0;
    }
    Window* w = findWindow(msg.hwnd);
    return w ? callProcedure(*w, msg.message, msg.wParam, msg.lParam) : 0;
}

}  // namespace

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
    if (!msg) return 0;
    const MSG copy = *msg;  // the handler may reuse the caller's MSG
    const LRESULT result = deliver(copy);
    // A copy of the observer: it may replace itself while it runs.
    if (auto observer = desktop().dispatchObserver) observer(copy);
    return result;
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = findWindow(window);
    if (!w) return 0;
    switch (message) {
    case WM_NCCREATE: return TRUE;
    case WM_PAINT:
        // BeginPaint and EndPaint: erase if asked, then the window is valid.
        if (w->cls.background) SendMessageA(window, WM_ERASEBKGND, 0, 0);
        ValidateRect(window, nullptr);
        return 0;
    case WM_ERASEBKGND: {
        HBRUSH brush = w->cls.background;
        if (!brush) return 0;
        const auto value = reinterpret_cast<std::uintptr_t>(brush);
        HBRUSH made = nullptr;
        if (value <= 31) brush = made = CreateSolidBrush(value - 1 == COLOR_WINDOW ? 0xFFFFFF : 0xF5F5F5);
        HDC dc = GetDC(window);
        RECT r;
        GetClientRect(window, &r);
        FillRect(dc, &r, brush);
        ReleaseDC(window, dc);
        if (made) DeleteObject(made);
        return 1;
    }
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) return SendMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_SYSKEYDOWN:
        // Alt+F4 asks the top-level window to close.
        if (wParam == VK_F4 && (HIWORD(lParam) & KF_ALTDOWN)) {
            HWND top = window;
            while (Window* at = findWindow(top)) {
                if (!at->parent) break;
                top = at->parent;
            }
            PostMessageA(top, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        return 0;
    case WM_SETCURSOR:
        // A child asks its parent first; otherwise the class cursor, which is the arrow here.
        if (w->parent && SendMessageA(w->parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
        return FALSE;
    case WM_NCHITTEST: {
        const RECT client = clientRectOnScreen(*w);
        const POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        return PtInRect(&client, p) ? HTCLIENT : HTBORDER;
    }
    default: return 0;
    }
}

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    Desktop& d = desktop();
    if (window && !findWindow(window)) return 0;
    if (!window) {  // a thread timer gets a fresh identifier
        static UINT_PTR nextThreadTimer = 0x7FF0;
        id = ++nextThreadTimer;
    }
    // Like Windows, intervals under 10 ms are raised to 10 ms.
    const UINT interval = std::min<UINT>(std::max<UINT>(elapse, 10), 0x7FFFFFFF);
    const std::uint64_t due = onTimerGrid(nowNs() + interval * kNsPerMs);
    for (Timer& t : d.timers) {
        if (t.window == window && t.id == id) {  // re-arming replaces the timer
            t = Timer{window, id, interval, due, proc};
            return window ? 1 : id;
        }
    }
    d.timers.push_back(Timer{window, id, interval, due, proc});
    return window ? 1 : id;
}

BOOL WINAPI KillTimer(HWND window, UINT_PTR id) {
    auto& timers = desktop().timers;
    const auto it = std::find_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.window == window && t.id == id; });
    if (it == timers.end()) return FALSE;
    timers.erase(it);  // its pending tick goes with it
    return TRUE;
}
