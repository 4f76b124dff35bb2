// The window class icon, as committed and as compiled into the icon group.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "platform/emu/resource_file.h"
#include "resources/compiled_resources.h"
#include "resources/ids.h"
#include "tests/resources/dib_reader.h"

namespace {

std::uint32_t u32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}
std::uint16_t u16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

const Rgb kStandardPalette[16] = {
    {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0}, {0, 0, 128},   {128, 0, 128},
    {0, 128, 128},   {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0}, {255, 255, 0},
    {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
};

struct IconImage {
    int size;
    std::vector<std::uint8_t> bytes;
};

std::vector<IconImage> iconFileImages() {
    const std::vector<std::uint8_t> file = readFileBytes(resourcePath("quillcast.ico"));
    std::vector<IconImage> out;
    if (file.size() < 6 || u16(file.data()) != 0 || u16(file.data() + 2) != 1) return out;
    const int count = u16(file.data() + 4);
    for (int i = 0; i < count; ++i) {
        const std::uint8_t* e = file.data() + 6 + 16 * i;
        EXPECT_EQ(e[0], e[1]);  // square
        EXPECT_EQ(e[2], 16);    // colour count
        EXPECT_EQ(u16(e + 4), 1);
        EXPECT_EQ(u16(e + 6), 4);
        const std::uint32_t length = u32(e + 8), offset = u32(e + 12);
        if (offset + length > file.size()) return {};
        out.push_back({e[0], std::vector<std::uint8_t>(file.begin() + offset, file.begin() + offset + length)});
    }
    return out;
}

TEST(Icon, HasOpaqueFourBitImagesOf32And16InTheStandardPalette) {
    const std::vector<IconImage> images = iconFileImages();
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[0].size, 32);
    EXPECT_EQ(images[1].size, 16);
    for (const IconImage& image : images) {
        SCOPED_TRACE(image.size);
        Dib d;
        ASSERT_TRUE(parseDib(image.bytes.data(), image.bytes.size(), image.size, true, d));
        EXPECT_EQ(d.width, image.size);
        EXPECT_EQ(d.height, 2 * image.size);  // colour and mask halves
        EXPECT_EQ(d.planes, 1);
        EXPECT_EQ(d.bitCount, 4);
        EXPECT_EQ(d.compression, 0u);
        ASSERT_EQ(d.colourTable.size(), 16u);
        for (std::size_t i = 0; i < 16; ++i) EXPECT_EQ(d.colourTable[i], kStandardPalette[i]) << i;
        for (const std::vector<int>& row : d.mask) {
            for (int bit : row) EXPECT_EQ(bit, 0);
        }
        // White ground at the corners; black shadow, grey envelope and the
        // five block colours inside.
        const int last = image.size - 1;
        EXPECT_EQ(d.indices[0][0], 15);
        EXPECT_EQ(d.indices[last][0], 15);
        EXPECT_EQ(d.indices[0][last], 15);
        std::set<int> used;
        for (const std::vector<int>& row : d.indices) used.insert(row.begin(), row.end());
        for (int colour : {0, 7, 8, 9, 10, 11, 12, 14, 15}) EXPECT_EQ(used.count(colour), 1u) << colour;
    }
}

TEST(Icon, GroupListsBothImagesOfTheCompiledIcon) {
    std::vector<emu::ResourceEntry> entries;
    ASSERT_TRUE(emu::parseResourceFile(compiledResources(), compiledResourcesSize(), entries));
    const emu::ResourceEntry* group = emu::findResource(entries, 14, kIconGroup);
    ASSERT_NE(group, nullptr);
    ASSERT_GE(group->size, 6u);
    EXPECT_EQ(u16(group->data), 0);
    EXPECT_EQ(u16(group->data + 2), 1);
    const std::vector<IconImage> files = iconFileImages();
    ASSERT_EQ(u16(group->data + 4), files.size());
    ASSERT_EQ(group->size, 6u + 14u * files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::uint8_t* e = group->data + 6 + 14 * i;
        EXPECT_EQ(e[0], files[i].size);
        EXPECT_EQ(e[1], files[i].size);
        EXPECT_EQ(e[2], 16);
        EXPECT_EQ(u16(e + 4), 1);
        EXPECT_EQ(u16(e + 6), 4);
        const emu::ResourceEntry* image = emu::findResource(entries, 3, u16(e + 12));
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(u32(e + 8), image->size);
        EXPECT_EQ(std::vector<std::uint8_t>(image->data, image->data + image->size), files[i].bytes);
    }
}

}  // namespace
