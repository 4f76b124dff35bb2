// Pixel surfaces and the per-pixel calls, kept inline because a replay makes
// tens of millions of them: an HDC points straight at its record, which points
// at the surface it draws on. No look-up, allocation or virtual call here.
// Included by win32.h; nothing else needs to include it.
#pragma once

#include <cstdint>

#include "platform/emu/clock_model.h"

namespace emu {

// A block of 32-bit 0x00BBGGRR pixels, row-major. `open` is false where
// Windows would neither show nor take pixels: a hidden or destroyed window.
struct Surface {
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    bool open = false;
};

struct GdiObject;
struct Window;

enum class DcKind : std::uint8_t { Dead, Memory, Window };

// The colour that a colour reference stores, through the DC's palette for
// palette indexes (bit 24); out of line because the player never uses them.
COLORREF paletteIndexColour(HDC dc, COLORREF colour);

inline COLORREF storedColour(HDC dc, COLORREF colour) {
    if (colour & 0x01000000u) return paletteIndexColour(dc, colour);
    if ((colour >> 16) == 0x10FFu) return 0;  // DIBINDEX: what Wine stores on a true-colour surface.
    return colour & 0x00FFFFFFu;
}

}  // namespace emu

// A drawing context. Dead contexts point at an empty surface, so a stale
// handle reads CLR_INVALID instead of touching freed memory.
struct HDC__ {
    emu::Surface* surface;
    emu::DcKind kind;
    HWND window;               // for window contexts
    emu::GdiObject* bitmap;    // selected bitmap of a memory context, or null
    emu::GdiObject* palette;   // selected palette, or null for the default one
    emu::Surface ownSurface;   // the 1x1 bitmap a new memory context starts with
    std::uint32_t ownPixel;
};

inline COLORREF WINAPI GetPixel(HDC dc, int x, int y) {
    ++emu::callCounts.pixelReads;
    if (!dc) return CLR_INVALID;
    const emu::Surface& s = *dc->surface;
    if (!s.open || static_cast<unsigned>(x) >= static_cast<unsigned>(s.width) ||
        static_cast<unsigned>(y) >= static_cast<unsigned>(s.height))
        return CLR_INVALID;
    return s.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(s.width) + static_cast<std::size_t>(x)];
}

// Like Wine, returns the colour stored even when the point is clipped away.
inline COLORREF WINAPI SetPixel(HDC dc, int x, int y, COLORREF colour) {
    ++emu::callCounts.pixelWrites;
    if (!dc) return CLR_INVALID;
    const COLORREF stored = emu::storedColour(dc, colour);
    emu::Surface& s = *dc->surface;
    if (s.open && static_cast<unsigned>(x) < static_cast<unsigned>(s.width) &&
        static_cast<unsigned>(y) < static_cast<unsigned>(s.height))
        s.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(s.width) + static_cast<std::size_t>(x)] = stored;
    return stored;
}
