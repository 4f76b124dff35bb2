// A Canvas over a memory context that stands for the window: a 32-bit bitmap
// of the window's size, so the tests need no real window.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "canvas/canvas.h"
#include "canvas/pen_state.h"
#include "platform/emu/desktop.h"
#include "platform/platform.h"

class CanvasFixture : public ::testing::Test {
protected:
    static constexpr int kCorner = 10;

    void SetUp() override {
        emu::resetDesktop();
        resetPenState();
    }

    void TearDown() override {
        canvas.reset();
        if (windowDc) DeleteDC(windowDc);
        if (windowBitmap) DeleteObject(windowBitmap);
    }

    // Makes the window context and the Canvas on it, without setting it up.
    void makeCanvas(int windowCx = 214, int windowCy = 214) {
        windowDc = CreateCompatibleDC(nullptr);
        windowBitmap = CreateBitmap(windowCx, windowCy, 1, 32, nullptr);
        SelectObject(windowDc, windowBitmap);
        canvas = std::make_unique<Canvas>(windowDc);
    }

    // What the start-up sequence does: setUp, repaint, clear to white.
    void startCanvas(int width = 200, int height = 200, HINSTANCE instance = nullptr) {
        makeCanvas(width + 2 * kFrameBorder, height + 2 * kFrameBorder);
        canvas->setUp(instance, kFrameBorder, kFrameBorder, width, height, kFrameBorder, kFrameBorder, kCorner, kCorner);
        canvas->repaint(windowDc);
        canvas->clear(windowDc);
    }

    // The colour shown at (x, y), without the top byte.
    std::uint32_t shown(int x, int y) const { return GetPixel(windowDc, x, y) & 0xFFFFFF; }
    std::uint32_t backing(int x, int y) const { return GetPixel(canvasDc, x, y) & 0xFFFFFF; }

    HDC windowDc = nullptr;
    HBITMAP windowBitmap = nullptr;
    std::unique_ptr<Canvas> canvas;
};
