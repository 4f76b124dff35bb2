/* Resource numbers as plain #defines, so the resource compiler can read them
   too. Code uses the constants of resources/ids.h instead. */
#ifndef QC_RESOURCES_IDS_RC_H
#define QC_RESOURCES_IDS_RC_H

#define QC_BITMAP_OPENING_SPLASH 121
#define QC_DIALOG_OPENING_SPLASH 122
#define QC_FRAME_TOP_LEFT 128
#define QC_FRAME_TOP_RIGHT 129
#define QC_FRAME_BOTTOM_RIGHT 130
#define QC_FRAME_HORIZONTAL_EDGE 132
#define QC_FRAME_VERTICAL_EDGE 133
#define QC_FRAME_BOTTOM_LEFT 134
#define QC_DIALOG_CLOSING_SPLASH 135
#define QC_BITMAP_CLOSING_SPLASH 136
#define QC_ICON_GROUP 128
#define QC_STRING_PRODUCT_NAME 128
#define QC_PICTURE_CONTROL 1004

#endif
