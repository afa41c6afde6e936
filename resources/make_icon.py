#!/usr/bin/env python3
"""Writes the setup's application icon: one 32 x 32 image with 32 bits per pixel (BGRA), a blue
rounded square with a white "V", as an .ico file.

usage: make_icon.py OUT.ico
"""
import struct
import sys

SIZE = 32


def pixel(x, y):
    # Rounded square: transparent outside a radius-6 corner.
    r = 6
    cx = min(max(x, r), SIZE - 1 - r)
    cy = min(max(y, r), SIZE - 1 - r)
    if (x - cx) ** 2 + (y - cy) ** 2 > r * r:
        return (0, 0, 0, 0)
    # A "V" from the top corners to the bottom middle, 4 pixels wide.
    for side in (-1, 1):
        # Line from (16 + side * 10, 7) to (16, 25).
        t = (y - 7) / 18.0
        if 0 <= t <= 1:
            lx = 16 + side * 10 * (1 - t)
            if abs(x + 0.5 - lx) <= 2.2:
                return (255, 255, 255, 255)
    return (200, 110, 30, 255)  # BGRA: a mid blue


def main(out):
    rows = []
    for y in range(SIZE - 1, -1, -1):  # bottom-up
        rows.append(b"".join(struct.pack("4B", *pixel(x, y)) for x in range(SIZE)))
    xor = b"".join(rows)
    mask = bytes(SIZE * 4)  # the alpha channel decides; the AND mask is all zeros
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + mask
    icon = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 22) + image
    with open(out, "wb") as f:
        f.write(icon)


if __name__ == "__main__":
    main(sys.argv[1])
