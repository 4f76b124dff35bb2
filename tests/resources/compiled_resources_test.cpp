// The compiled resources that both builds carry, read back from the .res
// bytes: which resources there are, the bitmaps' bytes, every field of the
// two dialog templates and the string table.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/emu/resource_file.h"
#include "resources/compiled_resources.h"
#include "resources/ids.h"
#include "tests/resources/dib_reader.h"

namespace {

constexpr std::uint16_t kBitmap = 2, kIcon = 3, kDialog = 5, kString = 6, kGroupIcon = 14;

std::vector<emu::ResourceEntry> entries() {
    std::vector<emu::ResourceEntry> out;
    EXPECT_TRUE(emu::parseResourceFile(compiledResources(), compiledResourcesSize(), out));
    return out;
}

TEST(CompiledResources, HoldExactlyThePlayersResourcesAllInUsEnglish) {
    std::set<std::pair<int, int>> found;
    for (const emu::ResourceEntry& e : entries()) {
        EXPECT_EQ(e.language, 1033) << e.type << "/" << e.id;
        EXPECT_TRUE(found.insert({e.type, e.id}).second) << "twice: " << e.type << "/" << e.id;
    }
    const std::set<std::pair<int, int>> expected = {
        {kBitmap, 121}, {kBitmap, 128}, {kBitmap, 129}, {kBitmap, 130}, {kBitmap, 132}, {kBitmap, 133},
        {kBitmap, 134}, {kBitmap, 136}, {kIcon, 1},     {kIcon, 2},     {kGroupIcon, 128},
        {kDialog, 122}, {kDialog, 135}, {kString, 9},  // block 9 holds ids 128 to 143
    };
    EXPECT_EQ(found, expected);
}

TEST(CompiledResources, BitmapsAreTheCommittedFilesWithoutTheirFileHeader) {
    const std::vector<emu::ResourceEntry> all = entries();
    const std::pair<int, const char*> bitmaps[] = {
        {kBitmapOpeningSplash, "splash_opening.bmp"},   {kFrameTopLeft, "frame_top_left.bmp"},
        {kFrameTopRight, "frame_top_right.bmp"},        {kFrameBottomRight, "frame_bottom_right.bmp"},
        {kFrameHorizontalEdge, "frame_horizontal_edge.bmp"}, {kFrameVerticalEdge, "frame_vertical_edge.bmp"},
        {kFrameBottomLeft, "frame_bottom_left.bmp"},    {kBitmapClosingSplash, "splash_closing.bmp"},
    };
    for (const auto& [id, file] : bitmaps) {
        SCOPED_TRACE(file);
        const emu::ResourceEntry* e = emu::findResource(all, kBitmap, static_cast<std::uint16_t>(id));
        ASSERT_NE(e, nullptr);
        const std::vector<std::uint8_t> bytes = readFileBytes(resourcePath(std::string("bitmaps/") + file));
        ASSERT_GT(bytes.size(), 14u);
        EXPECT_EQ(std::vector<std::uint8_t>(e->data, e->data + e->size),
                  std::vector<std::uint8_t>(bytes.begin() + 14, bytes.end()));
    }
}

// Reads the little-endian fields of a dialog template in order.
class TemplateReader {
public:
    TemplateReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint32_t u16() {
        if (at_ + 2 > size_) return fail();
        const std::uint32_t v = data_[at_] | data_[at_ + 1] << 8;
        at_ += 2;
        return v;
    }
    std::uint32_t u32() {
        const std::uint32_t lo = u16();
        return lo | u16() << 16;
    }
    std::uint8_t u8() {
        if (at_ + 1 > size_) return static_cast<std::uint8_t>(fail());
        return data_[at_++];
    }
    // A string field as text; an ordinal field as "#n".
    std::string sz() {
        std::string out;
        if (at_ + 2 <= size_ && data_[at_] == 0xFF && data_[at_ + 1] == 0xFF) {
            u16();
            return "#" + std::to_string(u16());
        }
        for (std::uint32_t ch = u16(); ch != 0 && !failed_; ch = u16()) out += static_cast<char>(ch);
        return out;
    }
    void alignTo4() { at_ = (at_ + 3) & ~std::size_t{3}; }
    std::size_t offset() const { return at_; }
    bool failed() const { return failed_; }

private:
    std::uint32_t fail() {
        failed_ = true;
        return 0;
    }
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
    bool failed_ = false;
};

struct DialogCase {
    int id;
    std::uint32_t width, height;
    std::uint32_t itemX, itemY, itemWidth, itemHeight;
    int picture;
};

TEST(CompiledResources, SplashDialogTemplatesHaveEveryFieldAsDesigned) {
    const std::vector<emu::ResourceEntry> all = entries();
    const DialogCase cases[] = {
        {kDialogOpeningSplash, 192, 75, 1, 0, 177, 75, kBitmapOpeningSplash},
        {kDialogClosingSplash, 187, 95, 0, 0, 147, 44, kBitmapClosingSplash},
    };
    for (const DialogCase& c : cases) {
        SCOPED_TRACE(c.id);
        const emu::ResourceEntry* e = emu::findResource(all, kDialog, static_cast<std::uint16_t>(c.id));
        ASSERT_NE(e, nullptr);
        TemplateReader t(e->data, e->size);
        EXPECT_EQ(t.u16(), 1u);        // version
        EXPECT_EQ(t.u16(), 0xFFFFu);   // signature: an extended template
        EXPECT_EQ(t.u32(), 0u);        // help id
        EXPECT_EQ(t.u32(), 0x200u);    // WS_EX_CLIENTEDGE
        EXPECT_EQ(t.u32(), 0x800000C0u);  // WS_POPUP | DS_MODALFRAME | DS_SETFONT, hidden
        EXPECT_EQ(t.u16(), 1u);        // one control
        EXPECT_EQ(t.u16(), 0u);        // x
        EXPECT_EQ(t.u16(), 0u);        // y
        EXPECT_EQ(t.u16(), c.width);
        EXPECT_EQ(t.u16(), c.height);
        EXPECT_EQ(t.sz(), "");         // no menu
        EXPECT_EQ(t.sz(), "");         // the standard dialog class
        EXPECT_EQ(t.sz(), "");         // empty title
        EXPECT_EQ(t.u16(), 8u);        // point size
        EXPECT_EQ(t.u16(), 0u);        // weight
        EXPECT_EQ(t.u8(), 0u);         // not italic
        EXPECT_EQ(t.u8(), 1u);         // character set
        EXPECT_EQ(t.sz(), "MS Sans Serif");

        t.alignTo4();
        EXPECT_EQ(t.u32(), 0u);           // control help id
        EXPECT_EQ(t.u32(), 0u);           // control extended style
        EXPECT_EQ(t.u32(), 0x5000000Eu);  // WS_CHILD | WS_VISIBLE | SS_BITMAP
        EXPECT_EQ(t.u16(), c.itemX);
        EXPECT_EQ(t.u16(), c.itemY);
        EXPECT_EQ(t.u16(), c.itemWidth);
        EXPECT_EQ(t.u16(), c.itemHeight);
        EXPECT_EQ(t.u32(), static_cast<std::uint32_t>(kPictureControl));
        EXPECT_EQ(t.sz(), "#130");  // the predefined static class, 0x0082
        EXPECT_EQ(t.sz(), "#" + std::to_string(c.picture));
        EXPECT_EQ(t.u16(), 0u);     // no creation data
        EXPECT_FALSE(t.failed());
        EXPECT_EQ(t.offset(), e->size);
    }
}

TEST(CompiledResources, StringTableHoldsOnlyTheProductName) {
    const std::vector<emu::ResourceEntry> all = entries();
    const emu::ResourceEntry* block = emu::findResource(all, kString, kStringProductName / 16 + 1);
    ASSERT_NE(block, nullptr);
    TemplateReader t(block->data, block->size);
    for (int i = 0; i < 16; ++i) {
        const std::uint32_t length = t.u16();
        std::string text;
        for (std::uint32_t k = 0; k < length; ++k) text += static_cast<char>(t.u16());
        if (16 * (kStringProductName / 16) + i == kStringProductName) {
            EXPECT_EQ(text, "Quillcast");
        } else {
            EXPECT_EQ(length, 0u) << "string " << i;
        }
    }
    EXPECT_FALSE(t.failed());
    EXPECT_EQ(t.offset(), block->size);
}

}  // namespace
