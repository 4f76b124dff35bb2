"""The two splash pictures, each on the parchment ground and reduced to
exactly the number of colours it is meant to use."""

from PIL import Image, ImageDraw, ImageFilter, ImageFont

import brush_letters
from palette_reduction import reduce_palette
from parchment import PARCHMENT, parchment

FONT_DIR = "/usr/share/fonts/truetype/dejavu/"

OPENING_SIZE = (263, 88)
OPENING_COLOURS = 215
CLOSING_SIZE = (236, 86)
CLOSING_COLOURS = 77

PUBLISHER_ADDRESS = "www.quillcast.example"

WHITE = (255, 255, 255)
SHADOW_GREY = (64, 64, 64)
BLUE_VIOLET = (92, 64, 214)
MAGENTA = (214, 36, 168)
DARK_TEAL = (0, 104, 112)


def _over(dst, src, alpha):
    return tuple(d + (s - d) * alpha for d, s in zip(dst, src))


def _text_mask(size, text, font_file, font_size, origin):
    mask = Image.new("L", size, 0)
    font = ImageFont.truetype(FONT_DIR + font_file, font_size)
    ImageDraw.Draw(mask).text(origin, text, fill=255, font=font)
    return mask


def _rounded(rows):
    return [[tuple(int(round(c)) for c in p) for p in row] for row in rows]


def _quill_block_letters(ground):
    """'Quill' in white block letters with a dark grey drop shadow, centred in
    the left half at mid-height."""
    width, height = OPENING_SIZE
    font_file, font_size = "DejaVuSans-Bold.ttf", 34
    probe = _text_mask((width * 2, height * 2), "Quill", font_file, font_size, (0, 0))
    left, top, right, bottom = probe.getbbox()
    origin = ((width // 2 - (right - left)) // 2 - left + 2, (height - (bottom - top)) // 2 - top - 1)
    letters = _text_mask(OPENING_SIZE, "Quill", font_file, font_size, origin)
    shadow = _text_mask(OPENING_SIZE, "Quill", font_file, font_size, (origin[0] + 3, origin[1] + 3))
    soft = shadow.filter(ImageFilter.GaussianBlur(0.6))
    for y in range(height):
        for x in range(width):
            s = max(shadow.getpixel((x, y)), soft.getpixel((x, y))) / 255
            if s:
                ground[y][x] = _over(ground[y][x], SHADOW_GREY, s)
            a = letters.getpixel((x, y)) / 255
            if a:
                ground[y][x] = _over(ground[y][x], WHITE, a)


def _cast_brush_capitals(ground):
    """'CAST' in glossy brush capitals filling the right half."""
    width, height = OPENING_SIZE
    scale = brush_letters.SCALE
    left = 134
    gw, gh = (width - left) * scale, height * scale
    letters = [("C", BLUE_VIOLET, 0, 33), ("A", MAGENTA, 29, 63),
               ("S", DARK_TEAL, 62, 92), ("T", BLUE_VIOLET, 91, 126)]
    layers = []
    for letter, colour, x0, x1 in letters:
        box = (x0 * scale, 3 * scale, x1 * scale, 85 * scale)
        field = brush_letters.height_field(letter, box, 0.16, 5.6 * scale, gw, gh)
        layers.append((field, colour))

    # A soft shadow of all four letters falls on the parchment first.
    cover = Image.new("L", (width, height), 0)
    for y in range(height):
        for x in range(left, width):
            inside = 0
            for field, _ in layers:
                for sy in range(scale):
                    for sx in range(scale):
                        if field[y * scale + sy][(x - left) * scale + sx] > 0:
                            inside += 1
            cover.putpixel((x, y), min(255, inside * 255 // (scale * scale)))
    shadow = Image.new("L", (width, height), 0)
    shadow.paste(cover, (2, 2))
    shadow = shadow.filter(ImageFilter.GaussianBlur(1.2))
    for y in range(height):
        for x in range(left - 4, width):
            s = shadow.getpixel((x, y)) / 255 * 0.45
            if s:
                ground[y][x] = _over(ground[y][x], (60, 40, 20), s)

    for field, colour in layers:
        for y in range(height):
            for x in range(left, width):
                total = [0.0, 0.0, 0.0]
                hits = 0
                for sy in range(scale):
                    for sx in range(scale):
                        lit = brush_letters.shade(field, colour, (x - left) * scale + sx, y * scale + sy)
                        if lit:
                            hits += 1
                            for k in range(3):
                                total[k] += lit[k]
                if hits:
                    mean = tuple(t / hits for t in total)
                    ground[y][x] = _over(ground[y][x], mean, hits / (scale * scale))


def opening_splash():
    """263 x 88: 'Quill' in white block letters, 'CAST' in brush capitals."""
    width, height = OPENING_SIZE
    ground = parchment(1210, width, height)
    _quill_block_letters(ground)
    _cast_brush_capitals(ground)
    return reduce_palette(_rounded(ground), OPENING_COLOURS, pinned=(PARCHMENT, WHITE, SHADOW_GREY))


# Each line: text, font, top and bottom ink rows.
CLOSING_LINES = (
    ("Visit", "DejaVuSans.ttf", 8, 22),
    (PUBLISHER_ADDRESS, "DejaVuSans-Bold.ttf", 31, 47),
    ("and download more pictures", "DejaVuSans.ttf", 58, 72),
)

# A pixel counts as ink from this much cover on; lighter edge pixels outside
# a line's rows are dropped, so every line keeps to its rows exactly.
INK_COVER = 160


def _ink_rows(mask):
    rows = [y for y in range(mask.height)
            if any(mask.getpixel((x, y)) >= INK_COVER for x in range(mask.width))]
    return rows[0], rows[-1]


def _line_mask(text, font_file, top, bottom):
    width, height = CLOSING_SIZE
    wanted = bottom - top + 1
    for font_size in range(8, 40):
        probe = _text_mask((width * 2, height), text, font_file, font_size, (4, 10))
        first, last = _ink_rows(probe)
        if last - first + 1 == wanted:
            break
    else:
        raise RuntimeError("no font size fits " + text)
    left, _, right, _ = probe.getbbox()
    if right - left > width - 4:
        raise RuntimeError("too wide: " + text)
    origin = (4 + (width - (right - left)) // 2 - left, 10 + top - first)
    mask = _text_mask(CLOSING_SIZE, text, font_file, font_size, origin)
    for y in range(height):
        if not top <= y <= bottom:
            for x in range(width):
                mask.putpixel((x, y), 0)
    return mask


def closing_splash():
    """236 x 86: three centred lines of black text."""
    width, height = CLOSING_SIZE
    ground = parchment(1360, width, height)
    for text, font_file, top, bottom in CLOSING_LINES:
        mask = _line_mask(text, font_file, top, bottom)
        for y in range(top, bottom + 1):
            for x in range(width):
                a = mask.getpixel((x, y)) / 255
                if a:
                    ground[y][x] = _over(ground[y][x], (0, 0, 0), a)
    return reduce_palette(_rounded(ground), CLOSING_COLOURS, pinned=(PARCHMENT, (0, 0, 0)))
