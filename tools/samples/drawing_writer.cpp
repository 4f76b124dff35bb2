#include "tools/samples/drawing_writer.h"

#include "drawing/block.h"

namespace tools {

namespace {
constexpr std::uint8_t kDrawingByte = 0x51;  // any value but the placeholder's 0x44
}

DrawingWriter::DrawingWriter(int width, int height, const std::vector<std::uint32_t>& palette, bool withPressure)
    : bytes_(kDrawingBlockSize, 0), at_(kDrawingStreamStart), pressure_(withPressure) {
    bytes_[0] = kDrawingByte;
    if (withPressure) {
        word(48);
        word(0);
        word(0);
    } else {
        word(0);
    }
    word(0);
    word(static_cast<std::uint16_t>(width));
    word(static_cast<std::uint16_t>(height));
    for (int i = 0; i < 4; ++i) word(0);
    word(0x300);
    word(256);
    for (int i = 0; i < 257; ++i) {
        const std::uint32_t c = i < 256 && static_cast<std::size_t>(i) < palette.size() ? palette[i] : 0;
        dword((c & 0xFFFFFF) | (i < 256 ? 0x04000000u : 0u));
    }
}

std::uint32_t DrawingWriter::room() const { return kDrawingBlockSize - at_; }

void DrawingWriter::word(std::uint16_t value) {
    if (at_ + 2 > kDrawingBlockSize) {
        overflowed_ = true;
        return;
    }
    bytes_[at_++] = static_cast<std::uint8_t>(value);
    bytes_[at_++] = static_cast<std::uint8_t>(value >> 8);
}

void DrawingWriter::dword(std::uint32_t value) {
    word(static_cast<std::uint16_t>(value));
    word(static_cast<std::uint16_t>(value >> 16));
}

void DrawingWriter::colour(std::uint32_t rgb, int selector) {
    word(0);
    dword((rgb & 0xFFFFFF) | (static_cast<std::uint32_t>(selector & 15) << 28));
}

void DrawingWriter::penMode(int mode) {
    word(1);
    dword(static_cast<std::uint32_t>(mode));
}

void DrawingWriter::brushSize(int level) {
    word(3);
    dword(static_cast<std::uint32_t>(level));
}

void DrawingWriter::density(int value) {
    word(5);
    dword(static_cast<std::uint32_t>(value));
}

void DrawingWriter::fill() {
    word(4);
    dword(0);
}

void DrawingWriter::stroke(const std::vector<StrokePoint>& points) {
    if (points.empty()) return;
    const std::uint32_t need = 6 + 4 * static_cast<std::uint32_t>(points.size());
    if (need > room()) {
        overflowed_ = true;
        return;
    }
    word(2);
    dword(static_cast<std::uint32_t>(points.size()));
    for (std::size_t i = 0; i < points.size(); ++i) {
        const StrokePoint& p = points[i];
        std::uint16_t x = static_cast<std::uint16_t>(p.x);
        if (pressure_ && i > 0) {
            const int clampedX = p.x < 0 ? 0 : (p.x > 1024 ? 1024 : p.x);
            const int pressure = p.pressure < 0 ? 0 : (p.pressure > 15 ? 15 : p.pressure);
            x = static_cast<std::uint16_t>((pressure << 12) | clampedX);
        }
        word(x);
        word(static_cast<std::uint16_t>(p.y));
    }
}

}  // namespace tools
