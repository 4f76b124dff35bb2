// Memory and window contexts: colours as Wine's true-colour display stores
// them, clipping of fills and copies, bitmap sizes, and object bookkeeping.
#include <gtest/gtest.h>

#include "platform/emu/desktop.h"
#include "platform/platform.h"

namespace {

struct Gdi : testing::Test {
    void SetUp() override { emu::resetDesktop(); }
    void TearDown() override { emu::resetDesktop(); }

    // A memory context holding a fresh width x height bitmap.
    HDC memoryDc(int width, int height) {
        HDC dc = CreateCompatibleDC(nullptr);
        bitmap = CreateBitmap(width, height, 1, 32, nullptr);
        SelectObject(dc, bitmap);
        return dc;
    }
    HBITMAP bitmap = nullptr;
};

TEST_F(Gdi, ColoursAreStoredAsWineStoresThem) {
    HDC dc = memoryDc(4, 4);
    struct Case {
        COLORREF in, stored;
    };
    // Measured on Wine: plain and PaletteFlag colours keep their low 24 bits;
    // bit 24 is a palette index, entry 0 (black) when out of range.
    const Case cases[] = {{0x00123456, 0x123456}, {0x02123456, 0x123456}, {0x01000003, 0x008080},
                          {0x03123456, 0},        {0xFFFFFFFF, 0},        {0x10FF0005, 0},
                          {0x04123456, 0x123456}, {0x80123456, 0x123456}};
    for (const Case& c : cases) {
        EXPECT_EQ(SetPixel(dc, 1, 1, c.in), c.stored) << std::hex << c.in;
        EXPECT_EQ(GetPixel(dc, 1, 1), c.stored) << std::hex << c.in;
    }
    DeleteDC(dc);
    DeleteObject(bitmap);
}

TEST_F(Gdi, PaletteIndexesUseTheSelectedPalette) {
    HDC dc = memoryDc(2, 2);
    struct {
        WORD version, count;
        PALETTEENTRY entries[4];
    } image = {0x300, 4, {{200, 10, 20, 0}, {1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}}};
    HPALETTE palette = CreatePalette(reinterpret_cast<const LOGPALETTE*>(&image));
    HPALETTE old = SelectPalette(dc, palette, FALSE);
    EXPECT_NE(old, nullptr);
    EXPECT_EQ(RealizePalette(dc), 0u) << "a true-colour device maps nothing";
    SetPixel(dc, 0, 0, 0x01000003);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(7, 8, 9));
    SetPixel(dc, 0, 0, 0xFFFFFFFF);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(200, 10, 20)) << "an invalid index takes entry 0";
    SetPixel(dc, 0, 0, 0x02FFFFFF);
    EXPECT_EQ(GetPixel(dc, 0, 0), 0xFFFFFFu) << "PaletteFlag colours are not matched on true colour";
    EXPECT_EQ(SelectPalette(dc, old, FALSE), palette);
    DeleteDC(dc);
    DeleteObject(bitmap);
    DeleteObject(palette);
    EXPECT_EQ(emu::liveObjectCount(), 0u);
}

TEST_F(Gdi, ReadsAndWritesOutsideTheSurfaceFailQuietly) {
    HDC dc = memoryDc(3, 2);
    EXPECT_EQ(GetPixel(dc, 0, 0), 0u) << "a new bitmap is zero-filled";
    for (POINT p : {POINT{-1, 0}, POINT{3, 0}, POINT{0, 2}, POINT{0, -1}, POINT{INT32_MIN, INT32_MAX}}) {
        EXPECT_EQ(GetPixel(dc, p.x, p.y), CLR_INVALID);
        EXPECT_EQ(SetPixel(dc, p.x, p.y, 0x123456), 0x123456u) << "Wine returns the colour even when clipped";
    }
    EXPECT_EQ(GetPixel(nullptr, 0, 0), CLR_INVALID);
    HDC fresh = CreateCompatibleDC(nullptr);
    EXPECT_EQ(GetPixel(fresh, 0, 0), 0u) << "a new memory context holds a 1x1 bitmap";
    EXPECT_EQ(GetPixel(fresh, 1, 0), CLR_INVALID);
    DeleteDC(fresh);
    EXPECT_EQ(GetPixel(fresh, 0, 0), CLR_INVALID) << "a deleted context reads nothing and does not crash";
    DeleteDC(dc);
    DeleteObject(bitmap);
}

TEST_F(Gdi, CreateBitmapRefusesSizesNoSystemWouldAllocate) {
    EXPECT_EQ(CreateBitmap(70000, 70000, 1, 32, nullptr), nullptr);
    EXPECT_EQ(CreateBitmap(65535 + 14, 65535 + 14, 1, 32, nullptr), nullptr);
    EXPECT_EQ(CreateBitmap(INT32_MIN, 5, 1, 32, nullptr), nullptr);
    // Wine: a zero size gives the stock 1x1 bitmap, a negative one its absolute value.
    HBITMAP zero = CreateBitmap(0, 5, 1, 32, nullptr);
    EXPECT_NE(zero, nullptr);
    EXPECT_TRUE(DeleteObject(zero));
    HBITMAP negative = CreateBitmap(-5, 5, 1, 32, nullptr);
    ASSERT_NE(negative, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, negative);
    EXPECT_EQ(GetPixel(dc, 4, 4), 0u);
    EXPECT_EQ(GetPixel(dc, 5, 4), CLR_INVALID);
    DeleteDC(dc);
    DeleteObject(negative);
    EXPECT_EQ(emu::liveObjectCount(), 0u);
}

TEST_F(Gdi, FillRectExcludesRightAndBottomAndClips) {
    HDC dc = memoryDc(5, 5);
    HBRUSH brush = CreateSolidBrush(0x02FFFFFF);
    RECT r;
    SetRect(&r, 1, 1, 3, 4);
    FillRect(dc, &r, brush);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) {
            const bool inside = x >= 1 && x < 3 && y >= 1 && y < 4;
            EXPECT_EQ(GetPixel(dc, x, y), inside ? 0xFFFFFFu : 0u) << x << "," << y;
        }
    SetRect(&r, -10, -10, 100, 1);  // clipped to the top row
    FillRect(dc, &r, brush);
    EXPECT_EQ(GetPixel(dc, 4, 0), 0xFFFFFFu);
    EXPECT_EQ(GetPixel(dc, 4, 1), 0u);
    SetRect(&r, 3, 3, 2, 2);  // inverted: nothing
    FillRect(dc, &r, brush);
    EXPECT_EQ(GetPixel(dc, 2, 2), 0xFFFFFFu);
    EXPECT_EQ(GetPixel(dc, 3, 3), 0u);
    DeleteObject(brush);
    DeleteDC(dc);
    DeleteObject(bitmap);
}

TEST_F(Gdi, BitBltClipsToBothSurfaces) {
    HDC source = memoryDc(4, 4);
    HBITMAP sourceBitmap = bitmap;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) SetPixel(source, x, y, static_cast<COLORREF>(1 + x + 10 * y));
    HDC dest = memoryDc(3, 3);
    // Both corners hang off: only the overlap of both surfaces is copied.
    EXPECT_TRUE(BitBlt(dest, -1, 1, 10, 10, source, 2, -1, SRCCOPY));
    EXPECT_EQ(GetPixel(dest, 0, 1), 0u) << "source row -1 does not exist";
    EXPECT_EQ(GetPixel(dest, 0, 2), static_cast<COLORREF>(1 + 3 + 0)) << "dest (0,2) <- source (3,0)";
    EXPECT_EQ(GetPixel(dest, 1, 2), 0u) << "source column 4 does not exist";
    EXPECT_EQ(GetPixel(dest, 0, 0), 0u);
    // Overlapping copy within one surface.
    EXPECT_TRUE(BitBlt(source, 0, 1, 4, 3, source, 0, 0, SRCCOPY));
    EXPECT_EQ(GetPixel(source, 2, 3), static_cast<COLORREF>(1 + 2 + 20));
    EXPECT_EQ(GetPixel(source, 2, 1), static_cast<COLORREF>(1 + 2));
    EXPECT_FALSE(BitBlt(dest, 0, 0, 1, 1, nullptr, 0, 0, SRCCOPY));
    DeleteDC(source);
    DeleteDC(dest);
    DeleteObject(sourceBitmap);
    DeleteObject(bitmap);
}

TEST_F(Gdi, ObjectsAreCountedUntilDeletedAndHeldObjectsGoWithTheirContext) {
    EXPECT_EQ(emu::liveObjectCount(), 0u);
    HDC dc = memoryDc(2, 2);
    HBRUSH brush = CreateSolidBrush(0);
    EXPECT_EQ(emu::liveObjectCount(), 3u);
    EXPECT_TRUE(DeleteObject(bitmap)) << "Wine defers deleting a selected bitmap";
    SetPixel(dc, 0, 0, 0x0000FF);
    EXPECT_EQ(GetPixel(dc, 0, 0), 0x0000FFu) << "the context still draws on it";
    HDC other = CreateCompatibleDC(nullptr);
    HBITMAP second = CreateBitmap(2, 2, 1, 32, nullptr);
    SelectObject(other, second);
    EXPECT_EQ(SelectObject(dc, second), nullptr) << "a bitmap sits in one context at a time";
    DeleteDC(dc);
    DeleteDC(other);
    DeleteObject(second);
    DeleteObject(brush);
    EXPECT_EQ(emu::liveObjectCount(), 0u);
    EXPECT_FALSE(DeleteObject(brush)) << "a second delete fails harmlessly";
}

TEST_F(Gdi, DeviceCapsDescribeATrueColourScreen) {
    HDC dc = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
    EXPECT_EQ(GetDeviceCaps(dc, PLANES), 1);
    EXPECT_EQ(GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE, 0);
    EXPECT_EQ(GetDeviceCaps(dc, SIZEPALETTE), 0);
    EXPECT_EQ(emu::liveObjectCount(), 1u) << "an unreleased window context counts";
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(emu::liveObjectCount(), 0u);
}

TEST_F(Gdi, RectHelpers) {
    RECT r;
    SetRect(&r, 1, 2, 4, 6);
    EXPECT_TRUE(PtInRect(&r, POINT{1, 2}));
    EXPECT_TRUE(PtInRect(&r, POINT{3, 5}));
    EXPECT_FALSE(PtInRect(&r, POINT{4, 5}));
    EXPECT_FALSE(PtInRect(&r, POINT{3, 6}));
    EXPECT_FALSE(PtInRect(&r, POINT{0, 3}));
}

}  // namespace
