// Reading, scaling and the palette of the picture to paint.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "engine/files/files.h"
#include "tools/paint/picture_fit.h"
#include "tools/paint/picture_input.h"
#include "tools/paint/picture_palette.h"

namespace {

const std::string kData = QC_PAINT_TEST_DATA;

std::vector<std::uint8_t> fileBytes(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(tools::readFile(path, bytes, error)) << error;
    return bytes;
}

void bigEndian(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

// A PNG whose header says width x height and that holds no pixel data.
std::vector<std::uint8_t> pngHeaderOnly(std::uint32_t width, std::uint32_t height) {
    std::vector<std::uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> chunk{'I', 'H', 'D', 'R'};
    bigEndian(chunk, width);
    bigEndian(chunk, height);
    chunk.insert(chunk.end(), {8, 2, 0, 0, 0});
    bigEndian(png, 13);
    png.insert(png.end(), chunk.begin(), chunk.end());
    bigEndian(png, static_cast<std::uint32_t>(crc32(0, chunk.data(), static_cast<uInt>(chunk.size()))));
    // Then an empty IDAT and IEND, so that the header is all that is wrong.
    for (const char* name : {"IDAT", "IEND"}) {
        bigEndian(png, 0);
        png.insert(png.end(), name, name + 4);
        bigEndian(png, static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(name), 4)));
    }
    return png;
}

tools::Picture pictureOf(int width, int height, std::uint32_t colour) {
    tools::Picture p;
    p.width = width;
    p.height = height;
    p.pixels.assign(static_cast<std::size_t>(width) * height, colour);
    return p;
}

TEST(PictureInput, ReadsPngAndJpegAlike) {
    tools::Picture png, jpeg;
    std::string error;
    ASSERT_TRUE(paint::readPicture(kData + "/wizard-96.png", png, error)) << error;
    ASSERT_TRUE(paint::readPicture(kData + "/wizard-96.jpg", jpeg, error)) << error;
    ASSERT_EQ(png.width, 96);
    ASSERT_EQ(png.height, 96);
    ASSERT_EQ(jpeg.width, 96);
    ASSERT_EQ(jpeg.height, 96);
    // The JPEG is the PNG, lossily: close on average, channel by channel.
    double difference = 0;
    for (std::size_t i = 0; i < png.pixels.size(); ++i) {
        for (int shift = 0; shift <= 16; shift += 8) {
            difference += std::abs(static_cast<int>((png.pixels[i] >> shift) & 0xFF) -
                                   static_cast<int>((jpeg.pixels[i] >> shift) & 0xFF));
        }
    }
    EXPECT_LT(difference / (3.0 * static_cast<double>(png.pixels.size())), 6.0);
}

TEST(PictureInput, RefusesWhatIsNoPictureOrBroken) {
    const std::vector<std::uint8_t> png = fileBytes(kData + "/wizard-96.png");
    const std::vector<std::uint8_t> jpeg = fileBytes(kData + "/wizard-96.jpg");
    const std::string text = "This is a text file named .png, not a picture.\n";
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        const char* says;
    } cases[] = {
        {"zero bytes", {}, "empty"},
        {"text", std::vector<std::uint8_t>(text.begin(), text.end()), "not a PNG or JPEG"},
        {"cut PNG", std::vector<std::uint8_t>(png.begin(), png.begin() + static_cast<long>(png.size() / 2)), "PNG"},
        {"cut JPEG", std::vector<std::uint8_t>(jpeg.begin(), jpeg.begin() + static_cast<long>(jpeg.size() / 2)),
         "damaged JPEG"},
        {"PNG signature alone", std::vector<std::uint8_t>(png.begin(), png.begin() + 8), "PNG"},
        {"huge PNG header", pngHeaderOnly(100000, 100000), "100000 x 100000 pixels is too large"},
        {"zero-width PNG header", pngHeaderOnly(0, 10), "PNG"},
    };
    for (const Case& c : cases) {
        tools::Picture picture;
        std::string error;
        EXPECT_FALSE(paint::decodePicture(c.bytes, picture, error)) << c.what;
        EXPECT_NE(error.find(c.says), std::string::npos) << c.what << ": " << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << c.what << ": one line";
        EXPECT_TRUE(picture.pixels.empty()) << c.what;
    }
}

TEST(PictureFit, CanvasKeepsProportionsWithinLimits) {
    int w = 0, h = 0;
    std::string error;
    ASSERT_TRUE(paint::canvasSizeFor(800, 600, 400, 0, 0, w, h, error));
    EXPECT_EQ(w, 400);
    EXPECT_EQ(h, 300);
    ASSERT_TRUE(paint::canvasSizeFor(10, 3000, 512, 0, 0, w, h, error));
    EXPECT_EQ(w, 2);
    EXPECT_EQ(h, 512);
    ASSERT_TRUE(paint::canvasSizeFor(3000, 1, 100, 0, 0, w, h, error));
    EXPECT_EQ(h, 1) << "never below one pixel";
    ASSERT_TRUE(paint::canvasSizeFor(10, 10, 0, 640, 200, w, h, error));
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 200);
    EXPECT_FALSE(paint::canvasSizeFor(10, 10, 0, 1025, 10, w, h, error));
    EXPECT_FALSE(paint::canvasSizeFor(10, 10, 0, 10, 0, w, h, error));
    EXPECT_FALSE(paint::canvasSizeFor(10, 10, 2000, 0, 0, w, h, error));
}

TEST(PictureFit, AreaAveragingKeepsTheMeanAndSharesPartPixels) {
    // Columns of 0 and 90 halved: each canvas pixel is their mean.
    tools::Picture stripes = pictureOf(4, 2, 0);
    for (int y = 0; y < 2; ++y) stripes.pixels[static_cast<std::size_t>(y) * 4 + 1] = stripes.pixels[static_cast<std::size_t>(y) * 4 + 3] = 0x5A5A5A;
    const tools::Picture half = paint::scaleByArea(stripes, 2, 1);
    ASSERT_EQ(half.pixels.size(), 2u);
    EXPECT_EQ(half.pixels[0], 0x2D2D2Du);
    EXPECT_EQ(half.pixels[1], 0x2D2D2Du);
    // Three pixels into two: the middle one is shared half and half.
    tools::Picture three = pictureOf(3, 1, 0);
    three.pixels = {0, 0x0000F0, 0x0000F0};
    const tools::Picture two = paint::scaleByArea(three, 2, 1);
    EXPECT_EQ(two.pixels[0] & 0xFF, 80u);   // (0 + 0.5 * 240) / 1.5
    EXPECT_EQ(two.pixels[1] & 0xFF, 240u);
    // A flat picture stays flat, up or down.
    for (auto [w, h] : {std::pair{7, 5}, std::pair{50, 31}}) {
        const tools::Picture flat = paint::scaleByArea(pictureOf(13, 9, 0x336699), w, h);
        for (std::uint32_t p : flat.pixels) ASSERT_EQ(p, 0x336699u) << w << "x" << h;
    }
}

TEST(PicturePalette, HoldsThePicturesOwnColours) {
    // Up to 256 distinct colours are kept exactly.
    tools::Picture few = pictureOf(16, 16, 0);
    for (std::uint32_t i = 0; i < few.pixels.size(); ++i) few.pixels[i] = i | ((255 - i) << 8) | (((i * 7) & 255) << 16);
    const std::vector<std::uint32_t> palette = paint::paletteFromPicture(few);
    ASSERT_EQ(palette.size(), 256u);
    const std::set<std::uint32_t> slots(palette.begin(), palette.end());
    for (std::uint32_t p : few.pixels) EXPECT_TRUE(slots.count(p)) << std::hex << p;

    tools::Picture wizard;
    std::string error;
    ASSERT_TRUE(paint::readPicture(kData + "/wizard-96.png", wizard, error));
    const std::vector<std::uint32_t> made = paint::paletteFromPicture(wizard);
    EXPECT_EQ(made, paint::paletteFromPicture(wizard)) << "the same picture, the same palette";
    // Every pixel lies near some slot.
    for (std::uint32_t p : wizard.pixels) {
        int best = 1 << 30;
        for (std::uint32_t s : made) {
            int d = 0;
            for (int shift = 0; shift <= 16; shift += 8) {
                const int c = static_cast<int>((p >> shift) & 0xFF) - static_cast<int>((s >> shift) & 0xFF);
                d += c * c;
            }
            best = std::min(best, d);
        }
        ASSERT_LT(best, 3 * 40 * 40) << std::hex << p;
    }
}

}  // namespace
