#!/usr/bin/env python3
"""Draws the tool's artwork and writes it into src/ui/resources: the main window's background
(bitmap 156), the skins of every button, the four message-box pictures and the program's icon.
Deterministic: the same script always writes the same files, which are committed.

    tools/make_ui_art.py [--out DIR]"""

import argparse
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "ui_art"))

import bmp  # noqa: E402
import stroke_font as font  # noqa: E402
from raster import Canvas, mix  # noqa: E402

# Colours of the product.
BANNER_BLUE = (2, 77, 246)  # the title line's text background: the band behind it matches
BODY_BLUE = (207, 233, 254)  # also the message box's background
PANEL_EDGE = (150, 190, 236)
WHITE = (255, 255, 255)
ORANGE_LIGHT = (255, 190, 90)
GREEN = (46, 170, 80)
GREY_TEXT = (96, 110, 140)

# Where the main window's controls stand over the background, in its pixels: the dialog
# template's layout as the window rescales it, measured on the running window (whose client area
# starts one pixel inside its border).
LAYOUT = {
    "title_band": (36, 62),
    "panel": (5, 104, 522, 277),
    "bottom_band": 280,
    "close": (498, 5),
    "scan": (19, 64),
    "download": (325, 64),
    "dlink": (105, 214),
    "ulink": (55, 285),
    "ok": (219, 285),
    "logo": (414, 280),
}
# The window's outline clips the picture's last column and row; its own border draws the left and
# top edges.
VISIBLE_RIGHT, VISIBLE_BOTTOM = 525, 336


def lighten(colour, amount):
    return mix(colour, WHITE, amount)


def darken(colour, amount):
    return mix(colour, (0, 0, 0), amount)


# ---------------------------------------------------------------------------------------------
# The product's mark: a shield with a sweeping arc, used in the banner and the icon.

def draw_mark(canvas, cx, cy, size):
    s = size / 32.0
    shield = [(cx - 12 * s, cy - 13 * s), (cx + 12 * s, cy - 13 * s), (cx + 12 * s, cy + 1 * s),
              (cx + 6 * s, cy + 10 * s), (cx, cy + 14 * s), (cx - 6 * s, cy + 10 * s),
              (cx - 12 * s, cy + 1 * s)]
    canvas.polygon([(x + 1.2 * s, y + 1.5 * s) for x, y in shield], (0, 10, 50), 0.35)
    canvas.polygon(shield, WHITE)
    inner = [(cx + (x - cx) * 0.76, cy - 1.0 * s + (y - cy) * 0.76) for x, y in shield]
    canvas.polygon(inner, (24, 110, 240))
    canvas.strokes([[(cx - 6 * s, cy - 1 * s), (cx - 1.5 * s, cy + 4 * s),
                     (cx + 6.5 * s, cy - 6 * s)]], 3.4 * s, WHITE)


# ---------------------------------------------------------------------------------------------
# Background 156: banner, body with the white panel, bottom band.

def background():
    w, h = 527, 338
    c = Canvas(w, h, BODY_BLUE)
    band0, band1 = LAYOUT["title_band"]
    c.vertical_gradient(0, 0, w, band0, [(0, (6, 24, 86)), (1, (4, 58, 190))])
    c.fill_rect(0, band0, w, band1, BANNER_BLUE)
    c.vertical_gradient(0, band0, w, band0 + 1, [(0, (70, 130, 250)), (1, (70, 130, 250))])
    # Under the banner the body brightens into a soft glow.
    c.vertical_gradient(0, band1, w, band1 + 2, [(0, (110, 160, 250)), (1, (160, 200, 252))])
    c.vertical_gradient(0, band1 + 2, w, band1 + 42, [(0, (188, 220, 253)), (1, BODY_BLUE)])

    draw_mark(c, 22, 18, 28)
    font.draw(c, "Vantosweeper", 42, 26, 16, 2.4, WHITE)
    font.draw(c, "Trojan removal tool", 42 + font.measure("Vantosweeper", 16, 2.4) + 12, 26, 8.5,
              1.3, (165, 198, 255))

    x0, y0, x1, y1 = LAYOUT["panel"]
    c.rounded_rect(x0 + 1, y0 + 2, x1 + 1, y1 + 2, 8, (120, 160, 220), 0.35)
    c.rounded_rect(x0 - 1, y0 - 1, x1 + 1, y1 + 1, 9, PANEL_EDGE)
    c.rounded_rect(x0, y0, x1, y1, 8, WHITE)

    bottom = LAYOUT["bottom_band"]
    c.vertical_gradient(0, bottom, w, h, [(0, (4, 58, 190)), (1, (6, 24, 86))])
    c.vertical_gradient(0, bottom, w, bottom + 1, [(0, (70, 130, 250)), (1, (70, 130, 250))])
    for x in range(VISIBLE_RIGHT + 1):
        c.blend(x, VISIBLE_BOTTOM, (0, 0, 0), 1)
    for y in range(VISIBLE_BOTTOM + 1):
        c.blend(VISIBLE_RIGHT, y, (0, 0, 0), 1)
    return c


def crop(canvas, x, y, w, h):
    part = Canvas(w, h)
    for row in range(h):
        for col in range(w):
            sx, sy = min(canvas.width - 1, x + col), min(canvas.height - 1, y + row)
            part.pixels[row][col] = canvas.pixels[sy][sx]
    return part


# ---------------------------------------------------------------------------------------------
# Button skins. Each is drawn over the part of the background it covers, so rounded corners and
# glows sit on the right colours.

def pill_button(under, label, state, face, face_dark, text_size):
    c = crop(under, 0, 0, under.width, under.height)
    w, h = c.width, c.height
    r = h / 2 - 1
    if state == "disable":
        face, face_dark = (178, 190, 210), (150, 162, 184)
    elif state == "focus":
        face, face_dark = lighten(face, 0.25), lighten(face_dark, 0.15)
    c.rounded_rect(1.5, 2.5, w - 0.5, h - 0.5, r, (0, 20, 80), 0.25)
    c.rounded_rect_gradient(0.5, 0.5, w - 1.5, h - 1.5, r, lighten(face, 0.08), face_dark)
    # Gloss on the upper half.
    c.rounded_rect(3, 2, w - 4, h / 2, r - 2, WHITE, 0.18 if state != "disable" else 0.1)
    if state == "focus":
        c.strokes([[(r, 1.2), (w - r - 2, 1.2)]], 1.0, WHITE, 0.6)
    text = (238, 242, 250) if state == "disable" else WHITE
    font.draw_centred(c, label, w / 2 - 1, h / 2 + text_size / 2, text_size, 2.0,
                      darken(face_dark, 0.35), 0.5)
    font.draw_centred(c, label, w / 2 - 1.6, h / 2 + text_size / 2 - 0.6, text_size, 2.0, text)
    return c


def plain_button(under, label, state, face, face_dark):
    return pill_button(under, label, state, face, face_dark, 9)


def close_button(under, state):
    c = crop(under, 0, 0, under.width, under.height)
    w = c.width
    fill = (220, 60, 50) if state == "focus" else (255, 255, 255)
    opacity = 1.0 if state == "focus" else 0.16
    c.rounded_rect(1, 1, w - 1, w - 1, 4, fill, opacity)
    c.strokes([[(6.5, 6.5), (w - 6.5, w - 6.5)], [(6.5, w - 6.5), (w - 6.5, 6.5)]], 2.0, WHITE)
    return c


def link_button(under, lines, state, icon, colours):
    """colours: (normal, highlighted, second line)."""
    c = crop(under, 0, 0, under.width, under.height)
    h = c.height
    colour = colours[1] if state == "focus" else colours[0]
    icon(c, 16, h / 2, state)
    x = 34
    size = lines[0][1]
    baseline = h / 2 + size / 2 if len(lines) == 1 else h / 2 - 2
    for i, (text, size, weight) in enumerate(lines):
        font.draw(c, text, x, baseline + i * (size + 8), size, weight, colour if i == 0 else
                  colours[2])
        if i == 0 and state == "focus":
            width = font.measure(text, size, weight)
            c.strokes([[(x, baseline + 3), (x + width, baseline + 3)]], 1.0, colour)
    return c


def download_icon(c, cx, cy, state):
    c.ellipse(cx, cy, 12, 12, GREEN if state != "focus" else (60, 190, 95))
    c.strokes([[(cx, cy - 6), (cx, cy + 4)], [(cx - 5, cy - 0.5), (cx, cy + 5), (cx + 5,
                                                                               cy - 0.5)]],
              2.4, WHITE)


def tools_icon(c, cx, cy, state):
    face = (255, 255, 255) if state != "focus" else ORANGE_LIGHT
    c.ellipse(cx, cy, 10, 10, face)
    c.strokes([[(cx - 4, cy + 4), (cx + 3, cy - 3)]], 2.6, (0, 60, 170))
    c.ring(cx + 3.6, cy - 3.6, 2.6, 1.8, (0, 60, 170))


def logo_button(under, state):
    c = crop(under, 0, 0, under.width, under.height)
    w, h = c.width, c.height
    wing = WHITE if state != "focus" else ORANGE_LIGHT
    # A stylised kestrel: two swept wings over a small body.
    c.polygon([(6, 20), (18, 10), (30, 9), (22, 15), (30, 17), (18, 19)], wing)
    c.polygon([(16, 21), (24, 19), (20, 27)], wing, 0.85)
    font.draw(c, "KESTRIN", 34, 22, 9.5, 1.9, WHITE)
    font.draw(c, "software", 35, 31, 6, 1.0, (170, 200, 255))
    return c


# ---------------------------------------------------------------------------------------------
# Message-box pictures 152 to 155, on the box's light blue.

def picture(kind):
    c = Canvas(42, 40, BODY_BLUE)
    if kind in ("information", "question"):
        c.ellipse(21.5, 18, 17, 14, (90, 130, 190), 0.35)
        c.polygon([(12, 27), (10, 37), (21, 29)], WHITE)
        c.ellipse(21, 17, 17, 14, WHITE)
        c.ring(21, 17, 16, 1.0, (120, 160, 215))
        if kind == "information":
            c.strokes([[(21, 15), (21, 25)]], 3.6, (20, 90, 220))
            c.ellipse(21, 9, 2.3, 2.3, (20, 90, 220))
        else:
            # The canvas counts y downwards: the hook runs from the left over the top.
            c.strokes([font.arc(21, 12.5, 4.6, 4.2, 195, 450) + [(21, 20)]], 3.0, (20, 90, 220))
            c.ellipse(21, 24.5, 1.9, 1.9, (20, 90, 220))
    elif kind == "warning":
        tri = [(21, 3), (39, 36), (3, 36)]
        c.polygon([(x + 0.8, y + 1.2) for x, y in tri], (110, 90, 20), 0.35)
        c.polygon(tri, (232, 170, 0))
        c.polygon([(21, 6.5), (36.3, 34.3), (5.7, 34.3)], (255, 214, 40))
        c.strokes([[(21, 14), (21, 25)]], 3.6, (20, 20, 20))
        c.ellipse(21, 30, 2.1, 2.1, (20, 20, 20))
    else:
        c.ellipse(21.7, 20.8, 17, 17, (120, 30, 20), 0.35)
        c.ellipse(21, 20, 17, 17, (205, 30, 30))
        c.ellipse(21, 19, 15, 14.5, (230, 60, 55))
        c.strokes([[(14, 13), (28, 27)], [(14, 27), (28, 13)]], 4.0, WHITE)
    return c


# ---------------------------------------------------------------------------------------------
# The icon: the mark on a blue tile.

def icon_image(size):
    c = Canvas(size, size, (0, 0, 0))
    mask = [[1] * size for _ in range(size)]
    tile = Canvas(size, size, (0, 0, 0))
    tile.rounded_rect_gradient(0.5, 0.5, size - 0.5, size - 0.5, size / 6, (40, 120, 250),
                               (6, 36, 130))
    draw_mark(tile, size / 2, size / 2 + size / 40, size * 0.78)
    # Coverage of the rounded tile decides the mask; edges blend into black, which the
    # transparent pixels also hold.
    cover = Canvas(size, size, (0, 0, 0))
    cover.rounded_rect(0.5, 0.5, size - 0.5, size - 0.5, size / 6, (255, 255, 255))
    for y in range(size):
        for x in range(size):
            if cover.pixels[y][x][0] >= 128:
                mask[y][x] = 0
                c.pixels[y][x] = tile.pixels[y][x]
    return c.rgb_rows(), mask


# ---------------------------------------------------------------------------------------------

def skins(under_background):
    """Every button skin: {resource file stem: canvas}."""
    lay = LAYOUT
    out = {}

    def under(key, w, h):
        x, y = lay[key]
        return crop(under_background, x, y, w, h)

    scan_face, scan_dark = (255, 150, 30), (226, 96, 6)
    down_face, down_dark = (40, 170, 90), (18, 120, 58)
    for state in ("focus", "notfocus", "disable"):
        out[f"scan_{state}"] = pill_button(under("scan", 180, 33), "SCAN", state, scan_face,
                                           scan_dark, 12)
        out[f"download_{state}"] = pill_button(under("download", 180, 33), "DOWNLOAD", state,
                                               down_face, down_dark, 12)
    box = Canvas(92, 24, BODY_BLUE)
    blue_face, blue_dark = (40, 120, 240), (10, 70, 190)
    for state in ("focus", "notfocus"):
        out[f"ok_{state}"] = plain_button(under("ok", 92, 24), "OK", state, scan_face, scan_dark)
        out[f"cancel_{state}"] = plain_button(under("ok", 92, 24), "CANCEL", state, scan_face,
                                              scan_dark)
        out[f"yes_{state}"] = plain_button(box, "YES", state, blue_face, blue_dark)
        out[f"no_{state}"] = plain_button(box, "NO", state, blue_face, blue_dark)
        out[f"x_{state}"] = close_button(under("close", 21, 21), state)
        out[f"dlink_{state}"] = link_button(
            under("dlink", 350, 43),
            [("Get Ardentis antivirus", 10, 1.6),
             ("Full protection against viruses, trojans and worms", 6.5, 1.1)], state,
            download_icon, ((0, 82, 204), (230, 110, 0), GREY_TEXT))
        out[f"ulink_{state}"] = link_button(
            under("ulink", 350, 28), [("More free virus removal tools", 9, 1.4)], state,
            tools_icon, ((190, 214, 255), WHITE, WHITE))
        out[f"kestrinlogo_{state}"] = logo_button(under("logo", 100, 36), state)
    return out


def main():
    parser = argparse.ArgumentParser()
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument("--out", default=os.path.join(here, "..", "src", "ui", "resources"))
    args = parser.parse_args()

    files = {}
    back = background()
    files["background.bmp"] = bmp.bmp8(back.rgb_rows())
    for stem, canvas in skins(back).items():
        files[f"{stem}.bmp"] = bmp.bmp8(canvas.rgb_rows())
    for kind in ("information", "question", "warning", "error"):
        files[f"picture_{kind}.bmp"] = bmp.bmp24(picture(kind).rgb_rows())
    files["program.ico"] = bmp.ico([icon_image(32), icon_image(16)])

    os.makedirs(args.out, exist_ok=True)
    for name, data in sorted(files.items()):
        with open(os.path.join(args.out, name), "wb") as out:
            out.write(data)
    print(f"make_ui_art: wrote {len(files)} files to {os.path.normpath(args.out)}")


if __name__ == "__main__":
    main()
