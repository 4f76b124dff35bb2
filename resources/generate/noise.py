"""Seeded noise for the pictures. Only random.Random.random() is used, whose
sequence Python keeps stable, so every run draws the same pixels."""

import math
import random


def periodic_noise(seed, length, lowest=1, highest=60, roughness=0.8):
    """Smooth noise along a loop of the given length: a sum of waves that each
    fit the loop a whole number of times, so the last sample flows into the
    first. Irregular, since the phases and weights are random. About -1..1."""
    rng = random.Random(seed)
    waves = []
    for k in range(lowest, highest + 1):
        weight = (0.5 + rng.random()) / k ** roughness
        waves.append((k, weight, rng.random() * 2 * math.pi))
    total = sum(w for _, w, _ in waves)
    values = []
    for x in range(length):
        s = sum(w * math.sin(2 * math.pi * k * x / length + phase) for k, w, phase in waves)
        values.append(s / total * 2.2)
    return values


def value_noise_2d(seed, width, height, cell):
    """Smooth 2-D noise (bilinear value noise on a cell grid), about 0..1."""
    rng = random.Random(seed)
    gw = width // cell + 2
    gh = height // cell + 2
    grid = [[rng.random() for _ in range(gw)] for _ in range(gh)]
    out = []
    for y in range(height):
        gy, fy = divmod(y / cell, 1)
        gy = int(gy)
        sy = fy * fy * (3 - 2 * fy)
        row = []
        for x in range(width):
            gx, fx = divmod(x / cell, 1)
            gx = int(gx)
            sx = fx * fx * (3 - 2 * fx)
            top = grid[gy][gx] * (1 - sx) + grid[gy][gx + 1] * sx
            bottom = grid[gy + 1][gx] * (1 - sx) + grid[gy + 1][gx + 1] * sx
            row.append(top * (1 - sy) + bottom * sy)
        out.append(row)
    return out
