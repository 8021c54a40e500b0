"""Writers for Windows bitmaps (8 bits with a colour table, or 24 bits) and icons, and a
median-cut reduction of a picture to at most 256 colours."""

import struct

# LR_LOADMAP3DCOLORS replaces these greys of a colour table with the system's 3-D colours; the
# artwork keeps its own colours by never using them exactly.
MAPPED_GREYS = {(128, 128, 128), (192, 192, 192), (223, 223, 223)}
MAGENTA = (255, 0, 255)


def _row_bytes(bits, width):
    return ((bits * width + 31) // 32) * 4


def _info_header(width, height, bits, colours, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size, 2835, 2835,
                       colours, 0)


def _nudge(colour):
    """A colour next to `colour` that the loader leaves alone and that is not the shape key."""
    r, g, b = colour
    if (r, g, b) in MAPPED_GREYS:
        b = b + 1 if b < 255 else b - 1
    if (r, g, b) == MAGENTA:
        g = 1
    return (r, g, b)


def quantise(rows, limit=256):
    """Returns (palette, index rows) for RGB rows, with at most `limit` colours."""
    counts = {}
    for row in rows:
        for p in row:
            counts[p] = counts.get(p, 0) + 1
    colours = list(counts)
    if len(colours) <= limit:
        palette = [_nudge(c) for c in colours]
        lookup = {c: i for i, c in enumerate(colours)}
    else:
        boxes = [colours]
        while len(boxes) < limit:
            # Split the box with the widest channel range, weighted by its pixel count.
            def score(box):
                spans = [max(c[k] for c in box) - min(c[k] for c in box) for k in range(3)]
                return max(spans) * sum(counts[c] for c in box) if len(box) > 1 else -1

            index = max(range(len(boxes)), key=lambda i: score(boxes[i]))
            box = boxes[index]
            if len(box) < 2:
                break
            spans = [max(c[k] for c in box) - min(c[k] for c in box) for k in range(3)]
            channel = spans.index(max(spans))
            box.sort(key=lambda c: c[channel])
            total = sum(counts[c] for c in box)
            # Cut where half the pixels lie on each side; both halves keep at least one colour.
            running, cut = 0, len(box) - 1
            for i, c in enumerate(box[:-1]):
                running += counts[c]
                if running * 2 >= total:
                    cut = i + 1
                    break
            boxes[index:index + 1] = [box[:cut], box[cut:]]
        palette = []
        lookup = {}
        for box in boxes:
            weight = sum(counts[c] for c in box)
            mean = tuple(round(sum(c[k] * counts[c] for c in box) / weight) for k in range(3))
            for c in box:
                lookup[c] = len(palette)
            palette.append(_nudge(mean))
    return palette, [[lookup[p] for p in row] for row in rows]


def bmp8(rows):
    """An 8-bit bitmap file with its own colour table."""
    palette, indices = quantise(rows)
    height, width = len(rows), len(rows[0])
    stride = _row_bytes(8, width)
    pixels = b"".join(bytes(row) + b"\0" * (stride - width) for row in reversed(indices))
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    offset = 14 + 40 + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + _info_header(width, height, 8, len(palette), len(pixels)) + table + pixels


def bmp24(rows):
    """A 24-bit bitmap file."""
    height, width = len(rows), len(rows[0])
    stride = _row_bytes(24, width)
    data = []
    for row in reversed(rows):
        line = b"".join(struct.pack("<BBB", *_nudge(p)[::-1]) for p in row)
        data.append(line + b"\0" * (stride - len(line)))
    pixels = b"".join(data)
    offset = 14 + 40
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + _info_header(width, height, 24, 0, len(pixels)) + pixels


def ico(images):
    """An icon file from [(rgb rows, mask rows)] where a mask of 1 is transparent. Each image is
    stored with 8 bits and a colour table, which every Windows shows."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for rows, mask in images:
        size = len(rows)
        palette, indices = quantise(rows)
        palette += [(0, 0, 0)] * (256 - len(palette))
        table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
        xor = b"".join(bytes(row) + b"\0" * (_row_bytes(8, size) - size)
                       for row in reversed(indices))
        and_stride = _row_bytes(1, size)
        and_rows = []
        for row in reversed(mask):
            bits = bytearray(and_stride)
            for x, transparent in enumerate(row):
                if transparent:
                    bits[x // 8] |= 0x80 >> (x % 8)
            and_rows.append(bytes(bits))
        blob = (_info_header(size, size * 2, 8, 256, len(xor) + and_stride * size) + table + xor +
                b"".join(and_rows))
        entries.append(struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs)
