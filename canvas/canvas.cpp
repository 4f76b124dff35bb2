#include "canvas/canvas.h"

#include "canvas/pen_modes.h"
#include "canvas/pen_state.h"
#include "canvas/random_table.h"

namespace {

constexpr std::uint32_t kWhite = 0x2FFFFFF;  // with the PaletteFlag

}  // namespace

Canvas::Canvas(HDC referenceDc) {
    ready_ = 0;
    penState.levelUpdated = 0;
    canvasDc = CreateCompatibleDC(referenceDc);
    frameDc_ = CreateCompatibleDC(referenceDc);
    bitsPerPixel_ = GetDeviceCaps(referenceDc, BITSPIXEL);
    planes_ = GetDeviceCaps(referenceDc, PLANES);
}

Canvas::~Canvas() {
    // The DCs go first so that no bitmap is still selected when it is deleted.
    DeleteDC(canvasDc);
    DeleteObject(backingBitmap);
    DeleteDC(frameDc_);
    releaseFramePieces();
    canvasDc = nullptr;
    backingBitmap = nullptr;
}

void Canvas::setUp(HINSTANCE instance, int left, int top, int width, int height, int edgeWidth, int edgeHeight,
                   int cornerCx, int cornerCy) {
    canvasLeft = left;
    canvasTop = top;
    canvasWidth = width;
    canvasHeight = height;
    borderWidth = edgeWidth;
    borderHeight = edgeHeight;
    cornerWidth_ = cornerCx;
    cornerHeight_ = cornerCy;
    totalWidth_ = width + 2 * edgeWidth;
    totalHeight_ = height + 2 * edgeHeight;

    // A second setUp replaces the backing bitmap; the old one is deleted once
    // the new one has taken its place in canvasDc.
    const HBITMAP oldBacking = backingBitmap;
    backingBitmap = CreateBitmap(totalWidth_, totalHeight_, static_cast<UINT>(planes_),
                                 static_cast<UINT>(bitsPerPixel_), nullptr);
    SelectObject(canvasDc, backingBitmap);
    if (oldBacking != nullptr) DeleteObject(oldBacking);

    setPenMode(Blend);
    setPenColour(kInvalidColour);
    setSecondColour(kInvalidColour);
    setThirdColour(kInvalidColour);
    resetRandom();

    loadFramePieces(instance);
    ready_ = 1;
}

HPALETTE Canvas::selectPalette(HPALETTE palette) {
    const HPALETTE previous = SelectPalette(canvasDc, palette, FALSE);
    RealizePalette(canvasDc);
    return previous;
}

void Canvas::repaint(HDC dc) {
    if (!ready_) return;
    clipRect = RECT{canvasLeft, canvasTop, canvasLeft + canvasWidth, canvasTop + canvasHeight};
    paintFrame(dc);
    // The canvas goes over the inner ends of the corners.
    BitBlt(dc, borderWidth, borderHeight, canvasWidth, canvasHeight, canvasDc, borderWidth, borderHeight, SRCCOPY);
}

void Canvas::clear(HDC dc) {
    if (!ready_) return;
    fillCanvasArea(dc, kWhite);
}

void Canvas::fill(HDC dc) {
    if (!ready_) return;
    penState.penColour |= format::kPaletteFlag;
    fillCanvasArea(dc, penState.penColour);
}

void Canvas::fillCanvasArea(HDC dc, std::uint32_t colour) {
    const RECT area{canvasLeft, canvasTop, canvasLeft + canvasWidth, canvasTop + canvasHeight};
    const HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &area, brush);
    FillRect(canvasDc, &area, brush);
    DeleteObject(brush);
    touchedRect = area;
    // Smudge will not pick up the background colour.
    penState.canvasColour = colour;
}

void Canvas::setPenColour(std::uint32_t colour) { penState.penColour = colour; }
void Canvas::setSecondColour(std::uint32_t colour) { penState.secondColour = colour; }
void Canvas::setThirdColour(std::uint32_t colour) { penState.thirdColour = colour; }

void Canvas::setPenMode(std::int32_t value) {
    penState.penMode = static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
}

void Canvas::setDensity(std::int16_t value) { penState.density = value; }
