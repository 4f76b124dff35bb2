// The engine session draws what a whole show of the same records draws:
// blocks played record by record, and strokes fed point by point.
#include <gtest/gtest.h>

#include "canvas/pen_state.h"
#include "engine/session/session.h"
#include "tests/session/session_support.h"
#include "tests/support/block_builder.h"
#include "engine/samples/samples.h"

namespace {

using namespace session_support;

TEST(Session, EverySamplePlaysAsTheShow) {
    for (const std::string& name : tools::sampleNames()) {
        const std::vector<std::uint8_t> block = tools::makeSample(name);
        const tools::Picture expected = showCanvas(block);
        std::string error;
        ASSERT_TRUE(session::open(block, error)) << error;
        // A few strokes at a time, as a host that shows progress would.
        while (session::cursor() < session::recordsEnd()) {
            const std::uint32_t before = session::cursor();
            session::play(session::recordsEnd(), 7);
            ASSERT_GT(session::cursor(), before);
        }
        EXPECT_TRUE(samePicture(sessionCanvas(), expected)) << name;
        EXPECT_EQ(session::block(), block) << name;
    }
    session::close();
}

TEST(Session, RecordsEndAfterTheLastRecordThatHoldsAByte) {
    testing_support::BlockBuilder b(40, 30);
    b.colour(0x102030).stroke({{1, 1}, {5, 5}});
    const std::uint32_t end = b.position();
    b.colour(0);  // all zero: indistinguishable from the tail
    std::string error;
    ASSERT_TRUE(session::open(b.block(), error)) << error;
    EXPECT_EQ(session::recordsEnd(), end);
    EXPECT_EQ(session::cursor(), 1056u);  // marker 0: the records start at 1056

    // A stroke whose count runs past the block leaves no room at all.
    testing_support::BlockBuilder cut(40, 30);
    cut.strokeWithCount(200000, {{1, 1}, {2, 2}});
    ASSERT_TRUE(session::open(cut.block(), error)) << error;
    EXPECT_EQ(session::recordsEnd(), format::kDrawingBlockSize);
    EXPECT_EQ(session::room(), 0u);
    session::close();
}

// Every pen mode, with and without pressure: state records appended, then
// strokes fed point by point; the block the session wrote, played as a
// whole show, gives the session's canvas.
void paintEveryMode(bool pressure) {
    std::string error;
    ASSERT_TRUE(session::openNew(220, 160, greyPalette(), pressure, error)) << error;
    EXPECT_EQ(session::carriesPressure(), pressure);
    ASSERT_TRUE(appendRecord(0, 0x336699));
    ASSERT_TRUE(appendRecord(0, 0x10CC2211));  // second colour
    ASSERT_TRUE(appendRecord(0, 0x2011AA44));  // third colour
    ASSERT_TRUE(appendRecord(3, 2));
    int y = 20;
    for (std::uint32_t mode = 1; mode <= 4; ++mode) {
        ASSERT_TRUE(appendRecord(1, mode));
        ASSERT_TRUE(appendRecord(5, mode == 2 ? 3 : 1000));
        wavyStroke(5, y, 60, static_cast<int>(mode));
        EXPECT_EQ(session::strokeBytes(), 10u + 4u * 60u);
        ASSERT_TRUE(session::endStroke());
        y += 35;
    }
    // A fill, then a stroke that leaves the canvas and comes back.
    ASSERT_TRUE(appendRecord(0, 0xE0E0E0));
    ASSERT_TRUE(appendRecord(4, 0));
    ASSERT_TRUE(appendRecord(0, 0x202020));
    ASSERT_TRUE(appendRecord(1, 3));
    session::beginStroke(100, 80);
    session::strokeTo(250, 90, 15);
    session::strokeTo(100, 100, 3);
    ASSERT_TRUE(session::endStroke());
    const session::PenSettings pen = session::pen();
    EXPECT_EQ(pen.colour, 0x2202020u);
    EXPECT_EQ(pen.secondColour, 0x2CC2211u);
    EXPECT_EQ(pen.mode, 3);
    EXPECT_EQ(pen.minLevel, 2);
    EXPECT_EQ(pen.density, 1000);

    const std::vector<std::uint8_t> block = session::block();
    const tools::Picture painted = sessionCanvas();
    EXPECT_TRUE(samePicture(painted, showCanvas(block)));

    // Opening what was written and playing it gives the same canvas again.
    ASSERT_TRUE(session::open(block, error)) << error;
    session::playToEnd();
    EXPECT_TRUE(samePicture(sessionCanvas(), painted));
    session::close();
}

TEST(Session, LiveStrokesInEveryModeWithoutPressure) { paintEveryMode(false); }
TEST(Session, LiveStrokesInEveryModeWithPressure) { paintEveryMode(true); }

TEST(Session, PressureEncodingKeepsXWithinItsTwelveBits) {
    std::string error;
    ASSERT_TRUE(session::openNew(1100, 40, greyPalette(), true, error)) << error;
    session::beginStroke(1000, 10);
    session::strokeTo(1090, 10, 9);  // beyond 1024: drawn and recorded at 1024
    ASSERT_TRUE(session::endStroke());
    const std::vector<std::uint8_t> block = session::block();
    const std::uint32_t point = session::recordsEnd() - 4;
    EXPECT_EQ(block[point] | block[point + 1] << 8, 9 << 12 | 1024);
    const tools::Picture painted = sessionCanvas();
    EXPECT_TRUE(samePicture(painted, showCanvas(block)));
    session::close();
}

TEST(Session, WhatDoesNotFitIsRefusedWithNothingWritten) {
    testing_support::BlockBuilder b(60, 60);
    b.seek(format::kDrawingBlockSize - 30).colour(0x123456);
    std::string error;
    ASSERT_TRUE(session::open(b.block(), error)) << error;
    session::playToEnd();
    EXPECT_EQ(session::room(), 24u);
    const std::vector<std::uint8_t> tooMany(30, 0x06);  // fifteen 2-byte records
    EXPECT_FALSE(session::append(tooMany.data(), tooMany.size()));
    const std::uint32_t end = session::recordsEnd();
    session::beginStroke(5, 5);
    for (int i = 0; i < 10; ++i) session::strokeTo(6 + i, 5, 0);  // 50 bytes: too many
    EXPECT_FALSE(session::endStroke());
    EXPECT_FALSE(session::isStroking());
    EXPECT_EQ(session::recordsEnd(), end);
    EXPECT_EQ(session::block(), b.block());
    session::close();
}

TEST(Session, OpenRefusesWhatItCannotHold) {
    std::string error;
    EXPECT_FALSE(session::open(std::vector<std::uint8_t>(1000, 1), error));
    EXPECT_NE(error.find("451000"), std::string::npos);
    EXPECT_FALSE(session::isOpen());
    EXPECT_FALSE(session::openNew(20000, 20000, greyPalette(), false, error));
    EXPECT_NE(error.find("too large"), std::string::npos);
    EXPECT_FALSE(session::isOpen());
    EXPECT_FALSE(session::openNew(0, 10, greyPalette(), false, error));
}

TEST(Session, ReadsRectanglesAsRgbClippedToTheCanvas) {
    std::string error;
    ASSERT_TRUE(session::openNew(10, 8, greyPalette(), false, error)) << error;
    ASSERT_TRUE(appendRecord(0, 0x00332211));  // red 0x11, green 0x22, blue 0x33
    ASSERT_TRUE(appendRecord(4, 0));
    std::vector<std::uint8_t> rgb(3 * 4 * 3, 0xAB);
    session::readRgb(8, 6, 4, 3, rgb.data());  // only 2 x 2 of it lies on the canvas
    EXPECT_EQ(rgb[0], 0x11);
    EXPECT_EQ(rgb[1], 0x22);
    EXPECT_EQ(rgb[2], 0x33);
    EXPECT_EQ(rgb[3 * 2], 0xAB);       // (10, 6): off the canvas, left alone
    EXPECT_EQ(rgb[3 * (4 * 2)], 0xAB);  // row 8: off the canvas
    std::vector<std::uint8_t> rgba(4, 0);
    session::readRgba(0, 0, 1, 1, rgba.data());
    EXPECT_EQ(rgba, (std::vector<std::uint8_t>{0x11, 0x22, 0x33, 0xFF}));
    session::close();
}

}  // namespace
