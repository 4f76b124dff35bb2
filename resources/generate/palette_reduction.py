"""Reduces an RGB picture to a palette of exactly the wanted number of
colours, all of them used: a median cut first, then, while colours are
missing, the worst-matched pixel's own colour is added and pixels move to
it where it serves them better."""

from PIL import Image


def _distance(a, b):
    return (a[0] - b[0]) ** 2 + (a[1] - b[1]) ** 2 + (a[2] - b[2]) ** 2


def reduce_palette(rows, colours, pinned=()):
    """rows: RGB tuples (0..255 ints), top-down. Returns (palette, indices).
    Each pinned colour that the picture holds exactly keeps its exact value."""
    height, width = len(rows), len(rows[0])
    image = Image.new("RGB", (width, height))
    image.putdata([p for row in rows for p in row])
    reduced = image.quantize(colors=colours - len(pinned), method=Image.Quantize.MEDIANCUT,
                             dither=Image.Dither.NONE)
    flat_palette = reduced.getpalette()
    palette = [tuple(flat_palette[3 * i: 3 * i + 3]) for i in range(colours - len(pinned))]
    pixels = list(reduced.getdata())
    source = [p for row in rows for p in row]

    # Each pinned colour gets an entry of its own that holds exactly its
    # pixels: a near colour never turns into it.
    for colour in pinned:
        if colour not in palette:
            palette.append(colour)
    free = [e for e, c in enumerate(palette) if c not in pinned]
    for i, p in enumerate(source):
        if p in pinned:
            pixels[i] = palette.index(p)
        elif palette[pixels[i]] in pinned:
            pixels[i] = min(free, key=lambda e: (_distance(p, palette[e]), e))

    # Drop unused and duplicate entries, then grow back to the count.
    used = []
    remap = {}
    for index in sorted(set(pixels)):
        colour = palette[index]
        if colour not in used:
            used.append(colour)
        remap[index] = used.index(colour)
    palette = used
    pixels = [remap[i] for i in pixels]
    while len(set(pixels)) < colours:
        worst = max(range(len(source)), key=lambda i: (_distance(source[i], palette[pixels[i]]), -i))
        colour = source[worst]
        if colour in palette:
            raise RuntimeError("cannot reach the colour count")
        palette.append(colour)
        new = len(palette) - 1
        for i, p in enumerate(source):
            if _distance(p, colour) < _distance(p, palette[pixels[i]]):
                pixels[i] = new
        # An entry that lost all its pixels goes, so the palette stays all used.
        alive = sorted(set(pixels))
        if len(alive) < len(palette):
            keep = {old: n for n, old in enumerate(alive)}
            palette = [palette[i] for i in alive]
            pixels = [keep[i] for i in pixels]
    indices = [pixels[y * width:(y + 1) * width] for y in range(height)]
    return palette, indices
