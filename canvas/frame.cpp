// The gilded frame: six bitmap pieces loaded once and copied around the
// canvas area on every repaint.
#include "canvas/canvas.h"

#include "canvas/pen_state.h"
#include "resources/ids.h"

namespace {

// Length of the edge pieces. A longer edge repeats the piece, so that any
// canvas size gets a whole, continuous frame.
constexpr int kEdgePieceLength = 500;

HBITMAP loadPiece(HINSTANCE instance, int id) { return LoadBitmapA(instance, MAKEINTRESOURCEA(id)); }

int shorter(int a, int b) { return a < b ? a : b; }

void copyPiece(HDC dc, int x, int y, int width, int height, HDC frameDc, HBITMAP piece) {
    SelectObject(frameDc, piece);
    BitBlt(dc, x, y, width, height, frameDc, 0, 0, SRCCOPY);
}

void copyAcross(HDC dc, int y, int width, int height, HDC frameDc, HBITMAP piece) {
    SelectObject(frameDc, piece);
    for (int x = 0; x < width; x += kEdgePieceLength)
        BitBlt(dc, x, y, shorter(kEdgePieceLength, width - x), height, frameDc, 0, 0, SRCCOPY);
}

void copyDown(HDC dc, int x, int width, int height, HDC frameDc, HBITMAP piece) {
    SelectObject(frameDc, piece);
    for (int y = 0; y < height; y += kEdgePieceLength)
        BitBlt(dc, x, y, width, shorter(kEdgePieceLength, height - y), frameDc, 0, 0, SRCCOPY);
}

}  // namespace

void Canvas::loadFramePieces(HINSTANCE instance) {
    const bool reloading = ready_ != 0;
    const HBITMAP old[] = {verticalEdge_, horizontalEdge_, topLeft_, topRight_, bottomLeft_, bottomRight_};
    verticalEdge_ = loadPiece(instance, kFrameVerticalEdge);
    horizontalEdge_ = loadPiece(instance, kFrameHorizontalEdge);
    topLeft_ = loadPiece(instance, kFrameTopLeft);
    topRight_ = loadPiece(instance, kFrameTopRight);
    bottomLeft_ = loadPiece(instance, kFrameBottomLeft);
    bottomRight_ = loadPiece(instance, kFrameBottomRight);
    if (!reloading) return;
    // An old piece may still be selected in frameDc, and a selected bitmap
    // cannot be deleted: put a new one in its place first.
    SelectObject(frameDc_, horizontalEdge_);
    for (HBITMAP piece : old) DeleteObject(piece);
}

void Canvas::releaseFramePieces() {
    const HBITMAP pieces[] = {verticalEdge_, horizontalEdge_, topLeft_, topRight_, bottomLeft_, bottomRight_};
    for (HBITMAP piece : pieces) DeleteObject(piece);
    verticalEdge_ = horizontalEdge_ = topLeft_ = topRight_ = bottomLeft_ = bottomRight_ = nullptr;
}

void Canvas::paintFrame(HDC dc) {
    copyAcross(dc, 0, totalWidth_, borderHeight, frameDc_, horizontalEdge_);
    copyAcross(dc, canvasHeight + borderHeight, totalWidth_, borderHeight, frameDc_, horizontalEdge_);
    copyDown(dc, canvasWidth + borderWidth, borderWidth, totalHeight_, frameDc_, verticalEdge_);
    copyDown(dc, 0, borderWidth, totalHeight_, frameDc_, verticalEdge_);
    // The corners go over the ends of the edges.
    copyPiece(dc, 0, 0, cornerWidth_, cornerHeight_, frameDc_, topLeft_);
    copyPiece(dc, totalWidth_ - cornerWidth_, 0, cornerWidth_, cornerHeight_, frameDc_, topRight_);
    copyPiece(dc, totalWidth_ - cornerWidth_, totalHeight_ - cornerHeight_, cornerWidth_, cornerHeight_, frameDc_,
              bottomRight_);
    copyPiece(dc, 0, totalHeight_ - cornerHeight_, cornerWidth_, cornerHeight_, frameDc_, bottomLeft_);
}
