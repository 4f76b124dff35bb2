"""The window class icon, drawn pixel by pixel at 32 x 32 and 16 x 16 in the
standard 16-colour palette: a sheet with a picture of coloured blocks
standing out of a grey envelope, with a black shadow to the right and below."""

VGA_PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, LIGHT_GREY, GREY = 0, 7, 8
RED, GREEN, YELLOW, BLUE, CYAN, WHITE = 9, 10, 11, 12, 14, 15


class _Grid:
    def __init__(self, size):
        self.size = size
        self.px = [[WHITE] * size for _ in range(size)]

    def fill(self, x0, y0, x1, y1, colour):
        for y in range(max(0, y0), min(self.size - 1, y1) + 1):
            for x in range(max(0, x0), min(self.size - 1, x1) + 1):
                self.px[y][x] = colour

    def frame(self, x0, y0, x1, y1, colour):
        self.fill(x0, y0, x1, y0, colour)
        self.fill(x0, y1, x1, y1, colour)
        self.fill(x0, y0, x0, y1, colour)
        self.fill(x1, y0, x1, y1, colour)

    def line(self, x0, y0, x1, y1, colour):
        steps = max(abs(x1 - x0), abs(y1 - y0))
        for i in range(steps + 1):
            x = x0 + round((x1 - x0) * i / steps)
            y = y0 + round((y1 - y0) * i / steps)
            self.px[y][x] = colour


def _draw(size, sheet, blocks, envelope, flap_tip, shadow):
    g = _Grid(size)
    sx0, sy0, sx1, sy1 = sheet
    ex0, ey0, ex1, ey1 = envelope
    # The shadow of sheet and envelope together, laid down first.
    g.fill(sx0 + shadow, sy0 + shadow, sx1 + shadow, ey0 + shadow, BLACK)
    g.fill(ex0 + shadow, ey0 + shadow, ex1 + shadow, ey1 + shadow, BLACK)
    # The sheet and its picture.
    g.fill(sx0, sy0, sx1, sy1, WHITE)
    g.frame(sx0, sy0, sx1, sy1, BLACK)
    for x0, y0, x1, y1, colour in blocks:
        g.fill(x0, y0, x1, y1, colour)
    # The envelope's front, over the lower part of the sheet.
    g.fill(ex0, ey0, ex1, ey1, LIGHT_GREY)
    g.frame(ex0, ey0, ex1, ey1, GREY)
    tx, ty = flap_tip
    g.line(ex0, ey1, tx, ty, GREY)
    g.line(ex1, ey1, tx + (1 if (ex1 - ex0) % 2 else 0), ty, GREY)
    return g.px


def icon_32():
    blocks = [
        (10, 4, 13, 7, GREEN), (15, 4, 17, 7, BLUE), (19, 4, 21, 7, RED),
        (10, 9, 14, 13, CYAN), (16, 9, 21, 13, YELLOW),
    ]
    return _draw(32, (8, 1, 23, 20), blocks, (3, 15, 28, 28), (15, 21), 2)


def icon_16():
    blocks = [
        (5, 2, 6, 3, GREEN), (7, 2, 8, 3, BLUE), (9, 2, 10, 3, RED),
        (5, 5, 7, 6, CYAN), (8, 5, 10, 6, YELLOW),
    ]
    return _draw(16, (4, 0, 11, 9), blocks, (1, 8, 13, 14), (7, 10), 1)
