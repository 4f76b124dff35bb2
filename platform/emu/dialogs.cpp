// Dialogs from compiled templates (DLGTEMPLATEEX and the older DLGTEMPLATE),
// the static picture control, default dialog handling without a dialog
// procedure, and the message box, which only records what it would say.
#include <algorithm>
#include <cstring>
#include <string>

#include "format/little_endian.h"
#include "platform/emu/desktop.h"
#include "platform/emu/desktop_state.h"

namespace emu {

namespace {

constexpr std::uint16_t dialogType = 5;
constexpr COLORREF faceColour = 0xF5F5F5;  // Wine's button face

// Base units of the dialog font: what Wine gives for 8 point "MS Sans Serif",
// and for the system font when the template names none.
constexpr int fontBaseX = 7, fontBaseY = 13;
constexpr int systemBaseX = 9, systemBaseY = 16;

int mulDiv(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

// A bounds-checked reader over the template bytes; reading past the end fails.
struct Reader {
    const std::uint8_t* p;
    const std::uint8_t* end;
    bool ok = true;

    std::uint16_t u16() {
        if (end - p < 2) return ok = false, 0;
        const auto v = format::readU16(p);
        p += 2;
        return v;
    }
    std::uint32_t u32() {
        const std::uint32_t lo = u16();
        return lo | std::uint32_t{u16()} << 16;
    }
    std::int16_t s16() { return static_cast<std::int16_t>(u16()); }
    void align4(const std::uint8_t* base) {
        const auto offset = static_cast<std::size_t>(p - base);
        const std::size_t pad = (4 - offset % 4) % 4;
        if (static_cast<std::size_t>(end - p) < pad) ok = false;
        else p += pad;
    }
    void skip(std::size_t n) {
        if (static_cast<std::size_t>(end - p) < n) ok = false;
        else p += n;
    }
    // A name or ordinal: none, 0xFFFF and an ordinal, or a UTF-16 string (kept as Latin-1).
    void nameOrOrdinal(std::uint16_t& ordinal, std::string& text) {
        ordinal = 0;
        text.clear();
        const std::uint16_t first = u16();
        if (!ok || first == 0) return;
        if (first == 0xFFFF) {
            ordinal = u16();
            return;
        }
        for (std::uint16_t ch = first; ok && ch != 0; ch = u16()) text += static_cast<char>(ch < 256 ? ch : '?');
    }
    std::string string() {
        std::string text;
        for (std::uint16_t ch = u16(); ok && ch != 0; ch = u16()) text += static_cast<char>(ch < 256 ? ch : '?');
        return text;
    }
};

struct ItemTemplate {
    DWORD style = 0, exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::uint16_t classOrdinal = 0;
    std::string className;
    std::uint16_t textOrdinal = 0;
    std::string text;
};

struct DialogTemplate {
    DWORD style = 0, exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::string title;
    bool hasFont = false;
    std::vector<ItemTemplate> items;
};

bool parseTemplate(const std::uint8_t* data, std::size_t size, DialogTemplate& out) {
    Reader r{data, data + size};
    const bool extended = size >= 4 && data[0] == 1 && data[1] == 0 && data[2] == 0xFF && data[3] == 0xFF;
    int count = 0;
    if (extended) {
        r.skip(4 + 4);  // version, signature, help id
        out.exStyle = r.u32();
        out.style = r.u32();
    } else {
        out.style = r.u32();
        out.exStyle = r.u32();
    }
    count = r.u16();
    out.x = r.s16(), out.y = r.s16(), out.cx = r.s16(), out.cy = r.s16();
    std::uint16_t ordinal;
    std::string ignored;
    r.nameOrOrdinal(ordinal, ignored);  // menu
    r.nameOrOrdinal(ordinal, ignored);  // class
    out.title = r.string();
    out.hasFont = (out.style & DS_SETFONT) != 0;
    if (out.hasFont) {
        r.u16();                       // point size
        if (extended) r.skip(2 + 1 + 1);  // weight, italic, character set
        r.string();                    // typeface
    }
    for (int i = 0; i < count && r.ok; ++i) {
        r.align4(data);
        ItemTemplate item;
        if (extended) {
            r.u32();  // help id
            item.exStyle = r.u32();
            item.style = r.u32();
        } else {
            item.style = r.u32();
            item.exStyle = r.u32();
        }
        item.x = r.s16(), item.y = r.s16(), item.cx = r.s16(), item.cy = r.s16();
        item.id = extended ? static_cast<int>(r.u32()) : r.u16();
        r.nameOrOrdinal(item.classOrdinal, item.className);
        r.nameOrOrdinal(item.textOrdinal, item.text);
        r.skip(r.u16());  // creation data
        if (r.ok) out.items.push_back(item);
    }
    return r.ok;
}

const char* classForOrdinal(std::uint16_t ordinal) {
    switch (ordinal) {
    case 0x0080: return "Button";
    case 0x0081: return "Edit";
    case 0x0082: return "Static";
    case 0x0083: return "ListBox";
    case 0x0084: return "ScrollBar";
    case 0x0085: return "ComboBox";
    default: return "";
    }
}

// The control takes its bitmap's size and shows it.
void givePicture(HWND control, HBITMAP bitmap) {
    Window* w = findWindow(control);
    GdiObject* picture = findObject(bitmap);
    if (!w || !picture) return;
    w->picture = bitmap;
    SetWindowPos(control, nullptr, 0, 0, picture->surface.width + w->frame.left + w->frame.right,
                 picture->surface.height + w->frame.top + w->frame.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const std::size_t n = std::min(w->pixels.size(), picture->pixels.size());
    std::copy_n(picture->pixels.data(), n, w->pixels.data());
}

}  // namespace

LRESULT CALLBACK staticControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = findWindow(window);
    if (w && message == WM_NCHITTEST && !(w->style & SS_NOTIFY)) return HTTRANSPARENT;
    if (w && message == WM_PAINT && w->picture) {
        if (GdiObject* picture = findObject(w->picture)) {
            const std::size_t n = std::min(w->pixels.size(), picture->pixels.size());
            std::copy_n(picture->pixels.data(), n, w->pixels.data());
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// What a dialog without a dialog procedure does: WM_CLOSE asks for IDCANCEL,
// which nobody handles, so the dialog stays; the rest is the default.
LRESULT CALLBACK defaultDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace emu

using namespace emu;

HWND WINAPI CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC proc, LPARAM param) {
    (void)proc;  // the player's dialogs have none; default handling only
    Module* module = findModule(instance);
    if (!module || !IS_INTRESOURCE(templateName)) return nullptr;
    const auto id = static_cast<std::uint16_t>(reinterpret_cast<UINT_PTR>(templateName));
    const ResourceEntry* entry = findResource(module->entries, dialogType, id);
    DialogTemplate t;
    if (!entry || !parseTemplate(entry->data, entry->size, t)) return nullptr;
    Window* ownerWindow = owner ? findWindow(owner) : nullptr;
    if (owner && !ownerWindow) return nullptr;

    const int baseX = t.hasFont ? fontBaseX : systemBaseX;
    const int baseY = t.hasFont ? fontBaseY : systemBaseY;
    DWORD style = (t.style & ~static_cast<DWORD>(WS_VISIBLE)) | WS_CLIPSIBLINGS | DS_3DLOOK;
    DWORD exStyle = t.exStyle | WS_EX_CONTROLPARENT;
    if (t.style & DS_MODALFRAME) exStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;

    // The template places the client area, relative to the owner's unless
    // DS_ABSALIGN; the window is then pulled onto the screen, as in Wine.
    const Desktop& d = desktop();
    POINT client{mulDiv(t.x, baseX, 4), mulDiv(t.y, baseY, 8)};
    if (ownerWindow && !(t.style & DS_ABSALIGN)) {
        const RECT origin = clientRectOnScreen(*ownerWindow);
        client.x += origin.left;
        client.y += origin.top;
    }
    const int clientW = mulDiv(t.cx, baseX, 4);
    const int clientH = mulDiv(t.cy, baseY, 8);
    HWND dialog = CreateWindowExA(exStyle, "#32770", t.title.c_str(), style, client.x, client.y, clientW, clientH, owner,
                                  nullptr, instance, reinterpret_cast<LPVOID>(param));
    Window* w = findWindow(dialog);
    if (!w) return nullptr;
    w->isDialog = true;
    w->cls.background = reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_BTNFACE + 1));
    const int width = clientW + w->frame.left + w->frame.right;
    const int height = clientH + w->frame.top + w->frame.bottom;
    int x = client.x - w->frame.left;
    int y = client.y - w->frame.top;
    if (x + width > d.screenWidth) x = d.screenWidth - width;
    if (y + height > d.screenHeight) y = d.screenHeight - height;
    x = std::max(x, 0);
    y = std::max(y, 0);
    SetWindowPos(dialog, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    std::fill(w->pixels.begin(), w->pixels.end(), faceColour);
    w->updatePending = false;

    for (const ItemTemplate& item : t.items) {
        const std::string className = item.classOrdinal ? classForOrdinal(item.classOrdinal) : item.className;
        const std::string text = item.textOrdinal ? "" : item.text;
        HWND control = CreateWindowExA(item.exStyle, className.c_str(), text.c_str(), item.style | WS_CHILD,
                                       mulDiv(item.x, baseX, 4), mulDiv(item.y, baseY, 8), mulDiv(item.cx, baseX, 4),
                                       mulDiv(item.cy, baseY, 8), dialog,
                                       reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(item.id)), instance, nullptr);
        if (!control) continue;  // unknown classes are left out
        const bool picture = className == "Static" && (item.style & SS_TYPEMASK) == SS_BITMAP && item.textOrdinal;
        if (picture) givePicture(control, LoadBitmapA(instance, MAKEINTRESOURCEA(item.textOrdinal)));
    }
    if (t.style & WS_VISIBLE) ShowWindow(dialog, SW_SHOWNORMAL);
    return dialog;
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    (void)type;
    Desktop& d = desktop();
    ++d.messageBoxes;
    d.messageBoxText = text ? text : "";
    d.messageBoxCaption = caption ? caption : "Error";
    d.messageBoxOwner = owner;
    return IDOK;
}
