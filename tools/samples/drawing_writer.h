// Writes DrawingBlocks record by record: the prologue, then colours, pen
// modes, brush sizes, densities, fills and strokes, then a zero tail.
#pragma once

#include <cstdint>
#include <vector>

namespace tools {

struct StrokePoint {
    int x;
    int y;
    int pressure;  // 0..15; used only when the drawing carries pressure
};

class DrawingWriter {
public:
    // A palette of the given 256 colours (0x00BBGGRR); withPressure chooses
    // the format whose stroke points carry a pen pressure.
    DrawingWriter(int width, int height, const std::vector<std::uint32_t>& palette, bool withPressure);

    void colour(std::uint32_t rgb, int selector = 0);  // rgb as 0x00BBGGRR
    void penMode(int mode);
    void brushSize(int level);
    void density(int value);
    void fill();
    void stroke(const std::vector<StrokePoint>& points);

    // Bytes written so far, and what is left of the block.
    std::uint32_t size() const { return at_; }
    std::uint32_t room() const;
    bool overflowed() const { return overflowed_; }

    // The finished block: the records, then zeros (451000 bytes).
    const std::vector<std::uint8_t>& block() const { return bytes_; }

private:
    void word(std::uint16_t value);
    void dword(std::uint32_t value);

    std::vector<std::uint8_t> bytes_;
    std::uint32_t at_ = 0;
    bool pressure_ = false;
    bool overflowed_ = false;
};

}  // namespace tools
