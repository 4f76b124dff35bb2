#include "drawing/prologue.h"

#include "drawing/palette_image.h"
#include "drawing/reader.h"
#include "shell/state.h"

DrawingHeader drawingHeader = {};
bool pressureEncoding = false;

namespace {

void discardWords(int n) {
    std::uint16_t scratch = 0;
    for (int i = 0; i < n; ++i) readDrawing16(&scratch, 2, 1);
}

}  // namespace

void readFormatMarker() {
    std::uint16_t marker = 0;
    readDrawing16(&marker, 2, 1);
    if (marker == format::kMarkerOneExtra) discardWords(1);
    if (marker == format::kMarkerPressure) {
        discardWords(2);
        pressureEncoding = true;
    }
    if (marker == format::kMarkerFourExtra) discardWords(4);
}

void readDrawingPrologue() {
    rewindDrawing();
    readFormatMarker();
    readDrawing(&drawingHeader, sizeof drawingHeader, 1);
    readDrawing(paletteBuffer, format::kPaletteImageSize, 1);
    clampPaletteEntryCount(paletteBuffer);
}

void resetPrologue() {
    drawingHeader = DrawingHeader{};
    pressureEncoding = false;
}
