// The Canvas: the player's one drawing surface. It keeps an off-screen copy
// of everything drawn (the backing bitmap in canvasDc), paints the gilded
// frame and that copy into the window, clears and fills the canvas area, and
// runs the brush engine: line walk, 7x7 brush stamps, pen-mode decisions.
// Every pixel goes to the window context and to canvasDc, so a repaint at any
// moment shows the same picture. The drawing state lives beside the Canvas,
// in canvas/pen_state.h; nothing here checks a platform result.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// The gilded frame's width on each side: the canvas lies at (7, 7) in the
// player's window, which is the canvas plus 14 pixels each way.
constexpr int kFrameBorder = 7;

class Canvas {
public:
    // Makes canvasDc and frameDc compatible with referenceDc and records its
    // planes and bits per pixel. Nothing draws until setUp has run.
    explicit Canvas(HDC referenceDc);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // Places the canvas area (window coordinates) inside a frame of the given
    // edge thickness and corner size, makes the backing bitmap, resets the
    // pen and the random cursor and loads the frame bitmaps from instance.
    void setUp(HINSTANCE instance, int left, int top, int width, int height, int edgeWidth, int edgeHeight,
               int cornerCx, int cornerCy);

    // Selects and realises palette in canvasDc; returns the one it replaced.
    HPALETTE selectPalette(HPALETTE palette);

    // Paints the frame and the backing bitmap's canvas area into dc.
    void repaint(HDC dc);
    // Fills the canvas area white, in dc and in the backing bitmap.
    void clear(HDC dc);
    // Fills the canvas area with the pen colour (which gains the PaletteFlag).
    void fill(HDC dc);

    // Strokes the segment from (x1, y1) up to, not including, (x2, y2).
    void drawSegment(HDC dc, int x1, int y1, int x2, int y2);

    // PenState setters; they work before setUp too and store what they get.
    void setPenColour(std::uint32_t colour);
    void setSecondColour(std::uint32_t colour);
    void setThirdColour(std::uint32_t colour);
    void setPenMode(std::int32_t value);  // keeps the low 16 bits
    void setDensity(std::int16_t value);
    void beginStroke();
    void setPressure(std::int16_t pressure);  // 0..15 to a brush level
    void setBrushSize(std::int32_t value);   // keeps the low 16 bits

    // The brush engine's steps: public for the line walk's callback and tests.
    void traceStep(int x, int y, HDC dc);
    void stampBrush(HDC dc, int x, int y, int dx, int dy);
    bool decidePixel(HDC dc, int x, int y, int column, int row, std::uint32_t& colour, bool isEdge);
    void plotPixel(HDC dc, int x, int y, std::uint32_t colour);

    bool isReady() const { return ready_ != 0; }
    int totalWidth() const { return totalWidth_; }
    int totalHeight() const { return totalHeight_; }

private:
    void loadFramePieces(HINSTANCE instance);
    void paintFrame(HDC dc);
    void fillCanvasArea(HDC dc, std::uint32_t colour);
    void releaseFramePieces();

    int cornerWidth_ = 0;
    int cornerHeight_ = 0;
    HDC frameDc_ = nullptr;  // source of every frame-piece copy
    HBITMAP verticalEdge_ = nullptr;
    HBITMAP horizontalEdge_ = nullptr;
    HBITMAP topLeft_ = nullptr;
    HBITMAP topRight_ = nullptr;
    HBITMAP bottomLeft_ = nullptr;
    HBITMAP bottomRight_ = nullptr;
    int totalWidth_ = 0;
    int totalHeight_ = 0;
    int bitsPerPixel_ = 0;
    int planes_ = 0;
    int ready_ = 0;
};
