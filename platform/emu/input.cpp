// Scheduled input turned into queued messages when its time comes: keys to
// the active window, mouse messages to the top-most visible window under the
// point (owned windows above their owner, top-most windows above the rest).
// A click activates the window it lands on. Static controls let the mouse
// through to their parent, as their hit test says HTTRANSPARENT.
#include "platform/emu/desktop.h"
#include "platform/emu/desktop_state.h"

namespace emu {

namespace {

constexpr WPARAM mkLButton = 0x0001;
constexpr WPARAM mkRButton = 0x0002;

bool contains(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

bool letsMouseThrough(const Window& w) {
    return w.cls.name == "Static" && !(w.style & SS_NOTIFY);
}

HWND childAt(Window& parent, int x, int y) {
    for (auto it = parent.children.rbegin(); it != parent.children.rend(); ++it) {
        Window* child = findWindow(*it);
        RECT r;
        if (!child || !child->visible || letsMouseThrough(*child) || !GetWindowRect(*it, &r) || !contains(r, x, y))
            continue;
        return childAt(*child, x, y);
    }
    return parent.handle;
}

HWND windowAt(int x, int y) {
    for (HWND h : stackedWindows()) {
        Window* w = findWindow(h);
        if (w && w->visible && contains(w->rect, x, y)) return childAt(*w, x, y);
    }
    return nullptr;
}

void queueInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Desktop& d = desktop();
    d.input.push_back(MSG{window, message, wParam, lParam, static_cast<DWORD>(now()), d.cursorPos});
}

// A mouse message in client coordinates, or its non-client form.
void queueMouse(HWND target, UINT clientMessage, UINT nonClientMessage, WPARAM keys, int x, int y) {
    Window* w = findWindow(target);
    if (!w) return;
    const RECT client = clientRectOnScreen(*w);
    if (contains(client, x, y))
        queueInput(target, clientMessage, keys, MAKELPARAM(x - client.left, y - client.top));
    else
        queueInput(target, nonClientMessage, HTBORDER, MAKELPARAM(x, y));
}

void moveCursor(int x, int y) {
    Desktop& d = desktop();
    if (d.cursorPos.x == x && d.cursorPos.y == y) return;
    d.cursorPos = POINT{x, y};
    if (HWND target = windowAt(x, y)) queueMouse(target, WM_MOUSEMOVE, WM_NCMOUSEMOVE, 0, x, y);
}

}  // namespace

void deliverInput(const ScheduledEvent& event) {
    Desktop& d = desktop();
    switch (event.kind) {
    case EventKind::KeyDown:
        if (findWindow(d.active)) queueInput(d.active, WM_KEYDOWN, static_cast<WPARAM>(event.x), 1);
        break;
    case EventKind::SysKeyDown: {
        // Alt is held for everything but F10, which is a system key of its own.
        const LPARAM altDown = event.x == VK_F10 ? 0 : LPARAM{KF_ALTDOWN} << 16;
        if (findWindow(d.active)) queueInput(d.active, WM_SYSKEYDOWN, static_cast<WPARAM>(event.x), 1 | altDown);
        break;
    }
    case EventKind::MouseMove: moveCursor(event.x, event.y); break;
    case EventKind::LeftClick:
    case EventKind::RightClick: {
        moveCursor(event.x, event.y);
        const HWND target = windowAt(event.x, event.y);
        if (!target) break;
        activateWindow(target);
        const bool left = event.kind == EventKind::LeftClick;
        queueMouse(target, left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN, left ? WM_NCLBUTTONDOWN : WM_NCRBUTTONDOWN,
                   left ? mkLButton : mkRButton, event.x, event.y);
        queueMouse(target, left ? WM_LBUTTONUP : WM_RBUTTONUP, left ? WM_NCLBUTTONUP : WM_NCRBUTTONUP, 0, event.x,
                   event.y);
        break;
    }
    case EventKind::Call: break;
    }
}

// Windows asks the window under the mouse for its cursor before each mouse message.
void noteMouseMessage(const MSG& msg) {
    const bool client = msg.message >= WM_MOUSEMOVE && msg.message <= WM_RBUTTONUP;
    const bool nonClient = msg.message >= WM_NCMOUSEMOVE && msg.message <= WM_NCRBUTTONUP;
    if (!client && !nonClient) return;
    const WORD hit = client ? HTCLIENT : static_cast<WORD>(msg.wParam);
    const UINT mouseMessage = client ? msg.message : msg.message - WM_NCMOUSEMOVE + WM_MOUSEMOVE;
    SendMessageA(msg.hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(msg.hwnd), MAKELPARAM(hit, mouseMessage));
}

}  // namespace emu
