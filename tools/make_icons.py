#!/usr/bin/env python3
"""Draws the program's two icons and writes them as Windows .ico files.

    tools/make_icons.py <output-dir>

Writes "app_icon.ico" (icon group 101: the main window and the taskbar) and "phone_icon.ico"
(icon group 102: every pop-out phone window). Both show a rounded phone glyph; the app icon sits
it on the main window's dark background colour. The pictures are computed here with plain Python
(supersampled signed-distance shapes), so the build needs no image tools and the result is the
same on every machine.

Small sizes are stored as 32-bit DIBs with an AND mask, which every Windows version reads; the
256-pixel image is stored as PNG, as Windows itself does for large icon images.
"""

import os
import struct
import sys
import zlib

SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
# Samples per pixel edge: small images need more to keep their edges smooth.
SMALL_SUPERSAMPLE = 4
LARGE_SUPERSAMPLE = 2

# Colours as (r, g, b).
BACKGROUND = (15, 23, 42)       # the main window's class brush
PHONE_BODY = (56, 189, 248)     # light cyan-blue
PHONE_SCREEN = (15, 23, 42)
CLOUD = (125, 211, 252)
PHONE_DETAIL = (224, 242, 254)


def rounded_box_distance(px, py, cx, cy, half_w, half_h, radius):
    """Signed distance from (px, py) to a rounded rectangle centred at (cx, cy); < 0 inside."""
    qx = abs(px - cx) - (half_w - radius)
    qy = abs(py - cy) - (half_h - radius)
    outside = (max(qx, 0.0) ** 2 + max(qy, 0.0) ** 2) ** 0.5
    return outside + min(max(qx, qy), 0.0) - radius


def circle_distance(px, py, cx, cy, r):
    return ((px - cx) ** 2 + (py - cy) ** 2) ** 0.5 - r


def phone_layers(with_background):
    """The glyph as an ordered list of (distance function, colour); later layers paint over."""
    layers = []
    if with_background:
        layers.append((lambda x, y: rounded_box_distance(x, y, 0.5, 0.5, 0.5, 0.5, 0.22), BACKGROUND))
    # Body, screen, cloud, earpiece slot and home dot. Units are
    # fractions of the icon's edge, origin top-left.
    layers.append((lambda x, y: rounded_box_distance(x, y, 0.5, 0.5, 0.25, 0.42, 0.09), PHONE_BODY))
    layers.append((lambda x, y: rounded_box_distance(x, y, 0.5, 0.49, 0.195, 0.30, 0.03), PHONE_SCREEN))
    # A small cloud on the screen: three puffs over a flat base.
    layers.append((lambda x, y: min(circle_distance(x, y, 0.43, 0.50, 0.065),
                                    circle_distance(x, y, 0.53, 0.465, 0.085),
                                    circle_distance(x, y, 0.60, 0.51, 0.055),
                                    rounded_box_distance(x, y, 0.515, 0.53, 0.12, 0.035, 0.035)), CLOUD))
    layers.append((lambda x, y: rounded_box_distance(x, y, 0.5, 0.135, 0.06, 0.012, 0.012), PHONE_DETAIL))
    layers.append((lambda x, y: circle_distance(x, y, 0.5, 0.865, 0.035), PHONE_DETAIL))
    return layers


def render(size, layers):
    """Returns rows (top first) of straight-alpha (r, g, b, a) pixels, each channel 0..255."""
    rows = []
    n = SMALL_SUPERSAMPLE if size <= 64 else LARGE_SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied accumulation
            for sy in range(n):
                for sx in range(n):
                    x = (px + (sx + 0.5) / n) / size
                    y = (py + (sy + 0.5) / n) / size
                    r = g = b = a = 0.0
                    for dist, colour in layers:
                        if dist(x, y) < 0.0:
                            r, g, b = (c / 255.0 for c in colour)
                            a = 1.0
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            samples = float(n * n)
            alpha = acc[3] / samples
            if alpha > 0.0:
                rgb = tuple(int(round(255.0 * c / acc[3])) for c in acc[:3])
            else:
                rgb = (0, 0, 0)
            row.append(rgb + (int(round(alpha * 255.0)),))
        rows.append(row)
    return rows


def dib_image(size, rows):
    """A 32-bit BITMAPINFOHEADER image with its AND mask, as stored inside an .ico."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(rows):  # bottom-up
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + bytes(xor) + bytes(mask)


def png_image(size, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = bytearray()
    for row in rows:
        raw.append(0)  # filter: none
        for pixel in row:
            raw += bytes(pixel)
    ihdr = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


def ico_file(images):
    """images: list of (size, bytes). Returns the bytes of an .ico with one entry per image."""
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        edge = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", edge, edge, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    return bytes(out)


def make_icon(path, with_background):
    layers = phone_layers(with_background)
    images = []
    for size in SIZES:
        rows = render(size, layers)
        images.append((size, png_image(size, rows) if size >= 256 else dib_image(size, rows)))
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(ico_file(images))
    os.replace(tmp, path)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_icons.py <output-dir>\n")
        return 2
    out_dir = argv[1]
    os.makedirs(out_dir, exist_ok=True)
    make_icon(os.path.join(out_dir, "app_icon.ico"), with_background=True)
    make_icon(os.path.join(out_dir, "phone_icon.ico"), with_background=False)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
