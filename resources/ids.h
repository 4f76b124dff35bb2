// The numbers by which the code reaches its resources. They are the whole
// interface between the player and resources/quillcast.rc.
#pragma once

#include "resources/ids_rc.h"

// The splash pictures, reached only through their dialog templates.
constexpr int kBitmapOpeningSplash = QC_BITMAP_OPENING_SPLASH;
constexpr int kBitmapClosingSplash = QC_BITMAP_CLOSING_SPLASH;

// The splash dialogs and their one picture control.
constexpr int kDialogOpeningSplash = QC_DIALOG_OPENING_SPLASH;
constexpr int kDialogClosingSplash = QC_DIALOG_CLOSING_SPLASH;
constexpr int kPictureControl = QC_PICTURE_CONTROL;

// The gilded frame: four 10 x 10 corners and two 500-pixel edges.
constexpr int kFrameTopLeft = QC_FRAME_TOP_LEFT;
constexpr int kFrameTopRight = QC_FRAME_TOP_RIGHT;
constexpr int kFrameBottomRight = QC_FRAME_BOTTOM_RIGHT;
constexpr int kFrameBottomLeft = QC_FRAME_BOTTOM_LEFT;
constexpr int kFrameHorizontalEdge = QC_FRAME_HORIZONTAL_EDGE;
constexpr int kFrameVerticalEdge = QC_FRAME_VERTICAL_EDGE;

// The window class icon and the product name (the latter read by no code).
constexpr int kIconGroup = QC_ICON_GROUP;
constexpr int kStringProductName = QC_STRING_PRODUCT_NAME;
