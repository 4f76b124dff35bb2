// Pictures of what is on screen, for tests and the renderer. Every window
// keeps its own client pixels, as on a composited desktop, so a capture is
// always whole: the client area with its child controls, or the screen with
// the visible windows stacked bottom to top, each in a plain frame.
#include <algorithm>

#include "platform/emu/desktop.h"
#include "platform/emu/desktop_state.h"

namespace emu {

namespace {

constexpr std::uint32_t faceColour = 0xF5F5F5;
constexpr std::uint32_t shadowColour = 0xA0A0A0;
constexpr std::uint32_t darkShadowColour = 0x696969;
constexpr std::uint32_t lightColour = 0xFFFFFF;

void fill(Image& image, RECT r, std::uint32_t colour) {
    r.left = std::max<LONG>(r.left, 0);
    r.top = std::max<LONG>(r.top, 0);
    r.right = std::min<LONG>(r.right, image.width);
    r.bottom = std::min<LONG>(r.bottom, image.height);
    for (LONG y = r.top; y < r.bottom; ++y)
        for (LONG x = r.left; x < r.right; ++x)
            image.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) + static_cast<std::size_t>(x)] =
                colour;
}

// Copies a block of pixels in at (x, y), clipped to the image, a row at a
// time: tools capture the window for every frame of a time-lapse.
void paste(Image& image, const std::uint32_t* pixels, int width, int height, int x, int y) {
    const int left = std::max(x, 0);
    const int right = std::min(x + width, image.width);
    if (left >= right) return;
    const auto count = static_cast<std::size_t>(right - left);
    for (int row = std::max(0, -y); row < height; ++row) {
        const int ty = y + row;
        if (ty >= image.height) break;
        std::copy_n(pixels + static_cast<std::size_t>(row) * static_cast<std::size_t>(width) +
                        static_cast<std::size_t>(left - x),
                    count,
                    image.pixels.data() + static_cast<std::size_t>(ty) * static_cast<std::size_t>(image.width) +
                        static_cast<std::size_t>(left));
    }
}

// A sunken or raised edge one pixel wide along the inside of r.
void edge(Image& image, const RECT& r, std::uint32_t topLeft, std::uint32_t bottomRight) {
    fill(image, RECT{r.left, r.top, r.right, r.top + 1}, topLeft);
    fill(image, RECT{r.left, r.top, r.left + 1, r.bottom}, topLeft);
    fill(image, RECT{r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
    fill(image, RECT{r.right - 1, r.top, r.right, r.bottom}, bottomRight);
}

RECT shrink(const RECT& r, int by) { return RECT{r.left + by, r.top + by, r.right - by, r.bottom - by}; }

void drawFrame(Image& image, const Window& w) {
    const Insets& f = w.frame;
    if (f.left == 0 && f.top == 0 && f.right == 0 && f.bottom == 0) return;
    fill(image, w.rect, faceColour);
    RECT r = w.rect;
    const bool clientEdge = (w.exStyle & WS_EX_CLIENTEDGE) != 0;
    const int outer = f.left - (clientEdge ? 2 : 0);
    if (outer > 0) {
        edge(image, r, faceColour, darkShadowColour);
        if (outer > 1) edge(image, shrink(r, 1), lightColour, shadowColour);
    }
    if (clientEdge) {
        const RECT client = clientRectOnScreen(w);
        const RECT around{client.left - 2, client.top - 2, client.right + 2, client.bottom + 2};
        edge(image, around, shadowColour, lightColour);
        edge(image, shrink(around, 1), darkShadowColour, faceColour);
    }
}

// The client pixels, then each visible child on top of them.
void drawClient(Image& image, const Window& w, int x, int y) {
    paste(image, w.pixels.data(), w.surface.width, w.surface.height, x, y);
    for (HWND c : w.children) {
        const Window* child = findWindow(c);
        if (!child || !child->visible) continue;
        drawClient(image, *child, x + child->rect.left + child->frame.left, y + child->rect.top + child->frame.top);
    }
}

}  // namespace

Image captureClient(HWND handle) {
    Image image;
    captureClient(handle, image);
    return image;
}

bool captureClient(HWND handle, Image& image) {
    const Window* w = findWindow(handle);
    RECT r{0, 0, 0, 0};
    if (w) GetClientRect(handle, &r);
    if (!w || std::uint64_t(r.right) * std::uint64_t(r.bottom) * 4 > maxSurfaceBytes) {
        image = Image{};
        return false;
    }
    image.width = r.right;
    image.height = r.bottom;
    const std::size_t size = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
    // Where the client pixels cover it all, the old contents need no clearing.
    if (w->surface.width < image.width || w->surface.height < image.height || image.pixels.size() != size)
        image.pixels.assign(size, 0);
    drawClient(image, *w, 0, 0);
    return true;
}

Image captureDesktop() {
    const Desktop& d = desktop();
    Image image;
    image.width = d.screenWidth;
    image.height = d.screenHeight;
    image.pixels.assign(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height), 0);
    if (const Window* screen = findWindow(d.desktopWindow))
        paste(image, screen->pixels.data(), screen->surface.width, screen->surface.height, 0, 0);
    const std::vector<HWND> order = stackedWindows();
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        const Window* w = findWindow(*it);
        if (!w || !w->visible) continue;
        drawFrame(image, *w);
        const RECT client = clientRectOnScreen(*w);
        drawClient(image, *w, client.left, client.top);
    }
    return image;
}

SurfaceView surfaceOf(HDC dc) {
    if (!dc || !dc->surface->open || !dc->surface->pixels) return SurfaceView{};
    return SurfaceView{dc->surface->pixels, dc->surface->width, dc->surface->height};
}

}  // namespace emu
