#!/usr/bin/env python3
"""Draws the setup's page pictures (507 x 394 baseline JPEGs with three components) with ImageMagick,
from the layout the window relies on, so that a maker can restyle them by editing this script:

  title band   dark, 24 pixels high, the window title at its left, the close button's place at its right
  button band  light, from y = 340 to the bottom, under the Back, Next and Cancel buttons
  picture A    (environment, features, licence, progress) a white header strip to y = 88 with the
               product logo at its right
  welcome and finish  a grey band down the left third (x < 168) with the logo, the page heading at
               the top of the right part
  location     the header strip with its heading and a line naming the product, and two rounded
               group frames: installation folder (y 100..160) and personal data folder (y 210..320)

  progress     the 466 x 17 track (a white rounded outline) and the 461 x 12 bar (blue segments), as
               24-bit bitmaps

usage: make_artwork.py OUTDIR   (writes page-a.jpg, page-welcome.jpg, page-finish.jpg, page-location.jpg,
                                 progress-track.bmp, progress-bar.bmp)
"""
import os
import subprocess
import sys

W, H = 507, 394
FONT = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
TITLE = "Velmora安装向导"
DARK, LIGHT, GREY, FRAME = "#203a68", "#e4e8ee", "#d9dee6", "#9aa6b8"


def logo(x, y, size):
    """A blue rounded square with a white V, at (x, y)."""
    r = size // 5
    return ["-fill", "#1e6ec8", "-stroke", "none", "-draw", f"roundrectangle {x},{y} {x + size},{y + size} {r},{r}",
            "-stroke", "white", "-strokewidth", str(max(2, size // 8)), "-fill", "none",
            "-draw", f"polyline {x + size * 0.22:.0f},{y + size * 0.22:.0f} {x + size * 0.5:.0f},{y + size * 0.8:.0f} "
                     f"{x + size * 0.78:.0f},{y + size * 0.22:.0f}", "-stroke", "none"]


def text(x, y, size, colour, words, weight="Normal"):
    return ["-font", FONT, "-pointsize", str(size), "-fill", colour, "-weight", weight,
            "-annotate", f"+{x}+{y}", words]


def frame(top, bottom, title):
    return ["-fill", "none", "-stroke", FRAME, "-strokewidth", "1",
            "-draw", f"roundrectangle 20,{top} 487,{bottom} 6,6", "-stroke", "none",
            "-fill", "#f8f8f8", "-draw", f"rectangle 30,{top - 7} {30 + 14 * len(title)},{top + 7}",
            *text(34, top + 5, 12, "#203a68", title)]


def page(path, body):
    common = ["-size", f"{W}x{H}", "xc:white",
              "-fill", DARK, "-draw", f"rectangle 0,0 {W},24", *text(8, 17, 12, "white", TITLE),
              "-fill", LIGHT, "-draw", f"rectangle 0,340 {W},{H}"]
    subprocess.run(["convert", *common, *body, "-strip", "-interlace", "None", "-sampling-factor", "2x2",
                    "-quality", "90", "-type", "TrueColor", path], check=True)


def main(out):
    os.makedirs(out, exist_ok=True)
    header = ["-fill", "white", "-draw", f"rectangle 0,25 {W},88", "-fill", "#f4f6f9", "-draw", f"rectangle 0,89 {W},339",
              "-fill", FRAME, "-draw", f"rectangle 0,88 {W},88", *logo(440, 36, 40)]
    page(os.path.join(out, "page-a.jpg"), header)
    for name, heading in (("page-welcome.jpg", "安装向导"), ("page-finish.jpg", "Velmora 安装成功")):
        page(os.path.join(out, name), ["-fill", GREY, "-draw", f"rectangle 0,25 167,339", *logo(44, 120, 80),
                                       *text(194, 60, 16, "#203a68", heading, "Bold")])
    progress(out)
    page(os.path.join(out, "page-location.jpg"), [*header, *text(30, 52, 16, "#203a68", "选择安装位置", "Bold"),
                                                  *text(30, 74, 12, "#333333", "请选择 Velmora 的安装目录和个人文件夹。"),
                                                  *frame(100, 160, "安装目录"), *frame(210, 320, "个人文件夹")])


def progress(out):
    subprocess.run(["convert", "-size", "466x17", "xc:#f4f6f9", "-fill", "white", "-stroke", "#b8c2d0",
                    "-draw", "roundrectangle 0,0 465,16 7,7", "-type", "TrueColor", f"BMP3:{out}/progress-track.bmp"],
                   check=True)
    segments = []
    for x in range(0, 461, 8):
        segments += ["-draw", f"rectangle {x},0 {min(x + 6, 460)},11"]
    subprocess.run(["convert", "-size", "461x12", "xc:white", "-fill", "#2f7bd6", "-stroke", "none", *segments,
                    "-type", "TrueColor", f"BMP3:{out}/progress-bar.bmp"], check=True)


if __name__ == "__main__":
    main(sys.argv[1])
