"""Drawings that pull the player's costs apart, written as drawing scripts.

    make_drawings.py OUT_DIR        writes OUT_DIR/NAME.qcs for every NAME below

Each one leans on one cost: the timer tick, the stroke segment with its look
at the queue, the line point with its brush stamp, the pixel written or read,
the canvas fill. Every stroke that matters changes what is shown (colours
take turns), so that screenshots can tell how far the show has got; where a
stroke by design draws nothing, a small marker stroke follows it in its own
tick. The drawings are fixed: the same script on every run."""

import os
import sys

# Colours of the standard palette's cube, so that each is shown exactly.
COLOURS = ["#cc0000", "#0066cc", "#009933", "#993399", "#ff9900", "#336666", "#000000", "#cc6699"]


class Script:
    def __init__(self, comment, width, height):
        self.lines = ["quillcast script 1", "# " + comment, "header width %d height %d" % (width, height),
                      "palette standard", "colour pen #ffffff", "fill"]
        self.strokes = 0

    def add(self, line):
        self.lines.append(line)

    def colour(self, n):
        self.add("colour pen " + COLOURS[n % len(COLOURS)])

    def stroke(self, points):
        self.add("stroke " + " ".join("%d,%d" % p for p in points))
        self.strokes += 1

    def text(self):
        return "\n".join(self.lines) + "\n"


def ticks():
    """Many short strokes: 1000 strokes of one 2-pixel segment, the one-pixel brush."""
    s = Script("1000 strokes of one short segment: the tick and its pause", 400, 300)
    s.add("pen-mode blend")
    s.add("brush-size 0")
    for i in range(1000):
        x, y = 10 + (i % 50) * 7, 10 + (i // 50) * 13
        s.colour(i)
        s.stroke([(x, y), (x + 2, y + 2)])
    return s


def segments():
    """Many segments of one pixel each: 40 strokes of 1000 unit steps."""
    s = Script("40 strokes of 1000 one-pixel segments: the segment and its look at the queue", 560, 420)
    s.add("pen-mode blend")
    s.add("brush-size 0")
    for i in range(40):
        y = 10 + i * 10
        points = [(20, y)]
        x, row = 20, y
        for step in range(1000):
            # Right along the row for 500 steps, one down, then back to the left.
            if step == 500:
                row += 3
            else:
                x += 1 if step < 500 else -1
            points.append((x, row))
        s.colour(i)
        s.stroke(points)
    return s


def thin_lines():
    """Few long strokes with the one-pixel brush: 60 strokes of 20 segments 500 pixels long."""
    s = Script("60 strokes of 20 segments of about 500 pixels, the one-pixel brush: the line point", 600, 520)
    s.add("pen-mode blend")
    s.add("brush-size 0")
    for i in range(60):
        points = []
        for j in range(21):
            x = 40 + (520 if j % 2 else 0)
            points.append((x, 10 + i * 8 + (j * 3) % 7))
        s.colour(i)
        s.stroke(points)
    return s


def hidden_pen():
    """Long strokes whose pen mode draws nothing (every stamp decided, no pixel
    call), each followed by a small visible marker stroke."""
    s = Script("40 long strokes with the largest brush and a pen mode that draws nothing, each followed "
               "by a visible marker: the stamp without its pixels", 600, 420)
    s.add("brush-size 4")
    for i in range(40):
        s.add("pen-mode 9")
        points = [(40 + (520 if j % 2 else 0), 20 + (j * 37 + i * 11) % 380) for j in range(21)]
        s.stroke(points)
        s.add("pen-mode blend")
        s.colour(i)
        x, y = 20 + (i % 20) * 28, 395 + (i // 20) * 12
        s.stroke([(x, y), (x + 8, y)])
    return s


def big_brush(mode):
    """The largest brush, every pixel of every stamp decided and written."""
    s = Script("40 strokes of 40 segments of 60 pixels with the largest brush in %s: the pixel write%s"
               % (mode, " and read" if mode == "darken" else ""), 600, 440)
    s.add("pen-mode " + mode)
    s.add("brush-size 4")
    s.add("density 30000")
    for i in range(40):
        points = []
        for j in range(41):
            x = 30 + (j % 10) * 60 if (j // 10) % 2 == 0 else 570 - (j % 10) * 60
            points.append((x, 20 + i * 10 + (j // 10) * 3))
        s.colour(i)
        s.stroke(points)
    return s


def fills():
    """Canvas fills: 120 fills of a 1000 x 700 canvas, each with a marker stroke."""
    s = Script("120 fills of a 1000 x 700 canvas, each followed by a marker stroke: the fill per pixel", 1000, 700)
    s.add("pen-mode blend")
    s.add("brush-size 2")
    for i in range(120):
        s.colour(i)
        s.add("fill")
        s.colour(i + 3)
        s.stroke([(10 + (i % 40) * 24, 10 + (i // 40) * 20), (20 + (i % 40) * 24, 10 + (i // 40) * 20)])
    return s


DRAWINGS = {
    "ticks": ticks,
    "segments": segments,
    "thin-lines": thin_lines,
    "hidden-pen": hidden_pen,
    "big-blend": lambda: big_brush("blend"),
    "big-darken": lambda: big_brush("darken"),
    "fills": fills,
}


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_drawings.py OUT_DIR")
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, make in DRAWINGS.items():
        with open(os.path.join(out, name + ".qcs"), "w") as f:
            f.write(make().text())


main()
