#!/usr/bin/env python3
"""Draws the setup's button bitmaps and the radio glyph strip (24-bit uncompressed BMPs, bottom-up, as
LoadImage reads them) pixel by pixel, so that a maker can restyle them by editing the colours below:

  wide     89 x 23, Up, Hot, Down, Disabled: Back and Next, on the light button band (#e4e8ee): a
           light-blue rounded bar; Hot brighter, Down deeper with a lighter inner edge, Disabled pale
           grey-white. The window writes the caption (12 px, black) over the bar, so every state
           stays light enough to read it.
  cancel   88 x 23, Up, Hot, Down, Disabled: a grey-white rounded bar on the same band; Hot lighter,
           Down with a darker inner edge, Disabled paler
  close    17 x 17, Up, Hot, Down: an orange-red rounded square with a white cross, on the dark title
           band (#203a68); Hot lighter, Down darker
  mixed    69 x 21, Hot and Down: the wide bar's Hot and Down looks at the smaller size
  radio    78 x 13: six 13 x 13 cells on fuchsia (255, 0, 255): unchecked (blue ring), checked (blue
           ring, green dot), pressed (grey ring, without and with a grey dot), disabled (pale ring,
           without and with a dot). Each ring is white inside. The ring's outer edge is never blended
           with the fuchsia, so no pink fringe shows where the window keys it out.

Edges inside a picture are smoothed by averaging 4 x 4 samples a pixel; the rounded corners are
blended with the band the button sits on, which is painted outside them. No bitmap may hold
(128, 128, 0), the buttons' transparent key colour: every file written is read back and checked for
its header, its size and that colour, and the script fails if one is wrong.

usage: make_buttons.py OUTDIR [SHEET.png]
       writes button-wide-{up,hot,down,disabled}.bmp, button-cancel-{up,hot,down,disabled}.bmp,
       button-close-{up,hot,down}.bmp, button-mixed-{hot,down}.bmp and radio.bmp into OUTDIR; with
       SHEET.png also a contact sheet of all of them enlarged four times
"""
import math
import os
import struct
import sys
import zlib
from collections import namedtuple


def rgb(code):
    return tuple(int(code[i:i + 2], 16) for i in (1, 3, 5))


LIGHT, DARK, WHITE = rgb("#e4e8ee"), rgb("#203a68"), rgb("#ffffff")
KEY = (128, 128, 0)        # transparent on the buttons: must not occur in them
FUCHSIA = (255, 0, 255)    # transparent in the radio strip
SAMPLES = 4                # samples a pixel along each axis

# A rounded bar: fill from top to bottom colour, a 1-pixel border and an optional 1-pixel inner edge.
Bar = namedtuple("Bar", "top bottom border inner radius")

WIDE = {
    "up": Bar(rgb("#d8e9fc"), rgb("#a9ccf2"), rgb("#5b8fcb"), None, 4),
    "hot": Bar(rgb("#ebf5ff"), rgb("#bfdcfa"), rgb("#6aa2e0"), None, 4),
    "down": Bar(rgb("#a3c6ee"), rgb("#bad5f4"), rgb("#4a7db9"), rgb("#e3effc"), 4),
    "disabled": Bar(rgb("#f6f7f9"), rgb("#eceef1"), rgb("#c5cad2"), None, 4),
}
CANCEL = {
    "up": Bar(rgb("#fbfbfc"), rgb("#e6e9ed"), rgb("#9ba4b1"), None, 4),
    "hot": Bar(rgb("#ffffff"), rgb("#f2f4f6"), rgb("#aab3bf"), None, 4),
    "down": Bar(rgb("#e2e5ea"), rgb("#edeff2"), rgb("#8c95a2"), rgb("#bcc3cd"), 4),
    "disabled": Bar(rgb("#f8f9fa"), rgb("#f1f2f4"), rgb("#d0d4da"), None, 4),
}
CLOSE = {
    "up": Bar(rgb("#ef6a45"), rgb("#d84a24"), rgb("#b8391a"), None, 3),
    "hot": Bar(rgb("#ff8b69"), rgb("#f0643e"), rgb("#cc4a26"), None, 3),
    "down": Bar(rgb("#c24020"), rgb("#ad3516"), rgb("#8c2a10"), None, 3),
}

# The radio glyphs: (ring, dot or None) for each cell, left to right.
BLUE, GREEN, GREY, GREY_DOT, PALE = rgb("#3b78c4"), rgb("#2f9e44"), rgb("#8a929c"), rgb("#6e7680"), rgb("#c8ced6")
RADIO = [(BLUE, None), (BLUE, GREEN), (GREY, None), (GREY, GREY_DOT), (PALE, None), (PALE, PALE)]
CELL = 13
RING_OUTER, RING_INNER, DOT = 6.2, 4.6, 2.6   # radii in pixels from the cell's centre


def mix(a, b, t):
    return tuple(p + (q - p) * t for p, q in zip(a, b))


def render(w, h, colour_at):
    """A picture (rows top to bottom of RGB tuples) with each pixel the average of colour_at over a
    grid of samples inside it."""
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            total = [0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = colour_at(x + (sx + 0.5) / SAMPLES, y + (sy + 0.5) / SAMPLES)
                    total = [t + v for t, v in zip(total, c)]
            row.append(tuple(min(255, round(t / SAMPLES ** 2)) for t in total))
        rows.append(row)
    return rows


def rounded_box(x, y, w, h, r):
    """Signed distance from (x, y) to the outline of the rectangle (0, 0)-(w, h) with corners of
    radius r: negative inside."""
    qx = abs(x - w / 2) - (w / 2 - r)
    qy = abs(y - h / 2) - (h / 2 - r)
    return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - r


def bar_colour(bar, band, w, h, x, y):
    d = rounded_box(x, y, w, h, bar.radius)
    if d > 0:
        return band
    if d > -1:
        return bar.border
    if bar.inner and d > -2:
        return bar.inner
    return mix(bar.top, bar.bottom, y / h)


def bar(w, h, style, band=LIGHT):
    return render(w, h, lambda x, y: bar_colour(style, band, w, h, x, y))


def close(style, size=17, arm=4.0, half_width=0.9):
    """The close button: a cross of two diagonals through the centre over the rounded square."""
    def colour_at(x, y):
        cx, cy = x - size / 2, y - size / 2
        if max(abs(cx), abs(cy)) <= arm and min(abs(cx - cy), abs(cx + cy)) / math.sqrt(2) <= half_width:
            return WHITE
        return bar_colour(style, DARK, size, size, x, y)
    return render(size, size, colour_at)


def radio():
    """The six radio cells side by side. Whether a pixel belongs to the glyph at all is decided once
    at its centre, so the outline is either the ring's own colour or pure fuchsia; inside the glyph the
    ring, the white inside and the dot are smoothed against each other."""
    rows = [[FUCHSIA] * (CELL * len(RADIO)) for _ in range(CELL)]
    centre = CELL / 2
    for i, (ring, dot) in enumerate(RADIO):
        def colour_at(x, y, ring=ring, dot=dot):
            d = math.hypot(x - centre, y - centre)
            if d >= RING_INNER:
                return ring
            if dot and d <= DOT:
                return dot
            return WHITE
        glyph = render(CELL, CELL, colour_at)
        for y in range(CELL):
            for x in range(CELL):
                if math.hypot(x + 0.5 - centre, y + 0.5 - centre) <= RING_OUTER:
                    rows[y][i * CELL + x] = glyph[y][x]
    return rows


def bmp_bytes(rows):
    """A 24-bit BI_RGB bitmap file, rows stored bottom-up in BGR order, each padded to 4 bytes."""
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    pixels = b"".join(bytes(v for r, g, b in row for v in (b, g, r)).ljust(stride, b"\0") for row in reversed(rows))
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info)) + info + pixels


def read_bmp(path, w, h):
    """Reads back a file written here, failing unless it is a 24-bit uncompressed bottom-up bitmap of
    w x h; returns its rows top to bottom."""
    with open(path, "rb") as f:
        data = f.read()
    magic, size, _, _, offset = struct.unpack_from("<2sIHHI", data)
    header, bw, bh, planes, bits, compression = struct.unpack_from("<IiiHHI", data, 14)
    if (magic, size, offset, header, bw, bh, planes, bits, compression) != (b"BM", len(data), 54, 40, w, h, 1, 24, 0):
        sys.exit(f"{path}: not a {w} x {h} 24-bit uncompressed bottom-up bitmap")
    stride = (w * 3 + 3) & ~3
    rows = []
    for y in range(h):
        line = data[offset + (h - 1 - y) * stride:]
        rows.append([(line[x * 3 + 2], line[x * 3 + 1], line[x * 3]) for x in range(w)])
    return rows


def check_key(path, rows):
    for y, row in enumerate(rows):
        for x, c in enumerate(row):
            if c == KEY:
                sys.exit(f"{path}: pixel ({x}, {y}) has the transparent key colour {KEY}")


def check_radio(path, rows):
    """Every pixel next to the fuchsia is fuchsia or a ring colour: nothing blended with the background."""
    rings = {ring for ring, _ in RADIO}
    h, w = len(rows), len(rows[0])
    for y in range(h):
        for x in range(w):
            c = rows[y][x]
            if c == FUCHSIA:
                continue
            near = [rows[v][u] for u, v in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)) if 0 <= u < w and 0 <= v < h]
            if (FUCHSIA in near or len(near) < 4) and c not in rings:
                sys.exit(f"{path}: pixel ({x}, {y}) {c} borders the fuchsia without being a ring colour")


def pictures():
    """(file name, rows) of every bitmap, in the order of their resources."""
    out = [(f"button-wide-{state}.bmp", bar(89, 23, style)) for state, style in WIDE.items()]
    out += [(f"button-cancel-{state}.bmp", bar(88, 23, style)) for state, style in CANCEL.items()]
    out += [(f"button-close-{state}.bmp", close(style)) for state, style in CLOSE.items()]
    out += [(f"button-mixed-{state}.bmp", bar(69, 21, WIDE[state])) for state in ("hot", "down")]
    out.append(("radio.bmp", radio()))
    return out


def write_sheet(path, images, scale=4, gap=6, background=(150, 150, 150)):
    """A PNG with the bitmaps enlarged, one set a line, to look at them."""
    lines = []
    for name, rows in images:
        group = name.rsplit("-", 1)[0]
        if not lines or lines[-1][0] != group:
            lines.append((group, []))
        lines[-1][1].append(rows)
    width = max(sum(len(r[0]) * scale + gap for r in line) for _, line in lines) + gap
    height = sum(max(len(r) for r in line) * scale + gap for _, line in lines) + gap
    sheet = [[background] * width for _ in range(height)]
    top = gap
    for _, line in lines:
        left = gap
        for rows in line:
            for y in range(len(rows) * scale):
                for x in range(len(rows[0]) * scale):
                    sheet[top + y][left + x] = rows[y // scale][x // scale]
            left += len(rows[0]) * scale + gap
        top += max(len(r) for r in line) * scale + gap
    raw = b"".join(b"\0" + bytes(v for c in row for v in c) for row in sheet)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main(out, sheet=None):
    os.makedirs(out, exist_ok=True)
    images = pictures()
    for name, rows in images:
        path = os.path.join(out, name)
        with open(path, "wb") as f:
            f.write(bmp_bytes(rows))
        back = read_bmp(path, len(rows[0]), len(rows))
        if back != rows:
            sys.exit(f"{path}: reads back differently from what was drawn")
        check_key(path, back)
        if name == "radio.bmp":
            check_radio(path, back)
    if sheet:
        write_sheet(sheet, images)


if __name__ == "__main__":
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    main(*sys.argv[1:])
