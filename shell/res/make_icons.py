#!/usr/bin/env python3
"""Draws Quorvalen's two icons: a wood cross-section with a few vessels, the conduits the
program measures, each a dark cell wall around a pale open lumen.

Writes 16-colour (4 bits per pixel) Windows icon files:
  quorvalen.ico  group 107: 32x32 and 16x16 (the class icon and the About box's picture)
  small.ico      group 108: 16x16 (the small class icon)
Run from anywhere: python3 shell/res/make_icons.py  (the files land beside this script).
The output is deterministic, so regenerating leaves the committed files unchanged.
"""
import os
import struct

# The 16-entry palette (red, green, blue). Wood tones first; the rest stay black.
PALETTE = [
    (0x00, 0x00, 0x00),  # 0 unused (masked corners)
    (0x4a, 0x2c, 0x12),  # 1 cell wall, dark
    (0x7a, 0x4e, 0x24),  # 2 cell wall, lit edge
    (0xc8, 0x9a, 0x5e),  # 3 latewood fibres
    (0xdc, 0xb4, 0x78),  # 4 earlywood fibres
    (0xe8, 0xc8, 0x94),  # 5 wood, light
    (0xfb, 0xf4, 0xe4),  # 6 open lumen
    (0xa8, 0x78, 0x40),  # 7 ray
] + [(0, 0, 0)] * 8

WALL, WALL_LIT, LATE, EARLY, LIGHT, LUMEN, RAY = 1, 2, 3, 4, 5, 6, 7

# Vessels as (centre x, centre y, radius x, radius y) in a unit square: round and oval
# lumens of different sizes, as a transverse section of a diffuse-porous wood shows them.
VESSELS_LARGE = [
    (0.31, 0.33, 0.22, 0.24),
    (0.72, 0.26, 0.15, 0.15),
    (0.68, 0.69, 0.22, 0.18),
    (0.22, 0.77, 0.13, 0.15),
    (0.90, 0.90, 0.07, 0.07),
]
VESSELS_SMALL = [
    (0.31, 0.31, 0.25, 0.26),
    (0.77, 0.25, 0.17, 0.17),
    (0.66, 0.72, 0.27, 0.22),
    (0.19, 0.80, 0.14, 0.15),
]


def wood(x, y, size):
    """Background: fibres in bands of early and late wood, and one ray across them."""
    if size >= 32 and x == size // 2 - 1 and (y % 6) != 5:
        return RAY
    band = (y * 8 // size) % 4
    return (LIGHT, EARLY, EARLY, LATE)[band]


def vessel_colour(x, y, size, vessels, wall):
    """Lumen or wall colour where a vessel covers the pixel centre, else None."""
    px, py = (x + 0.5) / size, (y + 0.5) / size
    for cx, cy, rx, ry in vessels:
        dx, dy = px - cx, py - cy
        outer = (dx / rx) ** 2 + (dy / ry) ** 2
        if outer > 1.0:
            continue
        irx, iry = rx - wall / size, ry - wall / size
        inner = (dx / irx) ** 2 + (dy / iry) ** 2
        if inner <= 1.0:
            return LUMEN
        # Light falls from the top left: the wall facing it is a shade lighter.
        return WALL_LIT if dx + dy < 0 else WALL
    return None


def corner_masked(x, y, size):
    """Rounded corners: the outermost pixel of each corner is transparent."""
    last = size - 1
    return (x in (0, last)) and (y in (0, last))


def draw(size, vessels, wall):
    pixels, mask = [], []
    for y in range(size):
        row, mask_row = [], []
        for x in range(size):
            colour = vessel_colour(x, y, size, vessels, wall)
            row.append(colour if colour is not None else wood(x, y, size))
            masked = corner_masked(x, y, size)
            mask_row.append(1 if masked else 0)
            if masked:
                row[-1] = 0
        pixels.append(row)
        mask.append(mask_row)
    return pixels, mask


def padded(row_bytes):
    return row_bytes + b"\0" * (-len(row_bytes) % 4)


def dib(pixels, mask):
    """The icon image: BITMAPINFOHEADER (height doubled for the mask), palette, colour
    rows and mask rows, both bottom-up and padded to 4 bytes."""
    size = len(pixels)
    colour_rows = b""
    mask_rows = b""
    for y in reversed(range(size)):
        row = pixels[y]
        colour_rows += padded(bytes((row[x] << 4) | row[x + 1] for x in range(0, size, 2)))
        bits = mask[y]
        mask_rows += padded(bytes(
            sum(bits[x + i] << (7 - i) for i in range(8)) for x in range(0, size, 8)))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0,
                         len(colour_rows) + len(mask_rows), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + colour_rows + mask_rows


def icon_file(images):
    """An .ico file: ICONDIR, one ICONDIRENTRY per image, then the images."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries, data = b"", b""
    for size, image in images:
        entries += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset + len(data))
        data += image
    return directory + entries + data


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    large = dib(*draw(32, VESSELS_LARGE, 1.6))
    small = dib(*draw(16, VESSELS_SMALL, 1.1))
    with open(os.path.join(here, "quorvalen.ico"), "wb") as out:
        out.write(icon_file([(32, large), (16, small)]))
    with open(os.path.join(here, "small.ico"), "wb") as out:
        out.write(icon_file([(16, small)]))


if __name__ == "__main__":
    main()
