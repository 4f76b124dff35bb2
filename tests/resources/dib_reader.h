// Reads the committed picture files and packed DIBs back into headers,
// colour tables and palette indices, for the resource tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    std::uint8_t r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator<(const Rgb& o) const { return (r << 16 | g << 8 | b) < (o.r << 16 | o.g << 8 | o.b); }
};

struct Dib {
    std::uint32_t headerSize = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;  // as stored: doubled for icon images
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    std::uint32_t coloursImportant = 0;
    std::vector<Rgb> colourTable;
    std::vector<std::vector<int>> indices;  // rows top-down
    std::vector<std::vector<int>> mask;     // icons only: AND mask bits, rows top-down

    Rgb at(int x, int y) const { return colourTable[indices[y][x]]; }
};

std::vector<std::uint8_t> readFileBytes(const std::string& path);

// A packed DIB (info header, colour table, bits), as a bitmap resource holds
// it. rows is the picture's height; an icon image also has its AND mask.
bool parseDib(const std::uint8_t* bytes, std::size_t size, int rows, bool withMask, Dib& out);

// A bitmap file: the file header, then a packed DIB.
bool readBitmapFile(const std::string& path, Dib& out);

// The path of a committed resource file, e.g. "bitmaps/frame_top_left.bmp".
std::string resourcePath(const std::string& name);
