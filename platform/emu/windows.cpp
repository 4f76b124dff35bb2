// Windows: classes, creation, showing, placement, z-order, activation and
// destruction. Window records live until the desktop is reset, so a handle
// held by a window procedure further up the stack never dangles; a destroyed
// window is only marked dead.
#include <algorithm>
#include <cstring>
#include <strings.h>

#include "platform/emu/desktop.h"
#include "platform/emu/desktop_state.h"

namespace emu {

LRESULT CALLBACK staticControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK defaultDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

namespace {

constexpr int captionHeight = 19;

Window* record(HWND handle) {
    auto& windows = desktop().windows;
    auto it = windows.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == windows.end() ? nullptr : it->second.get();
}

const WindowClass* findClass(const char* name) {
    if (!name || IS_INTRESOURCE(name)) return nullptr;
    for (const WindowClass& c : desktop().classes) {
        if (strcasecmp(c.name.c_str(), name) == 0) return &c;
    }
    static const WindowClass staticClass{"Static", 0, staticControlProc, nullptr, nullptr};
    static const WindowClass dialogClass{"#32770", 0, defaultDialogProc, nullptr, nullptr};
    if (strcasecmp(name, "Static") == 0) return &staticClass;
    if (strcasecmp(name, "#32770") == 0) return &dialogClass;
    return nullptr;
}

// Wine's non-client widths: a thick frame, else a dialog frame, else a thin
// border; a client edge inside it; a caption on top.
Insets frameFor(DWORD style, DWORD exStyle) {
    int edge = 0;
    if (style & WS_THICKFRAME)
        edge = 4;
    else if ((exStyle & WS_EX_DLGMODALFRAME) || ((style & WS_DLGFRAME) && !(style & WS_BORDER)))
        edge = 3;
    else if (style & WS_BORDER)
        edge = 1;
    if (exStyle & WS_EX_CLIENTEDGE) edge += 2;
    Insets in{edge, edge, edge, edge};
    if ((style & WS_CAPTION) == WS_CAPTION) in.top += captionHeight;
    return in;
}

int clientWidth(const Window& w) { return std::max<int>(0, w.rect.right - w.rect.left - w.frame.left - w.frame.right); }
int clientHeight(const Window& w) { return std::max<int>(0, w.rect.bottom - w.rect.top - w.frame.top - w.frame.bottom); }

// Gives the client area pixels of its new size, keeping what overlaps.
void resizeClient(Window& w) {
    const int width = clientWidth(w);
    const int height = clientHeight(w);
    if (width == w.surface.width && height == w.surface.height && !w.pixels.empty()) return;
    std::vector<std::uint32_t> fresh;
    const bool backed = std::uint64_t(width) * std::uint64_t(height) * 4 <= maxSurfaceBytes;
    if (backed) {
        fresh.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
        const int keepW = std::min(width, w.surface.width);
        const int keepH = w.pixels.empty() ? 0 : std::min(height, w.surface.height);
        for (int y = 0; y < keepH; ++y)
            std::copy_n(w.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w.surface.width), keepW,
                        fresh.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width));
    }
    w.pixels.swap(fresh);
    // A client area too large to back reads as nothing and takes nothing.
    w.surface.pixels = w.pixels.data();
    w.surface.width = backed ? width : 0;
    w.surface.height = backed ? height : 0;
    refreshSurfaces(w);
}

bool showsOnScreen(const Window& w) {
    const Window* at = &w;
    while (at) {
        if (!at->alive || !at->visible) return false;
        at = at->parent ? record(at->parent) : nullptr;
    }
    return true;
}

HWND topLevelOf(HWND handle) {
    Window* w = record(handle);
    while (w && w->parent) w = record(w->parent);
    return w ? w->handle : nullptr;
}

bool isTopmost(const Window& w) {
    const Window* at = &w;
    for (int guard = 0; at && guard < 64; ++guard) {
        if (at->exStyle & WS_EX_TOPMOST) return true;
        at = at->owner ? record(at->owner) : nullptr;
    }
    return false;
}

void bringToTop(HWND handle) {
    auto& z = desktop().zOrder;
    auto it = std::find(z.begin(), z.end(), handle);
    if (it == z.end()) return;
    z.erase(it);
    z.insert(z.begin(), handle);
}

// Activation moves to the owner if it shows, else to the top visible window.
void passActivationFrom(HWND leaving) {
    Desktop& d = desktop();
    if (d.active != leaving) return;
    d.active = nullptr;
    Window* w = record(leaving);
    Window* owner = w && w->owner ? findWindow(w->owner) : nullptr;
    if (owner && showsOnScreen(*owner)) {
        d.active = owner->handle;
        return;
    }
    for (HWND h : stackedWindows()) {
        Window* candidate = findWindow(h);
        if (h != leaving && candidate && showsOnScreen(*candidate)) {
            d.active = h;
            return;
        }
    }
}

void setVisible(Window& w, bool visible, bool notify) {
    if (w.visible == visible) return;
    if (notify) SendMessageA(w.handle, WM_SHOWWINDOW, visible ? TRUE : FALSE, 0);
    if (!w.alive) return;
    w.visible = visible;
    if (visible) {
        w.style |= WS_VISIBLE;
        invalidateWindow(w);
    } else {
        w.style &= ~static_cast<DWORD>(WS_VISIBLE);
    }
    refreshSurfaces(w);
    if (!visible) passActivationFrom(w.handle);
}

void sendDestroy(Window& w) {
    SendMessageA(w.handle, WM_DESTROY, 0, 0);
    const std::vector<HWND> children = w.children;
    for (HWND c : children) {
        if (Window* child = findWindow(c)) sendDestroy(*child);
    }
}

void release(Window& w) {
    const std::vector<HWND> children = w.children;
    for (HWND c : children) {
        if (Window* child = findWindow(c)) release(*child);
    }
    SendMessageA(w.handle, WM_NCDESTROY, 0, 0);
    Desktop& d = desktop();
    w.alive = false;
    w.visible = false;
    std::vector<std::uint32_t>().swap(w.pixels);
    w.surface = Surface{};
    d.timers.erase(std::remove_if(d.timers.begin(), d.timers.end(), [&](const Timer& t) { return t.window == w.handle; }),
                   d.timers.end());
    d.zOrder.erase(std::remove(d.zOrder.begin(), d.zOrder.end(), w.handle), d.zOrder.end());
    if (Window* parent = record(w.parent)) {
        auto& siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), w.handle), siblings.end());
    }
    if (w.picture) {
        DeleteObject(w.picture);
        w.picture = nullptr;
    }
    passActivationFrom(w.handle);
}

}  // namespace

Window* anyWindow(HWND handle) { return record(handle); }

Window* findWindow(HWND handle) {
    Window* w = record(handle);
    return w && w->alive ? w : nullptr;
}

void invalidateWindow(Window& w) {
    w.updatePending = true;
    w.update = RECT{0, 0, clientWidth(w), clientHeight(w)};
}

void refreshSurfaces(Window& w) {
    w.surface.open = w.surface.width > 0 && showsOnScreen(w);
    if (w.handle == desktop().desktopWindow) w.surface.open = true;
    for (HWND c : w.children) {
        if (Window* child = findWindow(c)) refreshSurfaces(*child);
    }
}

RECT clientRectOnScreen(const Window& w) {
    RECT r{w.rect.left + w.frame.left, w.rect.top + w.frame.top, 0, 0};
    if (const Window* parent = w.parent ? record(w.parent) : nullptr) {
        const RECT p = clientRectOnScreen(*parent);
        r.left += p.left;
        r.top += p.top;
    }
    r.right = r.left + clientWidth(w);
    r.bottom = r.top + clientHeight(w);
    return r;
}

// Top-most windows first, then the rest; owned windows just above their owner.
std::vector<HWND> stackedWindows() {
    Desktop& d = desktop();
    std::vector<HWND> out;
    std::function<void(HWND)> emit = [&](HWND root) {
        for (HWND h : d.zOrder) {
            Window* w = findWindow(h);
            if (w && w->owner == root && findWindow(root)) emit(h);
        }
        out.push_back(root);
    };
    for (int band = 0; band < 2; ++band) {
        for (HWND h : d.zOrder) {
            Window* w = findWindow(h);
            if (!w || (w->owner && findWindow(w->owner))) continue;
            if (isTopmost(*w) == (band == 0)) emit(h);
        }
    }
    return out;
}

void activateWindow(HWND handle) {
    HWND top = topLevelOf(handle);
    if (!findWindow(top) || top == desktop().desktopWindow) return;
    desktop().active = top;
    bringToTop(top);
}

// A reset sends no messages: the procedures of an earlier run may belong to
// state that is already gone.
void destroyAllWindows() {
    Desktop& d = desktop();
    d.windows.clear();
    d.zOrder.clear();
    d.classes.clear();
    d.active = nullptr;
    d.desktopWindow = nullptr;
}

void setScreenSize(int width, int height) {
    Desktop& d = desktop();
    d.screenWidth = std::max(1, width);
    d.screenHeight = std::max(1, height);
    Window* screen = findWindow(d.desktopWindow);
    if (!screen) {
        auto w = std::make_unique<Window>();
        w->handle = reinterpret_cast<HWND>(d.nextHandle);
        d.nextHandle += 2;
        w->cls.name = "#32769";
        w->visible = true;
        d.desktopWindow = w->handle;
        screen = w.get();
        d.windows[reinterpret_cast<std::uintptr_t>(w->handle)] = std::move(w);
    }
    screen->rect = RECT{0, 0, d.screenWidth, d.screenHeight};
    resizeClient(*screen);
}

std::vector<HWND> topLevelWindows() { return stackedWindows(); }

HWND activeWindow() { return desktop().active; }

HWND findWindowByClass(const char* className) {
    if (!className) return nullptr;
    for (HWND h : stackedWindows()) {
        Window* w = findWindow(h);
        if (w && strcasecmp(w->cls.name.c_str(), className) == 0) return h;
    }
    return nullptr;
}

}  // namespace emu

using namespace emu;

ATOM WINAPI RegisterClassA(const WNDCLASSA* wndClass) {
    if (!wndClass || !wndClass->lpszClassName || !wndClass->lpfnWndProc) return 0;
    Desktop& d = desktop();
    for (const WindowClass& c : d.classes) {
        if (strcasecmp(c.name.c_str(), wndClass->lpszClassName) == 0) return 0;  // already registered
    }
    d.classes.push_back(WindowClass{wndClass->lpszClassName, wndClass->style, wndClass->lpfnWndProc,
                                    wndClass->hbrBackground, wndClass->hInstance});
    return static_cast<ATOM>(0xC000 + d.classes.size());
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                            int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    Desktop& d = desktop();
    if (!d.desktopWindow) setScreenSize(d.screenWidth, d.screenHeight);
    const WindowClass* cls = findClass(className);
    if (!cls) return nullptr;
    const bool child = (style & WS_CHILD) && !(style & WS_POPUP);
    Window* parentWindow = parent ? findWindow(parent) : nullptr;
    if (parent && !parentWindow) return nullptr;
    if (child && !parentWindow) return nullptr;

    auto w = std::make_unique<Window>();
    Window& win = *w;
    win.handle = reinterpret_cast<HWND>(d.nextHandle);
    d.nextHandle += 2;
    win.cls = *cls;
    win.title = windowName && !IS_INTRESOURCE(windowName) ? windowName : "";
    win.style = style & ~static_cast<DWORD>(WS_VISIBLE);
    win.exStyle = exStyle;
    if (child) {
        win.parent = parent;
        win.id = static_cast<int>(reinterpret_cast<std::uintptr_t>(menu));
    } else if (parentWindow) {
        win.owner = topLevelOf(parent);
        // As Wine does: a window owned by a top-most window is top-most too.
        if (Window* owner = findWindow(win.owner); owner && isTopmost(*owner)) win.exStyle |= WS_EX_TOPMOST;
    }
    if (x == CW_USEDEFAULT) x = y = 0;
    if (width == CW_USEDEFAULT) {
        width = d.screenWidth / 2;
        height = d.screenHeight / 2;
    }
    win.rect = RECT{x, y, x + std::max(0, width), y + std::max(0, height)};
    win.frame = frameFor(win.style, win.exStyle);
    d.windows[reinterpret_cast<std::uintptr_t>(win.handle)] = std::move(w);
    resizeClient(win);
    if (child)
        parentWindow->children.push_back(win.handle);
    else
        d.zOrder.insert(d.zOrder.begin(), win.handle);

    CREATESTRUCTA create{param, instance, menu, parent, height, width, y, x, static_cast<LONG>(style), windowName,
                         className, exStyle};
    const auto createParam = reinterpret_cast<LPARAM>(&create);
    if (!SendMessageA(win.handle, WM_NCCREATE, 0, createParam) || !findWindow(win.handle)) {
        DestroyWindow(win.handle);
        return nullptr;
    }
    if (SendMessageA(win.handle, WM_CREATE, 0, createParam) == -1 || !findWindow(win.handle)) {
        DestroyWindow(win.handle);
        return nullptr;
    }
    if (style & WS_VISIBLE) ShowWindow(win.handle, child ? SW_SHOWNA : SW_SHOW);
    return win.handle;
}

BOOL WINAPI ShowWindow(HWND handle, int command) {
    Window* w = findWindow(handle);
    if (!w || handle == desktop().desktopWindow) return FALSE;
    const BOOL wasVisible = w->visible ? TRUE : FALSE;
    if (command == SW_HIDE) {
        setVisible(*w, false, true);
        return wasVisible;
    }
    setVisible(*w, true, true);
    const bool activates = command != SW_SHOWNA && command != SW_SHOWNOACTIVATE;
    if (activates && findWindow(handle) && !w->parent) activateWindow(handle);
    return wasVisible;
}

BOOL WINAPI UpdateWindow(HWND handle) {
    Window* w = findWindow(handle);
    if (!w) return FALSE;
    if (w->updatePending && w->visible) SendMessageA(handle, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL WINAPI SetWindowPos(HWND handle, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    Desktop& d = desktop();
    Window* w = findWindow(handle);
    if (!w || handle == d.desktopWindow) return FALSE;
    const RECT before = w->rect;
    RECT after = before;
    if (!(flags & SWP_NOMOVE)) after = RECT{x, y, x + (before.right - before.left), y + (before.bottom - before.top)};
    if (!(flags & SWP_NOSIZE)) {
        after.right = after.left + std::max(0, cx);
        after.bottom = after.top + std::max(0, cy);
    }
    w->rect = after;
    const bool moved = after.left != before.left || after.top != before.top;
    const bool sized = (after.right - after.left) != (before.right - before.left) ||
                       (after.bottom - after.top) != (before.bottom - before.top);
    if (sized) resizeClient(*w);
    if ((moved || sized) && !(flags & SWP_NOREDRAW)) invalidateWindow(*w);

    if (!(flags & SWP_NOZORDER) && !w->parent) {
        auto& z = d.zOrder;
        if (insertAfter == HWND_TOPMOST) {
            w->exStyle |= WS_EX_TOPMOST;
            bringToTop(handle);
        } else if (insertAfter == HWND_NOTOPMOST) {
            w->exStyle &= ~static_cast<DWORD>(WS_EX_TOPMOST);
            bringToTop(handle);
        } else if (insertAfter == HWND_BOTTOM) {
            z.erase(std::remove(z.begin(), z.end(), handle), z.end());
            z.push_back(handle);
        } else if (insertAfter == HWND_TOP) {
            bringToTop(handle);
        } else if (findWindow(insertAfter) && insertAfter != handle) {
            z.erase(std::remove(z.begin(), z.end(), handle), z.end());
            auto it = std::find(z.begin(), z.end(), insertAfter);
            z.insert(it == z.end() ? z.end() : it + 1, handle);
        }
    }
    if (flags & SWP_SHOWWINDOW) setVisible(*w, true, false);
    if (flags & SWP_HIDEWINDOW) setVisible(*w, false, false);
    if (!(flags & (SWP_NOACTIVATE | SWP_HIDEWINDOW)) && !w->parent && w->visible) {
        d.active = handle;
        if (!(flags & SWP_NOZORDER)) bringToTop(handle);
    }
    return TRUE;
}

// Wine's order: hide, destroy the owned windows, WM_DESTROY from the window
// down to its children, then WM_NCDESTROY from the children up.
BOOL WINAPI DestroyWindow(HWND handle) {
    Desktop& d = desktop();
    Window* w = findWindow(handle);
    if (!w || w->destroying || handle == d.desktopWindow) return FALSE;
    w->destroying = true;
    if (w->visible) setVisible(*w, false, false);
    if (!w->parent) {
        const std::vector<HWND> order = d.zOrder;
        for (HWND h : order) {
            Window* owned = findWindow(h);
            if (owned && owned->owner == handle) DestroyWindow(h);
        }
    }
    sendDestroy(*w);
    if (findWindow(handle)) release(*w);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND handle) { return findWindow(handle) ? TRUE : FALSE; }

BOOL WINAPI IsWindowVisible(HWND handle) {
    Window* w = findWindow(handle);
    return w && showsOnScreen(*w) ? TRUE : FALSE;
}

BOOL WINAPI GetWindowRect(HWND handle, LPRECT rect) {
    Window* w = findWindow(handle);
    if (!w || !rect) return FALSE;
    *rect = w->rect;
    if (Window* parent = w->parent ? findWindow(w->parent) : nullptr) {
        const RECT p = clientRectOnScreen(*parent);
        *rect = RECT{rect->left + p.left, rect->top + p.top, rect->right + p.left, rect->bottom + p.top};
    }
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND handle, LPRECT rect) {
    Window* w = findWindow(handle);
    if (!w || !rect) return FALSE;
    *rect = RECT{0, 0, clientWidth(*w), clientHeight(*w)};
    return TRUE;
}

HWND WINAPI GetDesktopWindow() {
    Desktop& d = desktop();
    if (!d.desktopWindow) setScreenSize(d.screenWidth, d.screenHeight);
    return d.desktopWindow;
}

HWND WINAPI GetDlgItem(HWND dialog, int id) {
    Window* w = findWindow(dialog);
    if (!w) return nullptr;
    for (HWND c : w->children) {
        Window* child = findWindow(c);
        if (child && child->id == id) return c;
    }
    return nullptr;
}

HWND WINAPI GetParent(HWND handle) {
    Window* w = findWindow(handle);
    if (!w) return nullptr;
    return w->parent ? w->parent : w->owner;
}

LONG WINAPI GetWindowLongA(HWND handle, int index) {
    Window* w = findWindow(handle);
    if (!w) return 0;
    switch (index) {
    case GWL_STYLE: return static_cast<LONG>(w->style);
    case GWL_EXSTYLE: return static_cast<LONG>(w->exStyle);
    case GWL_ID: return w->id;
    default: return 0;
    }
}

BOOL WINAPI InvalidateRect(HWND handle, const RECT* rect, BOOL erase) {
    (void)erase;
    Desktop& d = desktop();
    if (!handle) {
        for (HWND h : d.zOrder) InvalidateRect(h, nullptr, erase);
        return TRUE;
    }
    Window* w = findWindow(handle);
    if (!w) return FALSE;
    RECT r = rect ? *rect : RECT{0, 0, clientWidth(*w), clientHeight(*w)};
    r.left = std::max<LONG>(r.left, 0);
    r.top = std::max<LONG>(r.top, 0);
    r.right = std::min<LONG>(r.right, clientWidth(*w));
    r.bottom = std::min<LONG>(r.bottom, clientHeight(*w));
    if (r.left >= r.right || r.top >= r.bottom) return TRUE;
    if (!w->updatePending) {
        w->update = r;
    } else {
        w->update = RECT{std::min(w->update.left, r.left), std::min(w->update.top, r.top),
                         std::max(w->update.right, r.right), std::max(w->update.bottom, r.bottom)};
    }
    w->updatePending = true;
    return TRUE;
}

// The update region is kept as one rectangle; validating part of it leaves it whole.
BOOL WINAPI ValidateRect(HWND handle, const RECT* rect) {
    Window* w = findWindow(handle);
    if (!w) return FALSE;
    if (!rect || (rect->left <= w->update.left && rect->top <= w->update.top && rect->right >= w->update.right &&
                  rect->bottom >= w->update.bottom))
        w->updatePending = false;
    return TRUE;
}

int WINAPI GetSystemMetrics(int index) {
    const Desktop& d = desktop();
    switch (index) {
    case SM_CXSCREEN: return d.screenWidth;
    case SM_CYSCREEN: return d.screenHeight;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME:
    case SM_CYFRAME: return 4;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    default: return 0;
    }
}
