#!/usr/bin/python3
"""Writes PNG previews of the committed resource pictures into OUTDIR: every
bitmap and icon image at its own size and enlarged, and the frame assembled
around a white canvas as the player's repaint places it.

    resources/generate/preview.py OUTDIR      (needs python3-pil)
"""

import os
import sys

sys.dont_write_bytecode = True  # leave no cache files in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import with_pil  # noqa: E402,F401  (first: it may start the script again)

import dib  # noqa: E402
from PIL import Image  # noqa: E402

RESOURCES = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BITMAPS = os.path.join(RESOURCES, "bitmaps")

BORDER = 7
CORNER = 10


def to_image(rows):
    image = Image.new("RGB", (len(rows[0]), len(rows)))
    image.putdata([p for row in rows for p in row])
    return image


def piece(name):
    return to_image(dib.read_bmp(os.path.join(BITMAPS, name)))


def framed(canvas_width, canvas_height, repeat_edges):
    """The repaint's nine copies: edges from their top-left without stretching
    (laid again after themselves when repeat_edges and the window is longer
    than a piece), corners over the edge ends, then the canvas on top."""
    total_w, total_h = canvas_width + 2 * BORDER, canvas_height + 2 * BORDER
    out = Image.new("RGB", (total_w, total_h), (0, 0, 0))
    horizontal, vertical = piece("frame_horizontal_edge.bmp"), piece("frame_vertical_edge.bmp")

    def run(source, x, y, length, along_x):
        step = source.width if along_x else source.height
        at = 0
        while at < length:
            part = min(step, length - at)
            box = (0, 0, part, BORDER) if along_x else (0, 0, BORDER, part)
            out.paste(source.crop(box), (x + at, y) if along_x else (x, y + at))
            at += step if repeat_edges else length

    run(horizontal, 0, 0, total_w, True)
    run(horizontal, 0, canvas_height + BORDER, total_w, True)
    run(vertical, canvas_width + BORDER, 0, total_h, False)
    run(vertical, 0, 0, total_h, False)
    out.paste(piece("frame_top_left.bmp"), (0, 0))
    out.paste(piece("frame_top_right.bmp"), (total_w - CORNER, 0))
    out.paste(piece("frame_bottom_right.bmp"), (total_w - CORNER, total_h - CORNER))
    out.paste(piece("frame_bottom_left.bmp"), (0, total_h - CORNER))
    out.paste(Image.new("RGB", (canvas_width, canvas_height), (255, 255, 255)), (BORDER, BORDER))
    return out


def enlarged(image, factor):
    return image.resize((image.width * factor, image.height * factor), Image.NEAREST)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: preview.py OUTDIR")
    outdir = sys.argv[1]
    os.makedirs(outdir, exist_ok=True)

    def save(image, name):
        image.save(os.path.join(outdir, name))

    for name in sorted(os.listdir(BITMAPS)):
        if name.endswith(".bmp"):
            image = piece(name)
            stem = name[:-4]
            save(image, stem + ".png")
            factor = 8 if max(image.size) <= 16 else 4 if min(image.size) < 16 else 3
            save(enlarged(image, factor), "%s_x%d.png" % (stem, factor))

    for rows in dib.read_icon(os.path.join(RESOURCES, "quillcast.ico")):
        image = to_image(rows)
        save(image, "icon_%d.png" % image.width)
        save(enlarged(image, 8), "icon_%d_x8.png" % image.width)

    sample = framed(300, 400, False)
    save(sample, "framed_300x400.png")
    save(enlarged(sample.crop((0, 0, 40, 40)), 8), "framed_300x400_top_left_x8.png")
    save(enlarged(sample.crop((sample.width - 40, sample.height - 40, sample.width, sample.height)), 8),
         "framed_300x400_bottom_right_x8.png")
    save(framed(900, 620, True), "framed_900x620_repeated.png")


if __name__ == "__main__":
    main()
