// What the session tests share: the canvas a whole show leaves, the
// session's canvas in the same form, and record bytes to append.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/session/session.h"
#include "engine/player/headless_player.h"

namespace session_support {

// The canvas of a whole show of block, played by the headless player. The
// player's state is process-wide, so the session is closed first.
inline tools::Picture showCanvas(const std::vector<std::uint8_t>& block) {
    session::close();
    tools::ShowSetup setup;
    setup.block = block;
    const tools::ShowOutcome outcome = tools::runShow(setup);
    EXPECT_TRUE(outcome.captured) << outcome.message;
    return tools::crop(outcome.picture, 7, 7, outcome.canvasWidth, outcome.canvasHeight);
}

// The open session's canvas. Take it before showCanvas, which plays a show
// in the same process and so ends the session.
inline tools::Picture sessionCanvas() {
    tools::Picture p;
    p.width = session::width();
    p.height = session::height();
    const std::uint32_t* from = session::pixels();
    EXPECT_NE(from, nullptr) << "no session open";
    if (!from) return p;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            p.pixels.push_back(from[static_cast<std::size_t>(y) * static_cast<std::size_t>(session::stride()) +
                                    static_cast<std::size_t>(x)]);
    return p;
}

// Where two pictures first differ, for a readable failure.
inline ::testing::AssertionResult samePicture(const tools::Picture& a, const tools::Picture& b) {
    if (a.width != b.width || a.height != b.height)
        return ::testing::AssertionFailure() << "sizes " << a.width << "x" << a.height << " and " << b.width << "x"
                                             << b.height;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        if (a.pixels[i] != b.pixels[i])
            return ::testing::AssertionFailure()
                   << "first difference at (" << i % static_cast<std::size_t>(a.width) << ", "
                   << i / static_cast<std::size_t>(a.width) << "): " << std::hex << a.pixels[i] << " and " << b.pixels[i];
    }
    return ::testing::AssertionSuccess();
}

// A one-value record: opcode, then the value, little-endian.
inline std::vector<std::uint8_t> record(std::uint16_t opcode, std::uint32_t value) {
    return {static_cast<std::uint8_t>(opcode), static_cast<std::uint8_t>(opcode >> 8),
            static_cast<std::uint8_t>(value),  static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

inline bool appendRecord(std::uint16_t opcode, std::uint32_t value) {
    const std::vector<std::uint8_t> r = record(opcode, value);
    return session::append(r.data(), r.size());
}

// A grey ramp, as the test blocks use.
inline std::vector<std::uint32_t> greyPalette() {
    std::vector<std::uint32_t> palette;
    for (std::uint32_t i = 0; i < 256; ++i) palette.push_back(i | i << 8 | i << 16);
    return palette;
}

// A wavy stroke fed point by point, with a pressure that rises and falls.
inline void wavyStroke(int x0, int y0, int length, int seed) {
    session::beginStroke(x0, y0);
    for (int i = 1; i <= length; ++i) {
        const int x = x0 + i * 3;
        const int y = y0 + ((i * (7 + seed)) % 23) - 11;
        session::strokeTo(x, y, (i + seed) % 16);
    }
}

}  // namespace session_support
