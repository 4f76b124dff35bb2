// What the studio records is what the painter gave, read back from the
// block's bytes (a whole show of the block cannot notice a recording fault:
// the recording and its replay agree with each other); a restore puts the
// window and its backing bitmap back, as a forced repaint shows; the limits
// hold exactly.
#include <gtest/gtest.h>

#include "engine/session/session.h"
#include "format/format.h"
#include "platform/emu/desktop.h"
#include "platform/platform.h"
#include "shell/player_window.h"
#include "studio/recorder.h"
#include "tests/session/session_support.h"
#include "tests/support/block_builder.h"

namespace {

using namespace session_support;

// The records after `from`, read from the block as a player reads them.
std::vector<format::Record> recordsAfter(const std::vector<std::uint8_t>& block, std::uint32_t from) {
    std::vector<format::Record> out;
    const format::Drawing d = format::parseBlock(block.data());
    std::uint32_t at = format::firstRecordOffset(d);
    for (const format::Record& r : d.records) {
        if (at >= from) out.push_back(r);
        at += format::recordSize(r);
    }
    return out;
}

// The window repaints itself from its backing bitmap, as after being covered.
tools::Picture repaintedCanvas() {
    HWND window = emu::findWindowByClass(kPlayerClassName);
    EXPECT_NE(window, nullptr);
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    return sessionCanvas();
}

TEST(RecordedBytes, PressuresAndPenReachTheBlockAsGiven) {
    studio::Recorder r;
    std::string error;
    ASSERT_TRUE(r.openNew(200, 100, greyPalette(), true, error)) << error;
    const std::uint32_t start = r.bytesUsed();
    studio::PenChoice pen;
    pen.colour = 0x3366CC;
    pen.second = 0x112233;
    pen.third = 0xA0B0C0;
    pen.mode = 4;
    pen.level = 3;
    pen.density = 7;
    r.setPen(pen);
    const int pressures[] = {0, 4, 7, 15};
    r.beginStroke(10, 20, 9);
    for (int i = 0; i < 4; ++i) r.strokeTo(20 + 10 * i, 30 + i, pressures[i]);
    ASSERT_EQ(r.endStroke(), studio::StrokeEnd::Kept);

    const std::vector<format::Record> records = recordsAfter(r.block(), start);
    std::vector<std::uint32_t> colours;
    int mode = -1, level = -1, density = -1;
    const format::Record* stroke = nullptr;
    for (const format::Record& rec : records) {
        if (rec.kind == format::RecordKind::Colour) colours.push_back(rec.value);
        if (rec.kind == format::RecordKind::PenMode) mode = static_cast<int>(rec.value);
        if (rec.kind == format::RecordKind::BrushSize) level = static_cast<int>(rec.value);
        if (rec.kind == format::RecordKind::Density) density = static_cast<int>(rec.value);
        if (rec.kind == format::RecordKind::Stroke) stroke = &rec;
    }
    EXPECT_EQ(colours, (std::vector<std::uint32_t>{0x3366CC, 0x10000000u | 0x112233, 0x20000000u | 0xA0B0C0}));
    EXPECT_EQ(mode, 4);
    EXPECT_EQ(level, 3);
    EXPECT_EQ(density, 7);
    ASSERT_NE(stroke, nullptr);
    ASSERT_EQ(stroke->points.size(), 5u);
    EXPECT_EQ(stroke->points[0].x, 10);
    EXPECT_EQ(stroke->points[0].y, 20);
    for (int i = 0; i < 4; ++i) {
        const format::PointWords p = stroke->points[static_cast<std::size_t>(i) + 1];
        EXPECT_EQ(format::pointPressure(p.x), pressures[i]) << "point " << i + 1;
        EXPECT_EQ(format::pointX(p.x), 20 + 10 * i);
        EXPECT_EQ(p.y, 30 + i);
    }

    // Without pressure the level is recorded whole; Blend leaves Speckle's colours out.
    ASSERT_TRUE(r.openNew(200, 100, greyPalette(), false, error)) << error;
    const std::uint32_t plainStart = r.bytesUsed();
    pen.mode = 2;
    pen.level = 1;
    pen.density = 300;
    pen.colour = 0x0A0B0C;
    r.setPen(pen);
    r.beginStroke(5, 5, 0);
    r.strokeTo(50, 60, 0);
    ASSERT_EQ(r.endStroke(), studio::StrokeEnd::Kept);
    colours.clear();
    mode = level = density = -1;
    for (const format::Record& rec : recordsAfter(r.block(), plainStart)) {
        if (rec.kind == format::RecordKind::Colour) colours.push_back(rec.value);
        if (rec.kind == format::RecordKind::PenMode) mode = static_cast<int>(rec.value);
        if (rec.kind == format::RecordKind::BrushSize) level = static_cast<int>(rec.value);
        if (rec.kind == format::RecordKind::Density) density = static_cast<int>(rec.value);
        if (rec.kind == format::RecordKind::Stroke) {
            ASSERT_EQ(rec.points.size(), 2u);
            EXPECT_EQ(rec.points[1].x, 50);
            EXPECT_EQ(rec.points[1].y, 60);
        }
    }
    EXPECT_EQ(colours, (std::vector<std::uint32_t>{0x0A0B0C}));
    EXPECT_EQ(mode, 2);
    EXPECT_EQ(level, 1);
    EXPECT_EQ(density, 300);
    session::close();
}

TEST(RecordedBytes, UndoAndRefusalRestoreWindowAndBackingBitmap) {
    testing_support::BlockBuilder b(120, 120);
    b.colour(0x0000FF).brushSize(2).stroke({{10, 10}, {100, 100}});
    b.seek(format::kDrawingBlockSize - 100).colour(0x00FF00);
    studio::Recorder r;
    std::string error;
    ASSERT_TRUE(r.open(b.block(), error)) << error;
    const tools::Picture before = sessionCanvas();
    studio::PenChoice pen;
    pen.colour = 0x00FF00;
    pen.level = 4;
    r.setPen(pen);

    // A stroke too long for the room left is taken off the canvas.
    r.beginStroke(5, 60, 0);
    for (int i = 1; i < 40; ++i) r.strokeTo(5 + i * 2.5, 60 + (i % 2) * 6, 0);
    ASSERT_EQ(r.endStroke(), studio::StrokeEnd::Refused);
    EXPECT_TRUE(samePicture(sessionCanvas(), before)) << "the window";
    EXPECT_TRUE(samePicture(repaintedCanvas(), before)) << "the backing bitmap, after a repaint";

    // A kept stroke undone.
    r.beginStroke(60, 5, 0);
    r.strokeTo(70, 110, 0);
    ASSERT_EQ(r.endStroke(), studio::StrokeEnd::Kept);
    EXPECT_FALSE(samePicture(sessionCanvas(), before));
    ASSERT_TRUE(r.undo());
    EXPECT_TRUE(samePicture(sessionCanvas(), before)) << "the window";
    EXPECT_TRUE(samePicture(repaintedCanvas(), before)) << "the backing bitmap, after a repaint";
    session::close();
}

TEST(RecordedBytes, StrokeThatExactlyFillsTheRoomIsKept) {
    // A block whose records end where a stroke of `points` points (6 + 4
    // each) fills what is left exactly. The zeros before the last record
    // read as records too, so the room is found, not assumed.
    studio::Recorder r;
    std::string error;
    int points = 0;
    for (std::uint32_t shift = 0; shift < 8 && points == 0; ++shift) {
        testing_support::BlockBuilder b(120, 120);
        b.colour(0x0000FF).brushSize(2).stroke({{10, 10}, {100, 100}});
        b.seek(format::kDrawingBlockSize - 52 - shift).colour(0x00FF00);
        ASSERT_TRUE(r.open(b.block(), error)) << error;
        if (r.bytesFree() % 4 == 2) points = static_cast<int>((r.bytesFree() - 6) / 4);
    }
    ASSERT_GE(points, 8);
    const std::uint32_t room = r.bytesFree();
    // The pen as the block left it: no pen record goes before the stroke.
    const session::PenSettings now = session::pen();
    studio::PenChoice pen;
    pen.colour = now.colour & 0xFFFFFF;
    pen.mode = now.mode;
    pen.level = now.level;
    pen.density = now.density;
    r.setPen(pen);
    r.beginStroke(5, 30, 0);
    EXPECT_EQ(r.bytesFree(), room);
    for (int i = 1; i < points; ++i) r.strokeTo(5 + i * 3, 30 + (i % 2) * 5, 0);
    EXPECT_EQ(r.strokeBytes(), room);
    EXPECT_TRUE(r.strokeFits());
    ASSERT_EQ(r.endStroke(), studio::StrokeEnd::Kept);
    EXPECT_EQ(r.bytesFree(), 0u);
    const std::vector<std::uint8_t> block = r.block();
    EXPECT_EQ(block[format::kDrawingBlockSize - room], format::StrokeRecord);
    EXPECT_EQ(block[format::kDrawingBlockSize - 2], 30 + ((points - 1) % 2) * 5);  // the last point's y
    EXPECT_TRUE(r.canUndo());

    // One point more does not fit.
    ASSERT_TRUE(r.undo());
    r.beginStroke(5, 30, 0);
    for (int i = 1; i <= points; ++i) r.strokeTo(5 + i * 3, 30 + (i % 2) * 5, 0);
    EXPECT_FALSE(r.strokeFits());
    EXPECT_EQ(r.endStroke(), studio::StrokeEnd::Refused);
    session::close();
}

TEST(RecordedBytes, EyedropperReadsTheLastRowAndColumn) {
    studio::Recorder r;
    std::string error;
    ASSERT_TRUE(r.openNew(37, 23, greyPalette(), false, error)) << error;
    studio::PenChoice pen;
    pen.colour = 0x404040;  // a palette colour: the fill is exactly it
    r.setPen(pen);
    ASSERT_TRUE(r.fill());
    EXPECT_EQ(r.colourAt(0, 0), 0x404040u);
    EXPECT_EQ(r.colourAt(36, 0), 0x404040u);
    EXPECT_EQ(r.colourAt(0, 22), 0x404040u);
    EXPECT_EQ(r.colourAt(36, 22), 0x404040u);
    std::vector<std::uint8_t> rgba(37u * 23u * 4u, 0);
    session::readRgba(0, 0, 37, 23, rgba.data());
    for (std::size_t i = 0; i < rgba.size(); i += 4)
        ASSERT_EQ(rgba[i] | rgba[i + 1] << 8 | rgba[i + 2] << 16 | rgba[i + 3] << 24, 0xFF404040) << i / 4;
    session::close();
}

}  // namespace
