#!/usr/bin/python3
"""Draws every picture the player carries and writes them into resources/:
the frame pieces and splash pictures as bitmap files in bitmaps/, and the
icon as quillcast.ico. Deterministic: a rerun writes the same bytes.

    resources/generate/generate.py        (needs python3-pil and fonts-dejavu-core)
"""

import os
import sys

sys.dont_write_bytecode = True  # leave no cache files in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import with_pil  # noqa: E402,F401  (first: it may start the script again)

import dib  # noqa: E402
import frame  # noqa: E402
import icon  # noqa: E402
import splash  # noqa: E402

RESOURCES = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BITMAPS = os.path.join(RESOURCES, "bitmaps")


def main():
    os.makedirs(BITMAPS, exist_ok=True)

    def out(name):
        return os.path.join(BITMAPS, name)

    corner = frame.top_left_corner()
    corners = frame.ramp_palette(frame.CORNER_RAMP)
    dib.write_bmp(out("frame_top_left.bmp"), corner, corners, 4)
    dib.write_bmp(out("frame_top_right.bmp"), frame.mirrored(corner, True, False), corners, 4)
    dib.write_bmp(out("frame_bottom_left.bmp"), frame.mirrored(corner, False, True), corners, 4)
    dib.write_bmp(out("frame_bottom_right.bmp"), frame.mirrored(corner, True, True), corners, 4)
    dib.write_bmp(out("frame_horizontal_edge.bmp"), frame.horizontal_edge(),
                  frame.ramp_palette(frame.HORIZONTAL_RAMP), 4)
    dib.write_bmp(out("frame_vertical_edge.bmp"), frame.vertical_edge(),
                  frame.ramp_palette(frame.VERTICAL_RAMP), 4)

    palette, pixels = splash.opening_splash()
    dib.write_bmp(out("splash_opening.bmp"), pixels, palette, 8)
    palette, pixels = splash.closing_splash()
    dib.write_bmp(out("splash_closing.bmp"), pixels, palette, 8)

    dib.write_icon(os.path.join(RESOURCES, "quillcast.ico"), [icon.icon_32(), icon.icon_16()],
                   icon.VGA_PALETTE)


if __name__ == "__main__":
    main()
