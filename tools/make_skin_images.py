#!/usr/bin/env python3
"""Draws every image of the pop-out phone window's skins and writes them as PNG files.

    tools/make_skin_images.py <theme-dir>          writes <theme-dir>/public/...
    tools/make_skin_images.py --list                prints the relative paths it writes
    tools/make_skin_images.py --sheet <file.png>    writes a contact sheet of all of them

The skins ("fernhold/cloud_phone_light.xml", "fernhold/cloud_phone_dark.xml") name their images
as "../public/...", so they lie in the theme folder's "public" folder:
- button/toolbar/: the 22x22 toolbar glyphs, each as "_normal" (neutral grey, readable on both
  themes) and "_hover" (the accent colour). The keyboard's "on" look ("_hovered", and
  "_hovered_light" for the light theme) and the pin images are the ones the window code names;
  the pin images cover the whole 32x32 pin button of the caption bar, since the window sets them
  without a dest.
- button/caption/: the 12x12 minimise and close glyphs of the caption bar.
- combo/: the quality combo's nine-grid frames (corner 4) for both themes, and its arrow.
- bk/bk_shadow.png: the window shadow, a nine-grid (corner 30) around content inset by 14.

The pictures are computed here with plain Python (supersampled signed-distance shapes, as in
make_icons.py), so the build needs no image tools and the result is the same on every machine.
The library draws them at their own size at 100 % and stretches them by the DPI scale.
"""

import math
import os
import struct
import sys
import zlib

# Samples per pixel edge where an edge crosses the pixel.
SUPERSAMPLE = 4

# Colours as (r, g, b).
GLYPH_GREY = (134, 140, 150)
ACCENT = (61, 135, 245)             # hover, on both themes
ACCENT_ON_LIGHT = (43, 111, 230)    # "on" state in the light theme
ACCENT_ON_DARK = (92, 157, 255)     # "on" state in the dark theme
WHITE = (255, 255, 255)

# Toolbar glyphs are drawn on a 22x22 grid; strokes this wide stay crisp at that size.
GLYPH = 22
STROKE = 2.0

# ---------------------------------------------------------------------------------------------
# Signed distances (pixels; < 0 inside)


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def box(x0, y0, x1, y1, radius=0.0):
    """A rectangle from (x0, y0) to (x1, y1) with rounded corners."""
    cx, cy, hw, hh = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2, (y1 - y0) / 2

    def dist(x, y):
        qx = abs(x - cx) - (hw - radius)
        qy = abs(y - cy) - (hh - radius)
        return math.hypot(max(qx, 0.0), max(qy, 0.0)) + min(max(qx, qy), 0.0) - radius
    return dist


def segment(ax, ay, bx, by, width=STROKE):
    """A line from a to b with round caps."""
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy

    def dist(x, y):
        t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
        return math.hypot(x - ax - t * dx, y - ay - t * dy) - width / 2
    return dist


def polyline(points, width=STROKE):
    return union(*(segment(*a, *b, width=width) for a, b in zip(points, points[1:])))


def polygon(points):
    """A filled polygon (any simple one)."""
    def dist(x, y):
        best = float("inf")
        inside = False
        for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
            dx, dy = bx - ax, by - ay
            t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
            best = min(best, math.hypot(x - ax - t * dx, y - ay - t * dy))
            if (ay > y) != (by > y) and x < ax + (y - ay) * dx / dy:
                inside = not inside
        return -best if inside else best
    return dist


def arc(cx, cy, r, start, end, width=STROKE):
    """A circular stroke from angle start to end (degrees, clockwise on screen, 0 = right)."""
    a0, sweep = math.radians(start), math.radians((end - start) % 360)
    ends = [(cx + r * math.cos(a), cy + r * math.sin(a)) for a in (a0, a0 + sweep)]

    def dist(x, y):
        angle = (math.atan2(y - cy, x - cx) - a0) % (2 * math.pi)
        if angle <= sweep:
            return abs(math.hypot(x - cx, y - cy) - r) - width / 2
        return min(math.hypot(x - ex, y - ey) for ex, ey in ends) - width / 2
    return dist


def arrow_head(tipx, tipy, angle, size=3.6):
    """A filled, slightly rounded triangle pointing along angle (degrees) with its tip at tip."""
    a = math.radians(angle)
    ux, uy, nx, ny = math.cos(a), math.sin(a), -math.sin(a), math.cos(a)
    bx, by = tipx - ux * size, tipy - uy * size
    half = size * 0.62
    return inflate(polygon([(tipx - ux * 0.5, tipy - uy * 0.5),
                            (bx + nx * half, by + ny * half),
                            (bx - nx * half, by - ny * half)]), 0.45)


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def subtract(shape, cut):
    return lambda x, y: max(shape(x, y), -cut(x, y))


def outline(shape, width=STROKE):
    """The stroke along a shape's edge, centred on it."""
    return lambda x, y: abs(shape(x, y)) - width / 2


def inflate(shape, amount):
    return lambda x, y: shape(x, y) - amount


def translate(shape, dx, dy):
    return lambda x, y: shape(x - dx, y - dy)


# ---------------------------------------------------------------------------------------------
# Rendering


def render(width, height, layers):
    """Rows (top first) of straight-alpha (r, g, b, a) pixels.

    layers: (shape, (r, g, b)) painted in order; shape is a signed distance, or
    ("field", f) for a smooth alpha field f(x, y) in 0..1 sampled once per pixel centre.
    """
    sub = 1.0 / SUPERSAMPLE
    offsets = [(i + 0.5) * sub for i in range(SUPERSAMPLE)]
    rows = []
    for py in range(height):
        row = []
        for px in range(width):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied
            for shape, colour in layers:
                cover = coverage(shape, px, py, offsets, sub)
                if cover <= 0.0:
                    continue
                keep = 1.0 - cover
                acc = [acc[0] * keep + colour[0] / 255.0 * cover,
                       acc[1] * keep + colour[1] / 255.0 * cover,
                       acc[2] * keep + colour[2] / 255.0 * cover,
                       acc[3] * keep + cover]
            alpha = acc[3]
            if alpha > 0.0:
                rgb = tuple(min(255, int(round(255.0 * c / alpha))) for c in acc[:3])
            else:
                rgb = (0, 0, 0)
            row.append(rgb + (int(round(alpha * 255.0)),))
        rows.append(row)
    return rows


def coverage(shape, px, py, offsets, sub):
    if isinstance(shape, tuple):
        return max(0.0, min(1.0, shape[1](px + 0.5, py + 0.5)))
    # A pixel whose centre lies well away from every edge is wholly in or out.
    d = shape(px + 0.5, py + 0.5)
    if d >= 0.75:
        return 0.0
    if d <= -0.75:
        return 1.0
    total = 0.0
    for oy in offsets:
        for ox in offsets:
            total += max(0.0, min(1.0, 0.5 - shape(px + ox, py + oy) / sub))
    return total / (len(offsets) ** 2)


def png_bytes(rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = bytearray()
    for row in rows:
        raw.append(0)  # filter: none
        for pixel in row:
            raw += bytes(pixel)
    ihdr = struct.pack(">IIBBBBB", len(rows[0]), len(rows), 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


# ---------------------------------------------------------------------------------------------
# Toolbar glyphs on the 22x22 grid (centre 11, 11). Straight strokes lie on whole pixels, so
# they stay sharp at 100 % and become exactly three pixels wide at 150 %.


def glyph_back():
    # The phone's back key: a left-pointing triangle.
    return outline(polygon([(5.0, 11.0), (16.0, 4.6), (16.0, 17.4)]))


def glyph_home():
    return outline(circle(11, 11, 6.5))


def glyph_menu():
    return union(*(segment(5, y, 17, y) for y in (6, 11, 16)))


def glyph_screenshot():
    # Four corner brackets of a frame around a dot.
    arm = 4.0
    lo, hi = 4.0, 18.0
    brackets = []
    for cx, sx in ((lo, 1), (hi, -1)):
        for cy, sy in ((lo, 1), (hi, -1)):
            brackets.append(polyline([(cx + sx * arm, cy), (cx, cy), (cx, cy + sy * arm)]))
    return union(circle(11, 11, 2.5), *brackets)


def glyph_rotation():
    # A phone with an arrow turning clockwise over its top right corner.
    phone = outline(box(5, 8, 13, 19, 1.5))
    turn = arc(9, 12, 8.0, 262, 338)
    end = math.radians(345)
    return union(phone, turn, arrow_head(9 + 8.0 * math.cos(end), 12 + 8.0 * math.sin(end), 90, 4.0))


def glyph_camera():
    body = union(box(3, 7, 19, 18, 2.0), box(8, 4.5, 14, 8, 1.0))
    return union(outline(body), outline(circle(11, 12.5, 3.0)))


def speaker():
    return polygon([(3, 8), (6, 8), (10, 4.5), (10, 17.5), (6, 14), (3, 14)])


def glyph_volume_up():
    return union(speaker(), segment(13.5, 11, 18.5, 11), segment(16, 8.5, 16, 13.5))


def glyph_volume_down():
    return union(speaker(), segment(13.5, 11, 18.5, 11))


def glyph_qrcode():
    # Three finder squares and five modules in the fourth corner.
    def finder(x, y):
        return union(subtract(box(x, y, x + 8, y + 8, 1.2), box(x + 2, y + 2, x + 6, y + 6)),
                     box(x + 3, y + 3, x + 5, y + 5))
    modules = [box(x, y, x + 2, y + 2) for x, y in ((12, 12), (18, 12), (15, 15), (12, 18), (18, 18))]
    return union(finder(2, 2), finder(12, 2), finder(2, 12), *modules)


def glyph_restart():
    # A circle broken at the top right, its end an arrow going round.
    turn = arc(11, 11.5, 6.5, 300, 240)
    tip = (11 + 6.5 * math.cos(math.radians(246)), 11.5 + 6.5 * math.sin(math.radians(246)))
    return union(turn, arrow_head(tip[0] + 0.5, tip[1] - 0.3, 328))


def glyph_quality():
    # "HD" in a rounded frame.
    frame = outline(box(2, 5, 20, 17, 2.5))
    w = 1.6
    h = union(segment(6, 8.5, 6, 13.5, w), segment(9.5, 8.5, 9.5, 13.5, w),
              segment(6, 11, 9.5, 11, w))
    d = union(segment(12.5, 8.5, 12.5, 13.5, w), segment(12.5, 8.5, 13.6, 8.5, w),
              segment(12.5, 13.5, 13.6, 13.5, w), arc(13.6, 11, 2.5, 270, 90, w))
    return union(frame, h, d)


def glyph_keyboard():
    body = outline(box(3, 5, 19, 17, 2.0))
    keys = [box(x, y, x + 2, y + 2) for y in (7, 10) for x in (6, 10, 14)]
    space = segment(8, 14, 14, 14, 1.0)
    return union(body, space, *keys)


def pin_shape():
    # A push pin standing upright: cap, body widening to a plate.
    return union(box(7, 3, 15, 5.5, 1.0),
                 polygon([(8.6, 5.0), (13.4, 5.0), (14.2, 11.0), (7.8, 11.0)]),
                 box(5, 10.5, 17, 13, 1.0))


def glyph_pin(filled):
    needle = segment(11, 13, 11, 19)
    return union(pin_shape() if filled else outline(pin_shape(), 1.6), needle)


# Caption glyphs on a 12x12 grid, one pixel wide as the system draws its own.
def glyph_minimise():
    return segment(1.5, 6.5, 10.5, 6.5, 1.0)


def glyph_close():
    # Centred on a pixel centre, so both strokes run through whole pixels.
    return union(segment(1.5, 1.5, 9.5, 9.5, 1.1), segment(9.5, 1.5, 1.5, 9.5, 1.1))


# ---------------------------------------------------------------------------------------------
# The image list


TOOLBAR = "public/button/toolbar/"
CAPTION = "public/button/caption/"
COMBO = "public/combo/"

# Size of the pin button in the caption bar, as of the minimise and close buttons beside it; the
# pin images cover it, with the glyph in the middle.
PIN_BUTTON = 32
PIN_GLYPH_AT = (PIN_BUTTON - GLYPH) // 2


def glyph_image(shape, colour, size=GLYPH):
    return lambda: render(size, size, [(shape, colour)])


def pin_image(filled, colour):
    shape = translate(glyph_pin(filled), PIN_GLYPH_AT, PIN_GLYPH_AT)
    return lambda: render(PIN_BUTTON, PIN_BUTTON, [(shape, colour)])


def combo_frame(fill, border):
    # A 16x16 rounded frame whose corners fit the 4-pixel nine-grid corners.
    outer = box(0.0, 0.0, 16.0, 16.0, 3.5)
    inner = box(1.0, 1.0, 15.0, 15.0, 2.5)
    return lambda: render(16, 16, [(outer, border), (inner, fill)])


def combo_arrow():
    shape = polyline([(1.2, 1.4), (5.0, 5.0), (8.8, 1.4)], 1.5)
    return lambda: render(10, 7, [(shape, GLYPH_GREY)])


def shadow():
    # Content inset by the shadow padding (14) with the content's 3-pixel round corners; the
    # shadow is that shape blurred (Gaussian, sigma 4.5) and lowered by one pixel, at most 28 %
    # black. 64 = two 30-pixel corners and a 4-pixel middle that the nine-grid stretches.
    size, inset, sigma, strength = 64, 14.0, 4.5, 0.28
    content = box(inset, inset + 1.0, size - inset, size - inset + 1.0, 3.0)

    def alpha(x, y):
        return strength * 0.5 * math.erfc(content(x, y) / (sigma * math.sqrt(2.0)))
    return lambda: render(size, size, [(("field", alpha), (0, 0, 0))])


def image_table():
    """Relative path -> a function that draws the image (rows of RGBA pixels)."""
    table = {}
    glyphs = {
        "back": glyph_back(), "home": glyph_home(), "menu": glyph_menu(),
        "screenshot": glyph_screenshot(), "rotation": glyph_rotation(),
        "camera": glyph_camera(), "volume_up": glyph_volume_up(),
        "volume_down": glyph_volume_down(), "qrcode": glyph_qrcode(),
        "restart": glyph_restart(), "quality": glyph_quality(),
    }
    for name, shape in glyphs.items():
        table[TOOLBAR + "toolbar_%s_normal.png" % name] = glyph_image(shape, GLYPH_GREY)
        table[TOOLBAR + "toolbar_%s_hover.png" % name] = glyph_image(shape, ACCENT)
    keyboard = glyph_keyboard()
    table[TOOLBAR + "toolbar_keyboard_normal.png"] = glyph_image(keyboard, GLYPH_GREY)
    table[TOOLBAR + "toolbar_keyboard_hovered.png"] = glyph_image(keyboard, ACCENT_ON_DARK)
    table[TOOLBAR + "toolbar_keyboard_hovered_light.png"] = glyph_image(keyboard, ACCENT_ON_LIGHT)
    table[TOOLBAR + "toolbar_pin_normal.png"] = pin_image(False, GLYPH_GREY)
    table[TOOLBAR + "toolbar_pin_hover.png"] = pin_image(False, ACCENT)
    table[TOOLBAR + "toolbar_pin_active.png"] = pin_image(True, ACCENT_ON_DARK)
    table[TOOLBAR + "toolbar_pin_active_light.png"] = pin_image(True, ACCENT_ON_LIGHT)

    table[CAPTION + "caption_minimize_normal.png"] = glyph_image(glyph_minimise(), GLYPH_GREY, 12)
    table[CAPTION + "caption_minimize_hover.png"] = glyph_image(glyph_minimise(), ACCENT, 12)
    table[CAPTION + "caption_close_normal.png"] = glyph_image(glyph_close(), GLYPH_GREY, 12)
    table[CAPTION + "caption_close_hover.png"] = glyph_image(glyph_close(), WHITE, 12)

    table[COMBO + "combo_light_normal.png"] = combo_frame((255, 255, 255), (208, 212, 218))
    table[COMBO + "combo_light_hover.png"] = combo_frame((255, 255, 255), ACCENT)
    table[COMBO + "combo_dark_normal.png"] = combo_frame((43, 45, 49), (67, 70, 77))
    table[COMBO + "combo_dark_hover.png"] = combo_frame((47, 49, 54), ACCENT_ON_DARK)
    table[COMBO + "combo_arrow.png"] = combo_arrow()

    table["public/bk/bk_shadow.png"] = shadow()
    return table


# ---------------------------------------------------------------------------------------------
# Contact sheet: every image on the light and the dark window colour, at 100 % and stretched to
# 150 % the way the library stretches (nearest pixel), magnified for viewing.

LIGHT_BACKGROUND = (245, 246, 248)
DARK_BACKGROUND = (32, 33, 36)
SHEET_COLUMNS = 10


def scale_nearest(rows, factor):
    height, width = len(rows), len(rows[0])
    return [[rows[int(y / factor)][int(x / factor)] for x in range(int(width * factor))]
            for y in range(int(height * factor))]


def sheet_panel(images, factor, background):
    """The images in a grid of SHEET_COLUMNS, each in a cell of the largest image's size."""
    pictures = [scale_nearest(rows, factor) if factor != 1 else rows for rows in images]
    gap = 6
    cell_w = max(len(p[0]) for p in pictures) + gap
    cell_h = max(len(p) for p in pictures) + gap
    grid_rows = (len(pictures) + SHEET_COLUMNS - 1) // SHEET_COLUMNS
    panel = [[background] * (gap + SHEET_COLUMNS * cell_w) for _ in range(gap + grid_rows * cell_h)]
    for index, picture in enumerate(pictures):
        left = gap + (index % SHEET_COLUMNS) * cell_w
        top = gap + (index // SHEET_COLUMNS) * cell_h
        for dy, line in enumerate(picture):
            for dx, (r, g, b, a) in enumerate(line):
                t = a / 255.0
                panel[top + dy][left + dx] = tuple(
                    int(round(c * t + k * (1.0 - t))) for c, k in zip((r, g, b), background))
    return panel


def write_sheet(path, table, magnify=2):
    images = [draw() for draw in table.values()]
    panels = [sheet_panel(images, factor, background)
              for factor in (1, 1.5) for background in (LIGHT_BACKGROUND, DARK_BACKGROUND)]
    width = max(len(p[0]) for p in panels)
    sheet = []
    for panel in panels:
        sheet += [line + [(255, 255, 255)] * (width - len(line)) for line in panel]
    magnified = [[pixel + (255,) for pixel in line for _ in range(magnify)]
                 for line in sheet for _ in range(magnify)]
    with open(path, "wb") as f:
        f.write(png_bytes(magnified))


def write_images(theme_dir, table):
    for name, draw in table.items():
        path = os.path.join(theme_dir, *name.split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        tmp = path + ".tmp"
        with open(tmp, "wb") as f:
            f.write(png_bytes(draw()))
        os.replace(tmp, path)


def main(argv):
    table = image_table()
    if len(argv) == 2 and argv[1] == "--list":
        sys.stdout.write("".join(name + "\n" for name in table))
        return 0
    if len(argv) == 3 and argv[1] == "--sheet":
        write_sheet(argv[2], table)
        return 0
    if len(argv) != 2 or argv[1].startswith("--"):
        sys.stderr.write("usage: make_skin_images.py <theme-dir> | --list | --sheet <file.png>\n")
        return 2
    write_images(argv[1], table)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
