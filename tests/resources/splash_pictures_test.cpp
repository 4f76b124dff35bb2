// The two splash pictures as committed: format, colour counts, ground colour
// and where their content lies.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/resources/dib_reader.h"

namespace {

const Rgb kParchment{222, 189, 115};

Dib load(const std::string& name) {
    Dib dib;
    EXPECT_TRUE(readBitmapFile(resourcePath("bitmaps/" + name), dib)) << name;
    return dib;
}

int luminance(Rgb c) { return (299 * c.r + 587 * c.g + 114 * c.b) / 1000; }

std::map<Rgb, int> colourCounts(const Dib& d) {
    std::map<Rgb, int> counts;
    for (int y = 0; y < static_cast<int>(d.indices.size()); ++y) {
        for (int x = 0; x < d.width; ++x) ++counts[d.at(x, y)];
    }
    return counts;
}

Rgb mostFrequent(const std::map<Rgb, int>& counts) {
    auto best = counts.begin();
    for (auto it = counts.begin(); it != counts.end(); ++it) {
        if (it->second > best->second) best = it;
    }
    return best->first;
}

TEST(SplashPictures, AreEightBitWithFullColourTables) {
    struct Case { const char* file; int width, height; };
    for (const Case& c : {Case{"splash_opening.bmp", 263, 88}, Case{"splash_closing.bmp", 236, 86}}) {
        SCOPED_TRACE(c.file);
        const Dib d = load(c.file);
        EXPECT_EQ(d.headerSize, 40u);
        EXPECT_EQ(d.width, c.width);
        EXPECT_EQ(d.height, c.height);
        EXPECT_EQ(d.planes, 1);
        EXPECT_EQ(d.bitCount, 8);
        EXPECT_EQ(d.compression, 0u);
        EXPECT_EQ(d.coloursUsed, 256u);
        EXPECT_EQ(d.coloursImportant, 256u);
        EXPECT_EQ(d.colourTable.size(), 256u);
    }
}

TEST(SplashPictures, UseTheirColourCountsOnParchment) {
    struct Case { const char* file; std::size_t colours; };
    for (const Case& c : {Case{"splash_opening.bmp", 215}, Case{"splash_closing.bmp", 77}}) {
        SCOPED_TRACE(c.file);
        const Dib d = load(c.file);
        const std::map<Rgb, int> counts = colourCounts(d);
        EXPECT_EQ(counts.size(), c.colours);
        std::set<int> indices;
        for (const std::vector<int>& row : d.indices) indices.insert(row.begin(), row.end());
        EXPECT_EQ(indices.size(), c.colours);  // no two used entries alike
        EXPECT_EQ(mostFrequent(counts), kParchment);
    }
}

// Rows holding ink (dark pixels) are exactly the three lines' rows; every
// other row is plain parchment.
TEST(SplashPictures, ClosingTextLinesKeepToTheirRows) {
    const Dib d = load("splash_closing.bmp");
    const int lines[3][2] = {{8, 22}, {31, 47}, {58, 72}};
    for (int y = 0; y < 86; ++y) {
        int darkest = 255;
        for (int x = 0; x < 236; ++x) darkest = std::min(darkest, luminance(d.at(x, y)));
        bool inLine = false;
        for (const auto& line : lines) inLine = inLine || (y >= line[0] && y <= line[1]);
        if (inLine) {
            EXPECT_LT(darkest, 100) << "row " << y;
        } else {
            EXPECT_GT(darkest, 140) << "row " << y;
        }
    }
    // Each line is centred; the address, in the middle, spans nearly all.
    for (int i = 0; i < 3; ++i) {
        int left = 236, right = -1;
        for (int y = lines[i][0]; y <= lines[i][1]; ++y) {
            for (int x = 0; x < 236; ++x) {
                if (luminance(d.at(x, y)) < 100) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        }
        EXPECT_LE(std::abs((left + right) - 235), 4) << "line " << i;
        if (i == 1) {
            EXPECT_GE(right - left + 1, 200);
        }
    }
}

bool isWhite(Rgb c) { return c.r == 255 && c.g == 255 && c.b == 255; }
bool isDarkGrey(Rgb c) { return c.r == c.g && c.g == c.b && c.r < 100; }
bool isBlueViolet(Rgb c) { return c.b > c.r + 40 && c.r > c.g + 15; }
bool isMagenta(Rgb c) { return c.r > c.g + 80 && c.b > c.g + 50; }
bool isDarkTeal(Rgb c) { return c.g > c.r + 40 && c.b > c.r + 40 && c.g < 170; }

TEST(SplashPictures, OpeningHasBlockLettersLeftAndBrushCapitalsRight) {
    const Dib d = load("splash_opening.bmp");
    int white = 0, shadow = 0, violet = 0, magenta = 0, teal = 0;
    int firstColoured = 88, lastColoured = -1;
    for (int y = 0; y < 88; ++y) {
        for (int x = 0; x < 263; ++x) {
            const Rgb c = d.at(x, y);
            if (isWhite(c) || isDarkGrey(c)) {
                // Block letters and their shadow: left half, about mid-height.
                EXPECT_LT(x, 132) << x << "," << y;
                EXPECT_GT(y, 16);
                EXPECT_LT(y, 72);
                (isWhite(c) ? white : shadow) += 1;
            }
            const bool v = isBlueViolet(c), m = isMagenta(c), t = isDarkTeal(c);
            if (v || m || t) {
                EXPECT_GE(x, 125) << x << "," << y;
                firstColoured = std::min(firstColoured, y);
                lastColoured = std::max(lastColoured, y);
            }
            violet += v;
            magenta += m;
            teal += t;
        }
    }
    EXPECT_GT(white, 300);
    EXPECT_GT(shadow, 100);
    EXPECT_GT(violet, 300);
    EXPECT_GT(magenta, 150);
    EXPECT_GT(teal, 150);
    EXPECT_LE(firstColoured, 6);  // almost top to bottom
    EXPECT_GE(lastColoured, 81);
}

}  // namespace
