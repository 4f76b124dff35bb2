"""The textured parchment ground shared by both splash pictures. Much of it
is exactly PARCHMENT, so that colour stays the most frequent one after the
picture is reduced to its palette."""

import random

from noise import value_noise_2d

PARCHMENT = (222, 189, 115)
_LIGHT = (240, 212, 146)
_DARK = (192, 156, 88)


def _mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def parchment(seed, width, height):
    """RGB rows (floats) of mottled, fibrous parchment."""
    broad = value_noise_2d(seed, width, height, 23)
    fine = value_noise_2d(seed + 1, width, height, 6)
    rng = random.Random(seed + 2)
    # Fibres: faint streaks running mostly along the sheet.
    fibre = [[0.0] * width for _ in range(height)]
    for _ in range(width * height // 90):
        x, y = rng.random() * width, rng.random() * height
        length = 4 + rng.random() * 14
        slope = (rng.random() - 0.5) * 0.35
        shade = (rng.random() - 0.45) * 0.9
        for i in range(int(length)):
            px, py = int(x + i), int(y + i * slope)
            if 0 <= px < width and 0 <= py < height:
                fibre[py][px] += shade
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            t = (broad[y][x] - 0.5) * 1.6 + (fine[y][x] - 0.5) * 0.8 + fibre[y][x]
            if rng.random() < 0.04:
                t += (rng.random() - 0.5) * 1.2  # specks
            if abs(t) < 0.16:
                row.append(PARCHMENT)
            elif t > 0:
                row.append(_mix(PARCHMENT, _LIGHT, min(1.0, t - 0.16)))
            else:
                row.append(_mix(PARCHMENT, _DARK, min(1.0, -t - 0.16)))
        rows.append(row)
    return rows
