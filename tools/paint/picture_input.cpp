#include "tools/paint/picture_input.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
#include <png.h>

#include "engine/files/files.h"

namespace paint {

namespace {

bool isPng(const std::vector<std::uint8_t>& bytes) {
    return bytes.size() >= 8 && png_sig_cmp(bytes.data(), 0, 8) == 0;
}

bool isJpeg(const std::vector<std::uint8_t>& bytes) {
    return bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

bool sizeAllowed(std::uint64_t width, std::uint64_t height, std::string& error) {
    if (width == 0 || height == 0) {
        error = "the picture has no pixels";
        return false;
    }
    if (width > kMaxPictureSide || height > kMaxPictureSide || width * height > kMaxPicturePixels) {
        error = std::to_string(width) + " x " + std::to_string(height) +
                " pixels is too large (at most 32768 a side and 64 million pixels in all)";
        return false;
    }
    return true;
}

bool decodePng(const std::vector<std::uint8_t>& bytes, tools::Picture& picture, std::string& error) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
        error = std::string("not a readable PNG: ") + image.message;
        return false;
    }
    if (!sizeAllowed(image.width, image.height, error)) {
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
    const png_color white{255, 255, 255};
    if (!png_image_finish_read(&image, &white, rgb.data(), 0, nullptr)) {
        error = std::string("damaged PNG: ") + image.message;
        png_image_free(&image);
        return false;
    }
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height));
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        picture.pixels[i] = rgb[3 * i] | (rgb[3 * i + 1] << 8) | (static_cast<std::uint32_t>(rgb[3 * i + 2]) << 16);
    }
    return true;
}

// libjpeg reports errors by calling error_exit, which must not return; it
// jumps back here. Warnings (a cut file among them) count as errors too: a
// picture that libjpeg had to make up in part is not worth painting.
struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool warned;
};

void jpegErrorExit(j_common_ptr info) {
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

void jpegMessage(j_common_ptr info, int level) {
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    if (level < 0 && !errors->warned) {
        errors->warned = true;
        (*info->err->format_message)(info, errors->message);
    }
}

// The decoding steps that may jump back to decodeJpeg; nothing here owns
// anything that a jump would leak.
void readJpeg(jpeg_decompress_struct& info, tools::Picture& picture, std::string& error, bool& tooLarge) {
    jpeg_read_header(&info, TRUE);
    if (!sizeAllowed(info.image_width, info.image_height, error)) {
        tooLarge = true;
        return;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    picture.width = static_cast<int>(info.output_width);
    picture.height = static_cast<int>(info.output_height);
    // One buffer holds the picture and, after it, the row being read.
    const std::size_t count = static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height);
    picture.pixels.assign(count + static_cast<std::size_t>(picture.width), 0);
    auto* row = reinterpret_cast<JSAMPLE*>(picture.pixels.data() + count);
    while (info.output_scanline < info.output_height) {
        const std::size_t y = info.output_scanline;
        JSAMPROW rows[1] = {row};
        jpeg_read_scanlines(&info, rows, 1);
        std::uint32_t* out = picture.pixels.data() + y * static_cast<std::size_t>(picture.width);
        // The row's bytes sit after the picture's pixels, so this overwrites nothing unread.
        for (int x = 0; x < picture.width; ++x) {
            const JSAMPLE* p = row + 3 * x;
            out[x] = p[0] | (p[1] << 8) | (static_cast<std::uint32_t>(p[2]) << 16);
        }
    }
    jpeg_finish_decompress(&info);
    picture.pixels.resize(count);
}

bool decodeJpeg(const std::vector<std::uint8_t>& bytes, tools::Picture& picture, std::string& error) {
    jpeg_decompress_struct info{};
    JpegErrors errors{};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jpegErrorExit;
    errors.manager.emit_message = jpegMessage;
    bool tooLarge = false;
    jpeg_create_decompress(&info);
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        error = std::string("damaged JPEG: ") + errors.message;
        return false;
    }
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    readJpeg(info, picture, error, tooLarge);
    jpeg_destroy_decompress(&info);
    if (tooLarge) return false;
    if (errors.warned) {
        error = std::string("damaged JPEG: ") + errors.message;
        return false;
    }
    return true;
}

}  // namespace

bool decodePicture(const std::vector<std::uint8_t>& bytes, tools::Picture& picture, std::string& error) {
    picture = tools::Picture{};
    if (bytes.empty()) {
        error = "the file is empty, not a PNG or JPEG picture";
        return false;
    }
    bool done = false;
    if (isPng(bytes)) {
        done = decodePng(bytes, picture, error);
    } else if (isJpeg(bytes)) {
        done = decodeJpeg(bytes, picture, error);
    } else {
        error = "not a PNG or JPEG picture";
        return false;
    }
    if (!done) picture = tools::Picture{};
    return done;
}

bool readPicture(const std::string& path, tools::Picture& picture, std::string& error) {
    std::vector<std::uint8_t> bytes;
    if (!tools::readFile(path, bytes, error)) return false;
    if (decodePicture(bytes, picture, error)) return true;
    error = path + ": " + error;
    return false;
}

}  // namespace paint
