"""The gilded frame pieces: two 500-pixel edges and one 10 x 10 corner
design that the generator mirrors into all four corners. Each piece is a
4-bit picture whose 16 colours are a fixed ramp of yellows (red = green,
blue 0); the design is worked out as brightness levels and then mapped to
the nearest level of the piece's ramp."""

import random

from noise import periodic_noise

CORNER_RAMP = (0, 16, 24, 33, 41, 53, 66, 78, 90, 107, 127, 140, 156, 200, 239, 255)
HORIZONTAL_RAMP = (0, 16, 28, 41, 53, 66, 74, 82, 90, 107, 131, 160, 189, 222, 247, 255)
VERTICAL_RAMP = (0, 33, 41, 49, 57, 70, 82, 90, 103, 115, 135, 160, 181, 214, 243, 255)

EDGE_LENGTH = 500
BAR_WIDTH = 7
CORNER_SIZE = 10


def ramp_palette(ramp):
    return [(v, v, 0) for v in ramp]


def nearest(ramp, level):
    return min(range(len(ramp)), key=lambda i: (abs(ramp[i] - level), i))


def _bar_levels(seed):
    """Brightness across the bar (index 0 = outer olive side, 6 = the black
    line) for every position along it. All noise is periodic over the
    length, so a piece laid after itself shows no seam."""
    n = EDGE_LENGTH
    band = periodic_noise(seed, n, 3, 40, 0.6)        # where the highlight is three wide
    glow = periodic_noise(seed + 1, n, 4, 90, 0.5)    # brightness of the highlight
    olive = periodic_noise(seed + 2, n, 2, 120, 0.4)  # mottling of the olive ground
    dark = periodic_noise(seed + 3, n, 5, 120, 0.3)
    rng = random.Random(seed + 4)
    grain = [[rng.random() - 0.5 for _ in range(n)] for _ in range(BAR_WIDTH)]

    # Engraver's nicks: short slanted dents through the highlight, placed at
    # irregular steps round the whole loop.
    nicks = [0.0] * n * BAR_WIDTH
    x = rng.random() * 9
    while x < n:
        depth = 35 + rng.random() * 45
        for row in (1, 2, 3):
            at = (int(x) + (3 - row)) % n
            nicks[row * n + at] += depth
        x += 5 + rng.random() * 14

    levels = [[0.0] * n for _ in range(BAR_WIDTH)]
    wide_at = [b > 0.15 for b in band]
    for x in range(n):
        wide = wide_at[x]
        g = glow[x]
        levels[0][x] = 112 + 16 * olive[x] + 14 * grain[0][x]
        levels[1][x] = 214 + 22 * g + 20 * grain[1][x]
        levels[2][x] = 246 + 10 * g + 10 * grain[2][x]
        if wide:
            levels[3][x] = 205 + 25 * g + 20 * grain[3][x]
        else:
            levels[3][x] = 120 + 14 * olive[x] + 14 * grain[3][x]
        levels[4][x] = 100 + 14 * olive[(x + 37) % n] + 14 * grain[4][x]
        levels[5][x] = 44 + 12 * dark[x] + 10 * grain[5][x]
        levels[6][x] = 0
        for row in (1, 2, 3):
            levels[row][x] -= nicks[row * n + x]
    return levels, wide_at


def _bar_indices(seed, ramp):
    levels, wide_at = _bar_levels(seed)
    indices = [[nearest(ramp, v) for v in row] for row in levels]
    # Keep the layers honest whatever the noise did: the black line is only
    # black, the highlight stays bright and the olive stays olive.
    olive_lo, olive_hi = nearest(ramp, 90), nearest(ramp, 135)
    for x in range(EDGE_LENGTH):
        indices[6][x] = 0
        indices[5][x] = min(max(indices[5][x], 1), olive_lo - 2)
        for row in (0, 4):
            indices[row][x] = min(max(indices[row][x], olive_lo), olive_hi)
        highlight_rows = (1, 2, 3) if wide_at[x] else (1, 2)
        for row in (1, 2, 3):
            if row in highlight_rows:
                indices[row][x] = max(indices[row][x], olive_hi + 1)
            else:
                indices[row][x] = min(max(indices[row][x], olive_lo), olive_hi)
    return indices


def horizontal_edge():
    """500 x 7, the black line along the bottom row."""
    return _bar_indices(1320, HORIZONTAL_RAMP)


def vertical_edge():
    """7 x 500, the black line down the right-hand column."""
    across = _bar_indices(1330, VERTICAL_RAMP)
    return [[across[c][y] for c in range(BAR_WIDTH)] for y in range(EDGE_LENGTH)]


def top_left_corner():
    """The one corner design: a black outer rim, a highlight that bends round
    the corner on olive, the dark row and black line of the edges, and black
    in the inner corner that the canvas partly covers."""
    # Brightness by depth from the outer rim.
    by_depth = (0, 127, 239, 255, 127, 41)
    # The bend itself is softened, so the highlight curves round the corner.
    bend = {(2, 2): 156, (3, 3): 239, (3, 2): 255, (2, 3): 255, (4, 4): 140}
    rows = []
    for y in range(CORNER_SIZE):
        row = []
        for x in range(CORNER_SIZE):
            depth = min(x, y)
            if (x, y) in bend:
                level = bend[(x, y)]
            elif depth >= 6:
                level = 0
            else:
                level = by_depth[depth]
            row.append(nearest(CORNER_RAMP, level))
        rows.append(row)
    return rows


def mirrored(rows, left_right, top_bottom):
    out = [list(reversed(r)) if left_right else list(r) for r in rows]
    return list(reversed(out)) if top_bottom else out
