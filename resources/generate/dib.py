"""Windows bitmap and icon files: the writers the generator uses and the
readers the preview uses. Only what the player's pictures need: 4- and
8-bit palette pictures, BI_RGB, bottom-up rows, 40-byte info headers."""

import struct


def _row_bytes(width, bits):
    return ((width * bits + 31) // 32) * 4


def _pack_rows(pixels, width, bits):
    """Palette indices, rows top-down, as bottom-up DIB rows."""
    stride = _row_bytes(width, bits)
    out = bytearray()
    for row in reversed(pixels):
        packed = bytearray(stride)
        for x, index in enumerate(row):
            if bits == 8:
                packed[x] = index
            elif bits == 4:
                packed[x // 2] |= index << (4 if x % 2 == 0 else 0)
            elif bits == 1:
                packed[x // 8] |= index << (7 - x % 8)
        out += packed
    return bytes(out)


def _colour_table(palette, entries):
    table = bytearray()
    for i in range(entries):
        r, g, b = palette[i] if i < len(palette) else (0, 0, 0)
        table += bytes((b, g, r, 0))
    return bytes(table)


def dib_bytes(pixels, palette, bits, declared_colours, height_factor=1):
    """A packed DIB: info header, colour table, pixels (no file header)."""
    height = len(pixels)
    width = len(pixels[0])
    image = _pack_rows(pixels, width, bits)
    header = struct.pack("<IiiHHIIiiII", 40, width, height * height_factor, 1, bits, 0,
                         len(image), 0, 0, declared_colours, declared_colours)
    return header + _colour_table(palette, 1 << bits) + image


def write_bmp(path, pixels, palette, bits):
    """A bitmap file. 8-bit pictures declare all 256 colours used and
    important; 4-bit pieces declare 0, which means the full 16."""
    declared = 256 if bits == 8 else 0
    dib = dib_bytes(pixels, palette, bits, declared)
    table_size = 4 << bits
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(dib), 0, 0, 14 + 40 + table_size)
    with open(path, "wb") as f:
        f.write(file_header + dib)


def write_icon(path, images, palette):
    """An icon file of 4-bit images, each fully opaque (empty AND mask)."""
    count = len(images)
    blobs = []
    for pixels in images:
        size = len(pixels)
        xor = dib_bytes(pixels, palette, 4, 0, height_factor=2)
        mask = _pack_rows([[0] * size for _ in range(size)], size, 1)
        # The icon's header counts the image bytes of both masks.
        header = bytearray(xor[:40])
        struct.pack_into("<I", header, 20, len(xor) - 40 - 64 + len(mask))
        blobs.append(bytes(header) + xor[40:] + mask)
    out = bytearray(struct.pack("<HHH", 0, 1, count))
    offset = 6 + 16 * count
    for pixels, blob in zip(images, blobs):
        size = len(pixels)
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    with open(path, "wb") as f:
        f.write(out)


def _read_dib(data, height_override=None):
    (size, width, height, planes, bits, compression, _, _, _, used, _) = struct.unpack_from(
        "<IiiHHIIiiII", data, 0)
    if height_override is not None:
        height = height_override
    entries = used if used else 1 << bits
    palette = []
    for i in range(entries):
        b, g, r, _ = data[size + 4 * i: size + 4 * i + 4]
        palette.append((r, g, b))
    stride = _row_bytes(width, bits)
    start = size + 4 * entries
    rows = []
    for y in range(height):
        raw = data[start + (height - 1 - y) * stride: start + (height - y) * stride]
        row = []
        for x in range(width):
            if bits == 8:
                row.append(raw[x])
            else:
                byte = raw[x // 2]
                row.append(byte >> 4 if x % 2 == 0 else byte & 15)
        rows.append(row)
    return [[palette[i] for i in row] for row in rows]


def read_bmp(path):
    """RGB rows, top-down, of a 4- or 8-bit bitmap file."""
    with open(path, "rb") as f:
        data = f.read()
    return _read_dib(data[14:])


def read_icon(path):
    """RGB rows of each image in an icon file, largest first as stored."""
    with open(path, "rb") as f:
        data = f.read()
    _, _, count = struct.unpack_from("<HHH", data, 0)
    images = []
    for i in range(count):
        w, _, _, _, _, _, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        images.append(_read_dib(data[offset: offset + length], height_override=w or 256))
    return images
