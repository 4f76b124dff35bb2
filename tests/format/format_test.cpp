// The format module on its own: where the prologue puts the records for each
// marker, how records are cut at the end of the block, what the writer does
// when a record does not fit, and the point and palette encodings.
#include "format/format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

using format::BlockWriter;
using format::RecordKind;

std::vector<std::uint32_t> greys() {
    std::vector<std::uint32_t> colours;
    for (std::uint32_t i = 0; i < 256; ++i) colours.push_back(i * 0x010101u);
    return colours;
}

TEST(Format, PrologueOfEveryMarkerEndsWhereTheRecordsStart) {
    const std::pair<std::uint16_t, std::uint32_t> cases[] = {{48, 1060}, {49, 1058}, {999, 1064}, {0, 1056}, {7, 1056}};
    for (const auto& [marker, first] : cases) {
        EXPECT_EQ(format::firstRecordOffset(marker), first) << marker;
        BlockWriter w(321, 0x8001, marker, greys());
        EXPECT_EQ(w.position(), first) << marker;
        w.colour(0x123456, 2);
        const format::Drawing d = format::parseBlock(w.block().data());
        EXPECT_EQ(d.marker, marker);
        EXPECT_EQ(d.extraWords.size(), static_cast<std::size_t>(format::extraWordCount(marker)));
        EXPECT_EQ(format::headerWidth(d), 321);
        EXPECT_EQ(format::headerHeight(d), 0x8001);  // unsigned: a large size, not a negative one
        EXPECT_EQ(format::carriesPressure(d), marker == 48);
        ASSERT_EQ(d.records.size(), 1u) << marker;
        EXPECT_EQ(d.records[0].value, 0x20123456u);
        EXPECT_EQ(format::readU16(w.block().data() + first), format::ColourRecord);
    }
}

TEST(Format, PaletteImageAndItsColours) {
    const auto image = format::paletteImage({0x0000FF, 0xFF123456});
    EXPECT_EQ(format::readU16(image.data()), 0x300);
    EXPECT_EQ(format::readU16(image.data() + 2), 256);
    EXPECT_EQ(format::readU32(image.data() + format::paletteSlotAt(0)), 0x040000FFu);
    EXPECT_EQ(format::readU32(image.data() + format::paletteSlotAt(1)), 0x04123456u);  // the top byte is the flags
    EXPECT_EQ(format::readU32(image.data() + format::paletteSlotAt(255)), 0x04000000u);
    EXPECT_EQ(format::readU32(image.data() + format::paletteSlotAt(256)), 0u);  // the spare slot

    std::vector<std::uint32_t> colours = format::paletteColours(image.data());
    ASSERT_EQ(colours.size(), 256u);
    EXPECT_EQ(colours[1], 0x123456u);
    auto odd = image;
    format::writeU16(odd.data() + 2, 0xFFFF);  // a count beyond the slots gives at most 256 colours
    EXPECT_EQ(format::paletteColours(odd.data()).size(), 256u);
    format::writeU16(odd.data() + 2, 3);
    EXPECT_EQ(format::paletteColours(odd.data()).size(), 3u);
}

TEST(Format, PointWordsCarryPressureAndClampedX) {
    EXPECT_EQ(format::pointPressure(0x20A6), 2);
    EXPECT_EQ(format::pointX(0x20A6), 166);
    EXPECT_EQ(format::pointX(0x0400), 1024);
    EXPECT_EQ(format::pointX(0x0401), 0);
    EXPECT_EQ(format::pointX(0x0FFD), 0);
    EXPECT_EQ(format::pressurePointWord(166, 2), 0x20A6);
    EXPECT_EQ(format::pressurePointWord(5000, 99), 0xF400);
    EXPECT_EQ(format::pressurePointWord(-3, -1), 0x0000);

    // With pressure, every point after the first is encoded; the first is the whole word.
    BlockWriter w(100, 100, format::kMarkerPressure, greys());
    w.stroke({{-3, 7, 9}, {166, -2, 2}, {2000, 5, 20}});
    const format::Drawing d = format::parseBlock(w.block().data());
    ASSERT_EQ(d.records.size(), 1u);
    const auto& p = d.records[0].points;
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[0].x, 0xFFFD);
    EXPECT_EQ(p[1].x, 0x20A6);
    EXPECT_EQ(p[1].y, 0xFFFE);
    EXPECT_EQ(p[2].x, 0xF400);
}

TEST(Format, RecordsThatRunPastTheBlockAreNeitherWrittenNorRead) {
    BlockWriter w(10, 10, 0, greys());
    w.seek(format::kDrawingBlockSize - 14);
    w.strokeWords(3, {{1, 1}, {2, 2}, {3, 3}});  // 18 bytes: does not fit
    EXPECT_EQ(w.position(), format::kDrawingBlockSize - 14);
    w.strokeWords(1000, {{1, 1}, {2, 2}});  // 14 bytes fit, though the count asks for more
    EXPECT_EQ(w.room(), 0u);
    w.colour(0xFFFFFF).word(6);
    EXPECT_EQ(w.room(), 0u);

    std::uint32_t at = format::kDrawingBlockSize - 14;
    format::Record r;
    EXPECT_FALSE(format::parseRecord(w.block().data(), format::kDrawingBlockSize, at, r));
    EXPECT_EQ(at, format::kDrawingBlockSize - 14);

    // A one-value record with 2 or 4 bytes left is neither written nor read.
    BlockWriter cut(10, 10, 0, greys());
    for (std::uint32_t left : {2u, 4u}) {
        cut.seek(format::kDrawingBlockSize - left).colour(0x123456);
        EXPECT_EQ(cut.room(), left);
    }
    std::uint32_t first = cut.seek(2000).colour(0x123456).position() - 6;
    at = first;
    EXPECT_FALSE(format::parseRecord(cut.block().data(), first + 4, at, r));
    EXPECT_EQ(at, first);
    EXPECT_TRUE(format::parseRecord(cut.block().data(), first + 6, at, r));
    EXPECT_EQ(r.value, 0x123456u);
}

TEST(Format, StrokeSizesFollowTheRecordedCount) {
    EXPECT_EQ(format::strokeRecordSize(2), 14u);
    EXPECT_EQ(format::strokeRecordSize(1), 10u);
    EXPECT_EQ(format::strokeRecordSize(0), 10u);
    EXPECT_EQ(format::strokeRecordSize(INT32_MIN), 10u);
    EXPECT_EQ(format::strokeRecordSize(INT32_MAX), 6u + 4u * 2147483647ull);
}

// Whatever a writer appends, parsing gives the same records back and
// encoding gives the same bytes back.
TEST(Format, WrittenRecordsParseAndEncodeBack) {
    std::mt19937 random(11);
    for (int round = 0; round < 20; ++round) {
        BlockWriter w(200, 150, round % 2 ? format::kMarkerPressure : 999, greys());
        std::vector<format::Record> expected;
        while (w.room() > 2000) {
            format::Record r;
            switch (random() % 4) {
                case 0: {
                    r.kind = RecordKind::Stroke;
                    r.opcode = format::StrokeRecord;
                    r.points.resize(1 + random() % 50);
                    for (auto& p : r.points) p = {static_cast<std::uint16_t>(random()), static_cast<std::uint16_t>(random())};
                    r.count = static_cast<std::int32_t>(r.points.size());
                    w.strokeWords(r.count, r.points);
                    break;
                }
                case 1:
                    r.opcode = static_cast<std::uint16_t>(6 + random() % 60000);
                    w.word(r.opcode);
                    break;
                default: {
                    const std::uint16_t oneValue[] = {0, 1, 3, 4, 5};
                    r.opcode = oneValue[random() % 5];
                    r.kind = format::kindOfOpcode(r.opcode);
                    r.value = static_cast<std::uint32_t>(random()) | 1;
                    w.record(r.opcode, r.value);
                    break;
                }
            }
            expected.push_back(r);
        }
        const format::Drawing d = format::parseBlock(w.block().data());
        ASSERT_EQ(d.records, expected) << "round " << round;
        std::vector<std::uint8_t> again;
        std::uint64_t overBy = 1;
        ASSERT_TRUE(format::encodeBlock(d, again, overBy));
        EXPECT_EQ(overBy, 0u);
        EXPECT_EQ(again, w.block()) << "round " << round;
    }
}

}  // namespace

namespace {

TEST(Format, RecordWriterBytesAreTheRecordsAsTheyLieInABlock) {
    const std::vector<format::StrokePoint> points{{5, 6, 9}, {2000, -3, 15}, {-4, 7, 3}};
    const std::vector<std::uint8_t> records = format::RecordWriter(true)
                                                  .colour(0x00ABCDEF, format::kThirdColour)
                                                  .penMode(format::kSpeckle)
                                                  .brushSize(3)
                                                  .density(0xFFFF)
                                                  .fill()
                                                  .stroke(points)
                                                  .take();
    ASSERT_EQ(records.size(), 5 * format::kValueRecordSize + format::strokeRecordSize(3));

    BlockWriter block(100, 100, format::kMarkerPressure, greys());
    const std::uint32_t first = block.position();
    block.append(format::RecordWriter(true).colour(0x00ABCDEF, format::kThirdColour));
    block.penMode(format::kSpeckle).brushSize(3).density(0xFFFF).fill().stroke(points);
    const std::vector<std::uint8_t> inBlock(block.block().begin() + first, block.block().begin() + block.position());
    EXPECT_EQ(records, inBlock);

    const format::Drawing d = format::parseBlock(block.block().data());
    ASSERT_EQ(d.records.size(), 6u);
    EXPECT_EQ(format::colourSelector(d.records[0].value), format::kThirdColour);
    const format::Record& stroke = d.records[5];
    EXPECT_EQ(stroke.points[0], (format::PointWords{5, 6}));  // the first point carries no pressure
    EXPECT_EQ(stroke.points[1].x, format::pressurePointWord(2000, 15));
    EXPECT_EQ(stroke.points[2].x, format::pressurePointWord(-4, 3));
    EXPECT_EQ(format::recordsEnd(block.block().data(), first), block.position());

    // Without pressure the x words are the points' own; a record that does
    // not fit in the block is not appended at all.
    EXPECT_EQ(format::RecordWriter().stroke(points).bytes()[10], 0xD0);  // 2000 = 0x07D0
    BlockWriter full(100, 100, 0, greys());
    full.seek(format::kDrawingBlockSize - 5).append(format::RecordWriter().fill());
    EXPECT_EQ(full.position(), format::kDrawingBlockSize - 5);
}

}  // namespace
