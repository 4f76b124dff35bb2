#include "tools/common/png_writer.h"

#include <png.h>

#include <csetjmp>

namespace tools {

namespace {

// libpng reports errors by longjmp; nothing with a destructor may live
// between setjmp and the calls that can jump, so the rows are made first.
bool writeRows(std::FILE* file, int width, int height, std::vector<png_bytep>& rows) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool writePng(std::FILE* file, const Picture& picture) {
    if (picture.width <= 0 || picture.height <= 0) return false;
    const auto width = static_cast<std::size_t>(picture.width);
    std::vector<std::uint8_t> rgb(width * static_cast<std::size_t>(picture.height) * 3);
    for (std::size_t i = 0; i < picture.pixels.size() && i * 3 < rgb.size(); ++i) {
        const std::uint32_t c = picture.pixels[i];
        rgb[i * 3] = static_cast<std::uint8_t>(c);
        rgb[i * 3 + 1] = static_cast<std::uint8_t>(c >> 8);
        rgb[i * 3 + 2] = static_cast<std::uint8_t>(c >> 16);
    }
    std::vector<png_bytep> rows(static_cast<std::size_t>(picture.height));
    for (std::size_t y = 0; y < rows.size(); ++y) rows[y] = rgb.data() + y * width * 3;
    return writeRows(file, picture.width, picture.height, rows);
}

}  // namespace tools
