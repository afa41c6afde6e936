#!/usr/bin/env python3
"""Pixel checks on screenshots of the wizard window under Wine, against the artwork the setup was
built from. A screenshot is the window's 508 x 395 rectangle cut from the screen, so (x, y) are
window coordinates.

usage: look_check.py ART_DIR CHECK SHOT [ARGS...]
  frame SHOT                          508 x 395, corners cut away by the rounded region
  button SHOT KIND STATE LEFT TOP     the button's bitmap for STATE (up, hot, down, disabled) is drawn
                                      at LEFT, TOP, its caption over it (grey and white when disabled)
  labels SHOT PICTURE L T R B         text drawn over the page picture inside the box
  plain SHOT PICTURE [L T R B ...]    the page picture shows unchanged outside the boxes
  page SHOT PICTURE                   the page of that picture shows: the picture unchanged but where
                                      its page has controls (finish)
  radio SHOT LEFT TOP CELL            the radio strip's CELL in the glyph's middle at LEFT, TOP
  colour SHOT X Y [not] R G B         the pixel is (or is not) this colour
  picture SHOT PICTURE X Y            the pixel shows the page picture (a keyed-out glyph corner)
  bar SHOT [WIDTH]                    prints the progress bar's width (the bar picture's left part
                                      drawn), and fails unless it is WIDTH when given
  same|differ SHOT OTHER L T R B      the two screenshots agree (or not) inside the box; OTHER is the
                                      name of a screenshot in SHOT's folder
  readable SHOT L T R B               a text lies inside the box, readable: at least 20 of its pixels
                                      contrast with the box's commonest colour (what the text lies
                                      on) by a luminance ratio of 4.5 or more
Exits 1 with a message when a check fails.
"""
import os
import subprocess
import sys

BUTTONS = {  # kind: (file stem, width, height)
    "wide": ("button-wide", 89, 23),
    "cancel": ("button-cancel", 88, 23),
    "close": ("button-close", 17, 17),
}
PICTURES = {"welcome": "page-welcome.jpg", "a": "page-a.jpg", "location": "page-location.jpg",
            "finish": "page-finish.jpg"}

# Where the page of a picture has controls: the close button, four check boxes and three buttons.
CONTROL_BOXES = {
    "finish": [481, 5, 498, 22, 193, 167, 440, 182, 193, 194, 442, 211, 193, 221, 442, 238, 193, 248, 442, 265,
               211, 353, 300, 376, 308, 353, 397, 376, 405, 353, 493, 376],
}


class Image:
    def __init__(self, path):
        ppm = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], check=True, capture_output=True).stdout
        fields, at = [], 0
        while len(fields) < 4:  # P6, width, height, maximum, separated by blanks
            while ppm[at:at + 1].isspace():
                at += 1
            end = at
            while not ppm[end:end + 1].isspace():
                end += 1
            fields.append(ppm[at:end])
            at = end
        self.width, self.height = int(fields[1]), int(fields[2])
        self.data = ppm[at + 1:]

    def px(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.data[i:i + 3])


def fail(message):
    print("look check failed: " + message, file=sys.stderr)
    sys.exit(1)


def far(a, b, tolerance):
    return max(abs(p - q) for p, q in zip(a, b)) > tolerance


def check_frame(art, shot):
    if (shot.width, shot.height) != (508, 395):
        fail(f"window is {shot.width} x {shot.height}")
    # The region ends before the last column and row; its corners are cut by 6 x 6 ellipses, so each
    # corner pixel shows what lies behind the window, unlike the page a few pixels along the edge.
    for cx, cy, ix, iy in ((0, 0, 4, 0), (506, 0, 502, 0), (0, 393, 4, 393), (506, 393, 502, 393)):
        if shot.px(cx, cy) == shot.px(ix, iy):
            fail(f"corner ({cx}, {cy}) is not cut away")


def check_button(art, shot, kind, state, left, top):
    stem, w, h = BUTTONS[kind]
    bitmap = Image(os.path.join(art, f"{stem}-{state}.bmp"))
    left, top = int(left), int(top)
    # The caption is centred: the bitmap's ends show as they are.
    ends = [x for x in range(w) if x < 6 or x >= w - 6] if kind != "close" else range(w)
    for y in range(h):
        for x in ends:
            if shot.px(left + x, top + y) != bitmap.px(x, y):
                fail(f"{kind} {state} at ({left}, {top}): pixel ({x}, {y}) is {shot.px(left + x, top + y)}, "
                     f"the bitmap's {bitmap.px(x, y)}")
    if kind == "close":
        return
    caption = [shot.px(left + x, top + y) for y in range(h) for x in range(12, w - 12)
               if shot.px(left + x, top + y) != bitmap.px(x, y)]
    if len(caption) < 20:
        fail(f"{kind} {state} at ({left}, {top}): no caption over the bitmap")
    if state == "disabled" and not ((255, 255, 255) in caption and (128, 128, 128) in caption):
        fail(f"{kind} at ({left}, {top}): the disabled caption is not white under grey")


def changed(art, shot, picture, box, tolerance):
    pic = Image(os.path.join(art, PICTURES[picture]))
    l, t, r, b = box
    return [(x, y) for y in range(t, b) for x in range(l, r) if far(shot.px(x, y), pic.px(x, y), tolerance)]


def check_labels(art, shot, picture, *box):
    if len(changed(art, shot, picture, [int(v) for v in box], 60)) < 30:
        fail(f"no text over the {picture} picture in {box}")


def check_plain(art, shot, picture, *boxes):
    skip = [[int(v) for v in boxes[i:i + 4]] for i in range(0, len(boxes), 4)]
    inside = lambda x, y: any(l <= x < r and t <= y < b for l, t, r, b in skip)
    differ = [(x, y) for x, y in changed(art, shot, picture, (0, 0, 507, 394), 24) if not inside(x, y)]
    if len(differ) > 20:
        fail(f"{len(differ)} pixels differ from the {picture} picture outside the controls, first {differ[:5]}")


def check_page(art, shot, picture):
    check_plain(art, shot, picture, *CONTROL_BOXES[picture])


def check_radio(art, shot, left, top, cell):
    strip = Image(os.path.join(art, "radio.bmp"))
    left, top, cell = int(left), int(top), int(cell)
    for y in range(4, 9):
        for x in range(4, 9):
            if shot.px(left + x, top + y) != strip.px(13 * cell + x, y):
                fail(f"radio glyph at ({left}, {top}) is not cell {cell}")


def check_colour(art, shot, x, y, *rgb):
    negate = rgb[0] == "not"
    want = tuple(int(v) for v in rgb[negate:])
    got = shot.px(int(x), int(y))
    if (got == want) == negate:
        fail(f"pixel ({x}, {y}) is {got}, {'not ' if not negate else ''}expected {'not ' if negate else ''}{want}")


def check_picture(art, shot, picture, x, y):
    if changed(art, shot, picture, (int(x), int(y), int(x) + 1, int(y) + 1), 24):
        fail(f"pixel ({x}, {y}) is {shot.px(int(x), int(y))}, not the {picture} picture")


def check_bar(art, shot, want=None):
    bar = Image(os.path.join(art, "progress-bar.bmp"))
    left, top = 31, 155
    width = 0
    while width < bar.width and all(shot.px(left + width, top + y) == bar.px(width, y) for y in range(bar.height)):
        width += 1
    print(width)
    if want is not None and width != int(want):
        fail(f"the progress bar is {width} pixels wide, not {want}")


def compare(shot, other, box):
    l, t, r, b = (int(v) for v in box)
    return all(shot.px(x, y) == other.px(x, y) for y in range(t, b) for x in range(l, r))


def luminance(rgb):
    def channel(v):
        v /= 255
        return v / 12.92 if v <= 0.03928 else ((v + 0.055) / 1.055) ** 2.4
    r, g, b = (channel(v) for v in rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


def check_readable(art, shot, *box):
    l, t, r, b = (int(v) for v in box)
    pixels = [shot.px(x, y) for y in range(t, b) for x in range(l, r)]
    counts = {}
    for p in pixels:
        counts[p] = counts.get(p, 0) + 1
    ground = max(counts, key=counts.get)
    clear = sum(n for p, n in counts.items() if contrast(p, ground) >= 4.5)
    if clear < 20:
        best = max(contrast(p, ground) for p in counts)
        fail(f"no readable text in {box}: {clear} pixels contrast with the ground {ground} by 4.5 or more "
             f"(the best ratio is {best:.2f})")


def main(argv):
    art, check, shot = argv[1], argv[2], Image(argv[3])
    args = argv[4:]
    if check in ("same", "differ"):
        other = os.path.join(os.path.dirname(argv[3]), args[0] + ".png")  # a screenshot beside SHOT
        if compare(shot, Image(other), args[1:]) != (check == "same"):
            fail(f"{argv[3]} and {args[0]} should {'agree' if check == 'same' else 'differ'} in {args[1:]}")
        return
    checks = {"frame": check_frame, "button": check_button, "labels": check_labels, "plain": check_plain, "page": check_page,
              "radio": check_radio, "colour": check_colour, "picture": check_picture, "bar": check_bar, "readable": check_readable}
    checks[check](art, shot, *args)


if __name__ == "__main__":
    main(sys.argv)
