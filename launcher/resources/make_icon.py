#!/usr/bin/env python3
"""Draws the launcher icon: a tendril-green disc with a light curl, at 16, 32, 48 and 256
pixels, 32 bits per pixel (BGRA with alpha), written as one .ico file."""
import math
import struct
import sys

SIZES = (16, 32, 48, 256)


def pixel(x, y, size):
    # Coordinates in [-1, 1]; a soft-edged disc with a spiral stroke across it.
    u = (x + 0.5) / size * 2 - 1
    v = (y + 0.5) / size * 2 - 1
    r = math.hypot(u, v)
    if r > 0.95:
        return (0, 0, 0, 0)
    angle = math.atan2(v, u)
    spiral = (r * 3.0 - angle / math.pi) % 1.0
    alpha = 255 if r < 0.9 else int(255 * (0.95 - r) / 0.05)
    if abs(spiral - 0.5) < 0.12:
        return (210, 245, 225, alpha)  # B, G, R, A
    return (60, 140, 40, alpha)


def dib(size):
    # Icon bitmaps are bottom-up, with a doubled height covering the (empty) AND mask.
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    for y in reversed(range(size)):
        rows.append(b"".join(bytes(pixel(x, y, size)) for x in range(size)))
    mask_row = b"\0" * (((size + 31) // 32) * 4)
    return header + b"".join(rows) + mask_row * size


def main(path):
    images = [dib(s) for s in SIZES]
    out = struct.pack("<HHH", 0, 1, len(SIZES))
    offset = 6 + 16 * len(SIZES)
    for size, image in zip(SIZES, images):
        dim = 0 if size == 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1])
