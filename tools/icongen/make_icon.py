#!/usr/bin/env python3
"""Draws the plug-in's icon and writes it as a multi-size Windows icon (.ico).

The picture is a drum seen from above on a dark rounded tile: an orange rim, a pale head and two
crossed sticks. The 16, 24, 32 and 48 pixel images are stored as 32-bit BMP (DIB) entries, which
every Windows version reads; the 256 pixel image is stored as PNG, as Windows does for large icons.
Only the standard library is used, and the output is the same byte for byte on every run.

Usage: make_icon.py OUTPUT.ico
"""

import math
import struct
import sys
import zlib

BMP_SIZES = (16, 24, 32, 48)
PNG_SIZES = (256,)
SUPERSAMPLE = 4

TILE = (0x22, 0x24, 0x2A)
RIM = (0xE8, 0x7A, 0x1E)
HEAD = (0xF2, 0xEC, 0xDF)
STICK = (0x8A, 0x5A, 0x32)


def _rounded_box_distance(x, y, half, radius):
    # Signed distance from the point to a rounded square centred on the origin.
    qx = abs(x) - (half - radius)
    qy = abs(y) - (half - radius)
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


def _segment_distance(x, y, ax, ay, bx, by):
    vx, vy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy)))
    return math.hypot(x - (ax + t * vx), y - (ay + t * vy))


def _shade(u, v):
    """Colour of one point of the unit picture (u, v in -1..1), as (r, g, b, a) with a in 0..1."""
    if _rounded_box_distance(u, v, 0.96, 0.26) > 0.0:
        return (0, 0, 0, 0.0)
    colour = TILE
    r = math.hypot(u, v + 0.04)
    if r < 0.74:
        colour = RIM
    if r < 0.58:
        colour = HEAD
    for ax, ay, bx, by in ((-0.70, -0.78, 0.34, 0.20), (0.70, -0.78, -0.34, 0.20)):
        if _segment_distance(u, v, ax, ay, bx, by) < 0.075:
            colour = STICK
    return (*colour, 1.0)


def render(size):
    """Returns the image as rows of (r, g, b, a) bytes, top row first."""
    rows = []
    n = SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    u = ((px + (sx + 0.5) / n) / size) * 2.0 - 1.0
                    v = ((py + (sy + 0.5) / n) / size) * 2.0 - 1.0
                    cr, cg, cb, ca = _shade(u, v)
                    acc[0] += cr * ca
                    acc[1] += cg * ca
                    acc[2] += cb * ca
                    acc[3] += ca
            alpha = acc[3] / (n * n)
            if acc[3] > 0.0:
                pixel = tuple(int(round(c / acc[3])) for c in acc[:3])
            else:
                pixel = (0, 0, 0)
            row.append((*pixel, int(round(alpha * 255))))
        rows.append(row)
    return rows


def encode_png(rows):
    size = len(rows)
    raw = b"".join(b"\x00" + bytes(c for pixel in row for c in pixel) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def encode_bmp(rows):
    # An icon's DIB is a BITMAPINFOHEADER with twice the height (colour image plus AND mask),
    # 32-bit BGRA rows bottom-up, then the 1-bit AND mask, rows padded to 32 bits.
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def build_icon():
    images = [(s, encode_bmp(render(s))) for s in BMP_SIZES] + [(s, encode_png(render(s))) for s in PNG_SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        dim = 0 if size >= 256 else size  # 0 stands for 256
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__.split("\n\n")[-1] + "\n")
        return 2
    with open(argv[1], "wb") as f:
        f.write(build_icon())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
