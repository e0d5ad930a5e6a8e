#!/usr/bin/env python3
"""Draws the Dravix icon and writes every image made from it.

The icon is three white number balls on a red tile, the middle one showing the draw's digits
from 48 px up. It is drawn here from geometry alone (Python's standard library, no image tools),
so the same run always writes the same files:

  resources/icons/dravix-<N>.png   N = 16, 32, 48, 64, 128, 256 (RGBA), for the desktop's icon theme
  resources/dravix.ico             48, 32 and 16 px, each at 4, 8 and 32 bits per pixel,
                                   uncompressed bitmaps with their AND masks, for Windows

Run it from anywhere: scripts/make_icons.py
"""
import os
import struct
import zlib
from collections import Counter

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PNG_SIZES = (16, 32, 48, 64, 128, 256)
ICO_SIZES = (48, 32, 16)
ICO_DEPTHS = (4, 8, 32)
SUPERSAMPLING = 4

RED = (255, 0, 0)  # the prompt's red
DARK_RED = (168, 0, 0)
WHITE = (255, 255, 255)
DIGIT_RED = (200, 0, 0)

BALL_CENTRES = (0.2, 0.5, 0.8)
BALL_RADIUS = 0.125
BALL_DIGITS = "123"

# Seven-segment digits: which of the segments a..g each digit lights.
SEGMENTS = {"1": "bc", "2": "abged", "3": "abgcd"}


def in_rounded_rect(u, v, left, top, right, bottom, radius):
    if not (left <= u <= right and top <= v <= bottom):
        return False
    cx = min(max(u, left + radius), right - radius)
    cy = min(max(v, top + radius), bottom - radius)
    return (u - cx) ** 2 + (v - cy) ** 2 <= radius ** 2


def segment_boxes(digit, cx, cy, height):
    """The rectangles (left, top, right, bottom) of a seven-segment digit centred on cx, cy."""
    width = height * 0.55
    stroke = height * 0.18
    left, right = cx - width / 2, cx + width / 2
    top, bottom, middle = cy - height / 2, cy + height / 2, cy
    boxes = {
        "a": (left, top, right, top + stroke),
        "g": (left, middle - stroke / 2, right, middle + stroke / 2),
        "d": (left, bottom - stroke, right, bottom),
        "f": (left, top, left + stroke, middle),
        "b": (right - stroke, top, right, middle),
        "e": (left, middle, left + stroke, bottom),
        "c": (right - stroke, middle, right, bottom),
    }
    return [boxes[s] for s in SEGMENTS[digit]]


def colour_at(u, v, size):
    """The colour (r, g, b, a) of the icon at the point u, v of the unit square, at a size in px."""
    margin = 0.03
    if not in_rounded_rect(u, v, margin, margin, 1 - margin, 1 - margin, 0.2):
        return (0, 0, 0, 0)
    border = max(1.0 / size, 0.035)
    inner = margin + border
    if not in_rounded_rect(u, v, inner, inner, 1 - inner, 1 - inner, 0.2 - border):
        return DARK_RED + (255,)
    for index, cx in enumerate(BALL_CENTRES):
        if (u - cx) ** 2 + (v - 0.5) ** 2 <= BALL_RADIUS ** 2:
            if size >= 48:
                for box in segment_boxes(BALL_DIGITS[index], cx, 0.5, BALL_RADIUS * 1.2):
                    if box[0] <= u <= box[2] and box[1] <= v <= box[3]:
                        return DIGIT_RED + (255,)
            return WHITE + (255,)
    return RED + (255,)


def render(size):
    """The icon at size x size px as rows of (r, g, b, a), anti-aliased by supersampling."""
    rows = []
    samples = SUPERSAMPLING * SUPERSAMPLING
    for y in range(size):
        row = []
        for x in range(size):
            r = g = b = a = 0
            for sy in range(SUPERSAMPLING):
                for sx in range(SUPERSAMPLING):
                    u = (x + (sx + 0.5) / SUPERSAMPLING) / size
                    v = (y + (sy + 0.5) / SUPERSAMPLING) / size
                    cr, cg, cb, ca = colour_at(u, v, size)
                    r, g, b, a = r + cr * ca, g + cg * ca, b + cb * ca, a + ca
            if a == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(r / a), round(g / a), round(b / a), round(a / samples)))
        rows.append(row)
    return rows


def png(rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    size = len(rows)
    raw = b"".join(b"\0" + bytes(channel for pixel in row for channel in pixel) for row in rows)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def palette_for(rows, colours):
    """Black (for the masked-out pixels) and the most frequent opaque colours, colours in all."""
    counts = Counter(pixel[:3] for row in rows for pixel in row if pixel[3] >= 128)
    palette = [(0, 0, 0)] + [colour for colour, _ in counts.most_common(colours - 1)]
    return palette + [(0, 0, 0)] * (colours - len(palette))


def nearest(palette, colour):
    return min(range(len(palette)),
               key=lambda i: sum((p - c) ** 2 for p, c in zip(palette[i], colour)))


def pack_bits(values, bits):
    """Packs a row of small values into bytes, most significant first, padded to 4 bytes."""
    data = bytearray()
    accumulator, filled = 0, 0
    for value in values:
        accumulator = (accumulator << bits) | value
        filled += bits
        if filled == 8:
            data.append(accumulator)
            accumulator, filled = 0, 0
    if filled:
        data.append(accumulator << (8 - filled))
    while len(data) % 4:
        data.append(0)
    return bytes(data)


def ico_image(rows, depth):
    """One icon image: BITMAPINFOHEADER, palette, colour bitmap and AND mask, rows bottom-up."""
    size = len(rows)
    bottom_up = list(reversed(rows))
    transparent = [[1 if pixel[3] < 128 else 0 for pixel in row] for row in bottom_up]
    if depth == 32:
        palette_bytes = b""
        transparent = [[1 if pixel[3] == 0 else 0 for pixel in row] for row in bottom_up]
        colour_rows = [bytes(c for r, g, b, a in row for c in (b, g, r, a)) for row in bottom_up]
    else:
        palette = palette_for(rows, 1 << depth)
        palette_bytes = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
        lookup = {}
        colour_rows = []
        for row, masked in zip(bottom_up, transparent):
            indices = []
            for pixel, hidden in zip(row, masked):
                if hidden:
                    indices.append(0)
                else:
                    indices.append(lookup.setdefault(pixel[:3], nearest(palette, pixel[:3])))
            colour_rows.append(pack_bits(indices, depth))
    colour = b"".join(colour_rows)
    mask = b"".join(pack_bits(row, 1) for row in transparent)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, depth, 0, len(colour) + len(mask),
                         0, 0, 0, 0)
    return header + palette_bytes + colour + mask


def ico(images):
    """An icon group from (size, depth, image bytes) entries."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries, data = b"", b""
    for size, depth, image in images:
        colour_count = 16 if depth == 4 else 0
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, colour_count, 0, 1, depth,
                               len(image), offset + len(data))
        data += image
    return directory + entries + data


def main():
    rendered = {size: render(size) for size in sorted(set(PNG_SIZES + ICO_SIZES))}
    for size in PNG_SIZES:
        with open(os.path.join(ROOT, "resources", "icons", f"dravix-{size}.png"), "wb") as out:
            out.write(png(rendered[size]))
    images = [(size, depth, ico_image(rendered[size], depth))
              for size in ICO_SIZES for depth in ICO_DEPTHS]
    with open(os.path.join(ROOT, "resources", "dravix.ico"), "wb") as out:
        out.write(ico(images))


if __name__ == "__main__":
    main()
