// GDI objects and drawing contexts: bitmaps, brushes, palettes, memory and
// window contexts. Like Wine, deleting an object that a context still holds
// only marks it; it goes when the context lets go of it.
#include <cstdlib>

#include "platform/emu/desktop_state.h"

namespace emu {

// Objects deleted while a context held them, waiting to be freed.
std::unordered_map<GdiObject*, std::unique_ptr<GdiObject>>& deletedObjects();

namespace {

// The stock objects a new context starts with.
GdiObject& stockBitmap() {
    static GdiObject bitmap = [] {
        GdiObject b;
        b.stock = true;
        b.pixels.assign(1, 0);
        b.surface = Surface{b.pixels.data(), 1, 1, true};
        return b;
    }();
    return bitmap;
}

GdiObject& stockBrush() {
    static GdiObject brush = [] {
        GdiObject b;
        b.kind = GdiKind::Brush;
        b.stock = true;
        b.colour = 0x00FFFFFF;
        return b;
    }();
    return brush;
}

// The 20 colours of the system's default palette.
GdiObject& stockPalette() {
    static GdiObject palette = [] {
        GdiObject p;
        p.kind = GdiKind::Palette;
        p.stock = true;
        static const BYTE rgb[20][3] = {
            {0x00, 0x00, 0x00}, {0x80, 0x00, 0x00}, {0x00, 0x80, 0x00}, {0x80, 0x80, 0x00}, {0x00, 0x00, 0x80},
            {0x80, 0x00, 0x80}, {0x00, 0x80, 0x80}, {0xC0, 0xC0, 0xC0}, {0xC0, 0xDC, 0xC0}, {0xA6, 0xCA, 0xF0},
            {0xFF, 0xFB, 0xF0}, {0xA0, 0xA0, 0xA4}, {0x80, 0x80, 0x80}, {0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00},
            {0xFF, 0xFF, 0x00}, {0x00, 0x00, 0xFF}, {0xFF, 0x00, 0xFF}, {0x00, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF}};
        for (const auto& c : rgb) p.entries.push_back(PALETTEENTRY{c[0], c[1], c[2], 0});
        return p;
    }();
    return palette;
}

HGDIOBJ handleOf(GdiObject& object) { return reinterpret_cast<HGDIOBJ>(&object); }

HGDIOBJ adopt(std::unique_ptr<GdiObject> object) {
    GdiObject* raw = object.get();
    desktop().objects[raw] = std::move(object);
    return handleOf(*raw);
}

bool isLiveDc(HDC dc) { return dc && dc->kind != DcKind::Dead; }

Surface& emptySurface() {
    static Surface empty;
    return empty;
}

}  // namespace

GdiObject* findObject(HGDIOBJ handle) {
    auto* raw = reinterpret_cast<GdiObject*>(handle);
    if (raw == &stockBitmap() || raw == &stockBrush() || raw == &stockPalette()) return raw;
    auto& objects = desktop().objects;
    return objects.count(raw) ? raw : nullptr;
}

GdiObject* newBitmap(int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    const std::uint64_t bytes = std::uint64_t(width) * std::uint64_t(height) * 4;
    if (bytes > maxSurfaceBytes) return nullptr;
    auto bitmap = std::make_unique<GdiObject>();
    bitmap->pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    bitmap->surface = Surface{bitmap->pixels.data(), width, height, true};
    GdiObject* raw = bitmap.get();
    adopt(std::move(bitmap));
    return raw;
}

HDC newDc(DcKind kind) {
    Desktop& d = desktop();
    HDC dc;
    if (!d.freeDcs.empty()) {
        dc = d.freeDcs.back();
        d.freeDcs.pop_back();
    } else {
        d.dcs.push_back(std::make_unique<HDC__>());
        dc = d.dcs.back().get();
    }
    dc->kind = kind;
    dc->window = nullptr;
    dc->bitmap = nullptr;
    dc->palette = nullptr;
    dc->ownPixel = 0;
    dc->ownSurface = Surface{&dc->ownPixel, 1, 1, true};
    dc->surface = kind == DcKind::Memory ? &dc->ownSurface : &emptySurface();
    ++d.liveDcs;
    return dc;
}

namespace {

void dropHold(GdiObject* object) {
    if (!object || object->stock) return;
    if (object->selectedInto > 0) --object->selectedInto;
    auto& waiting = deletedObjects();
    if (object->selectedInto == 0) waiting.erase(object);
}

}  // namespace

void releaseDc(HDC dc) {
    if (!isLiveDc(dc)) return;
    dropHold(dc->bitmap);
    dropHold(dc->palette);
    dc->kind = DcKind::Dead;
    dc->bitmap = nullptr;
    dc->palette = nullptr;
    dc->window = nullptr;
    dc->surface = &emptySurface();
    Desktop& d = desktop();
    --d.liveDcs;
    d.freeDcs.push_back(dc);
}

std::unordered_map<GdiObject*, std::unique_ptr<GdiObject>>& deletedObjects() {
    static std::unordered_map<GdiObject*, std::unique_ptr<GdiObject>> waiting;
    return waiting;
}

void resetGdi() {
    Desktop& d = desktop();
    for (auto& dc : d.dcs) releaseDc(dc.get());
    d.objects.clear();
    deletedObjects().clear();
}

COLORREF paletteIndexColour(HDC dc, COLORREF colour) {
    // Wine takes the entry at the low word, or entry 0 when there is none.
    const GdiObject& palette = dc->palette ? *dc->palette : stockPalette();
    const std::size_t index = colour & 0xFFFFu;
    if (palette.entries.empty()) return 0;
    const PALETTEENTRY& e = palette.entries[index < palette.entries.size() ? index : 0];
    return RGB(e.peRed, e.peGreen, e.peBlue);
}

}  // namespace emu

using namespace emu;

HBITMAP WINAPI CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
    (void)planes;
    // Wine: a zero size gives the stock 1x1 bitmap, a negative one its absolute value.
    if (width == 0 || height == 0) return handleOf(stockBitmap());
    if (width == INT32_MIN || height == INT32_MIN) return nullptr;
    const int w = std::abs(width);
    const int h = std::abs(height);
    GdiObject* bitmap = newBitmap(w, h);
    if (!bitmap) return nullptr;
    if (bits && bitsPerPixel == 32) {
        const auto* src = static_cast<const std::uint8_t*>(bits);
        for (std::size_t i = 0; i < bitmap->pixels.size(); ++i) {
            const std::uint8_t* p = src + i * 4;  // B, G, R, unused
            bitmap->pixels[i] = RGB(p[2], p[1], p[0]);
        }
    }
    return handleOf(*bitmap);
}

HBRUSH WINAPI CreateSolidBrush(COLORREF colour) {
    auto brush = std::make_unique<GdiObject>();
    brush->kind = GdiKind::Brush;
    brush->colour = colour;
    return adopt(std::move(brush));
}

HPALETTE WINAPI CreatePalette(const LOGPALETTE* palette) {
    if (!palette || palette->palNumEntries == 0) return nullptr;
    auto object = std::make_unique<GdiObject>();
    object->kind = GdiKind::Palette;
    const PALETTEENTRY* entries = palette->palPalEntry;
    object->entries.assign(entries, entries + palette->palNumEntries);
    return adopt(std::move(object));
}

BOOL WINAPI DeleteObject(HGDIOBJ handle) {
    GdiObject* object = findObject(handle);
    if (!object) return FALSE;
    if (object->stock) return TRUE;
    Desktop& d = desktop();
    auto it = d.objects.find(object);
    if (object->selectedInto > 0) deletedObjects()[object] = std::move(it->second);
    d.objects.erase(it);
    return TRUE;
}

HDC WINAPI CreateCompatibleDC(HDC dc) {
    if (dc && !isLiveDc(dc)) return nullptr;
    return newDc(DcKind::Memory);
}

BOOL WINAPI DeleteDC(HDC dc) {
    if (!isLiveDc(dc) || dc->kind != DcKind::Memory) return FALSE;
    releaseDc(dc);
    return TRUE;
}

HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ handle) {
    if (!isLiveDc(dc)) return nullptr;
    GdiObject* object = findObject(handle);
    if (!object) return nullptr;
    switch (object->kind) {
    case GdiKind::Bitmap: {
        if (dc->kind != DcKind::Memory) return nullptr;
        GdiObject* previous = dc->bitmap;
        if (object == previous) return handle;
        if (!object->stock && object->selectedInto > 0) return nullptr;  // one context at a time
        if (!object->stock) ++object->selectedInto;
        dc->bitmap = object->stock ? nullptr : object;
        dc->surface = object->stock ? &dc->ownSurface : &object->surface;
        dropHold(previous);
        return previous ? reinterpret_cast<HGDIOBJ>(previous) : handleOf(stockBitmap());
    }
    case GdiKind::Brush:
        return handleOf(stockBrush());  // brushes are passed to FillRect, never drawn through the context
    case GdiKind::Palette:
        return nullptr;  // palettes go through SelectPalette
    }
    return nullptr;
}

HPALETTE WINAPI SelectPalette(HDC dc, HPALETTE handle, BOOL forceBackground) {
    (void)forceBackground;
    if (!isLiveDc(dc)) return nullptr;
    GdiObject* palette = findObject(handle);
    if (!palette || palette->kind != GdiKind::Palette) return nullptr;
    GdiObject* previous = dc->palette;
    if (palette != previous) {
        if (!palette->stock) ++palette->selectedInto;
        dc->palette = palette->stock ? nullptr : palette;
        dropHold(previous);
    }
    return previous ? reinterpret_cast<HPALETTE>(previous) : handleOf(stockPalette());
}

// A true-colour device maps no entries, as Wine reports.
UINT WINAPI RealizePalette(HDC dc) {
    (void)dc;
    return 0;
}

int WINAPI GetDeviceCaps(HDC dc, int index) {
    if (!isLiveDc(dc)) return 0;
    switch (index) {
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    case RASTERCAPS: return 0xBE99;  // Wine's true-colour display: no RC_PALETTE
    case SIZEPALETTE: return 0;
    default: return 0;
    }
}

HDC WINAPI GetDC(HWND handle) {
    Desktop& d = desktop();
    Window* window = findWindow(handle ? handle : d.desktopWindow);
    if (!window) return nullptr;
    HDC dc = newDc(DcKind::Window);
    dc->window = window->handle;
    dc->surface = &window->surface;
    return dc;
}

int WINAPI ReleaseDC(HWND window, HDC dc) {
    (void)window;
    if (!isLiveDc(dc) || dc->kind != DcKind::Window) return 0;
    releaseDc(dc);
    return 1;
}
