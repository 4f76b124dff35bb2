"""Glossy brush-stroke capitals. Each letter is a few strokes through hand-set
points; a round brush with rising and falling pressure is stamped along
them, the stamps build a rounded height field, and light from the upper left
gives the strokes their shine. Worked at SCALE times the final size and
averaged down for smooth edges."""

import math

SCALE = 3

# Strokes in a unit box, x to the right and y down.
LETTER_STROKES = {
    "C": [[(0.93, 0.20), (0.72, 0.04), (0.42, 0.03), (0.16, 0.20), (0.07, 0.50),
           (0.16, 0.80), (0.42, 0.97), (0.72, 0.96), (0.95, 0.80)]],
    "A": [[(0.06, 0.99), (0.28, 0.50), (0.52, 0.02)],
          [(0.50, 0.03), (0.74, 0.52), (0.95, 0.99)],
          [(0.20, 0.66), (0.52, 0.62), (0.84, 0.60)]],
    "S": [[(0.90, 0.14), (0.62, 0.02), (0.30, 0.05), (0.12, 0.25), (0.28, 0.44),
           (0.62, 0.55), (0.88, 0.72), (0.80, 0.92), (0.48, 0.99), (0.10, 0.86)]],
    "T": [[(0.00, 0.09), (0.50, 0.05), (1.00, 0.03)],
          [(0.52, 0.07), (0.50, 0.55), (0.47, 0.99)]],
}


def _catmull_rom(points, steps):
    """A smooth curve through the points, evenly sampled per segment."""
    pts = [points[0]] + list(points) + [points[-1]]
    out = []
    for i in range(1, len(pts) - 2):
        p0, p1, p2, p3 = pts[i - 1], pts[i], pts[i + 1], pts[i + 2]
        for s in range(steps):
            t = s / steps
            t2, t3 = t * t, t * t * t
            out.append(tuple(0.5 * (2 * p1[k] + (-p0[k] + p2[k]) * t
                                    + (2 * p0[k] - 5 * p1[k] + 4 * p2[k] - p3[k]) * t2
                                    + (-p0[k] + 3 * p1[k] - 3 * p2[k] + p3[k]) * t3)
                             for k in range(2)))
    out.append(points[-1])
    return out


def _resample(path, spacing):
    out = [path[0]]
    carry = 0.0
    for a, b in zip(path, path[1:]):
        seg = math.hypot(b[0] - a[0], b[1] - a[1])
        d = spacing - carry
        while d <= seg:
            t = d / seg
            out.append((a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t))
            d += spacing
        carry = (carry + seg) % spacing if seg else carry
    return out


def height_field(letter, box, slant, radius, width, height):
    """Rounded height (0..1) of one letter's strokes on a width x height grid
    (already scaled). box = (left, top, right, bottom) in grid pixels."""
    left, top, right, bottom = box
    field = [[0.0] * width for _ in range(height)]
    for stroke in LETTER_STROKES[letter]:
        placed = [(left + (x + (0.5 - y) * slant) * (right - left), top + y * (bottom - top))
                  for x, y in stroke]
        path = _resample(_catmull_rom(placed, 24), 1.0)
        count = len(path)
        for i, (cx, cy) in enumerate(path):
            t = i / max(1, count - 1)
            # Pressure: a quick press at the start, a long tapering lift.
            press = min(1.0, t / 0.12) ** 0.6 * (1.0 - 0.55 * t ** 2.5)
            r = radius * (0.35 + 0.65 * press)
            x0, x1 = max(0, int(cx - r)), min(width - 1, int(cx + r) + 1)
            y0, y1 = max(0, int(cy - r)), min(height - 1, int(cy + r) + 1)
            for py in range(y0, y1 + 1):
                dy = (py - cy) / r
                row = field[py]
                for px in range(x0, x1 + 1):
                    dx = (px - cx) / r
                    q = 1.0 - dx * dx - dy * dy
                    if q > 0:
                        h = math.sqrt(q)
                        if h > row[px]:
                            row[px] = h
    return field


def shade(field, colour, x, y):
    """The lit colour and coverage of one grid pixel of a letter."""
    h = field[y][x]
    if h <= 0:
        return None
    w, hgt = len(field[0]), len(field)
    gx = field[y][min(x + 1, w - 1)] - field[y][max(x - 1, 0)]
    gy = field[min(y + 1, hgt - 1)][x] - field[max(y - 1, 0)][x]
    # Surface normal from the slope; light from the upper left, towards the viewer.
    nx, ny, nz = -gx * 2.2, -gy * 2.2, 1.0
    norm = math.sqrt(nx * nx + ny * ny + nz * nz)
    nx, ny, nz = nx / norm, ny / norm, nz / norm
    lx, ly, lz = -0.45, -0.6, 0.66
    diffuse = max(0.0, nx * lx + ny * ly + nz * lz)
    # Blinn highlight with the viewer straight ahead.
    hx, hy, hz = lx, ly, lz + 1.0
    hn = math.sqrt(hx * hx + hy * hy + hz * hz)
    specular = max(0.0, (nx * hx + ny * hy + nz * hz) / hn) ** 28
    base = 0.42 + 0.8 * diffuse
    if h < 0.22:
        base *= 0.7  # a darker rim where the stroke turns away
    # Highlights stop short of pure white, which the block letters own.
    out = tuple(min(244.0, c * base + 250 * specular * 0.95) for c in colour)
    return out
