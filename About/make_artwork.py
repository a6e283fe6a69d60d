#!/usr/bin/env python3
"""Draws the About window's artwork and the program icon and writes them as PNG files.

Run from anywhere: writes strip.png (50 x 260, 256 colours) and picture.png (32 x 32) next to
this script, the program icon zarn.png (64 x 64) of the windows into Mainwin/shell, and the
desktop's icons into packaging/icons: the program icon at the other icon-theme sizes from 16
to 512 pixels (zarn-N.png), the CMP file type's icon at all of them (cmp-N.png), and both as
SVG for any size (zarn.svg, cmp.svg), from the same shapes. Plain Python, no imaging library: shapes are
sampled 4 x 4 per pixel and the PNG files are written with zlib.
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SS = 4  # samples per pixel along each axis


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_png_rgba(path, width, height, pixels):
    raw = b"".join(b"\x00" + bytes(c for px in pixels[y * width:(y + 1) * width] for c in px)
                   for y in range(height))
    data = (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + png_chunk(b"IDAT", zlib.compress(raw, 9)) + png_chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(data)


def write_png_indexed(path, width, height, palette, indices):
    raw = b"".join(b"\x00" + bytes(indices[y * width:(y + 1) * width]) for y in range(height))
    plte = b"".join(bytes(c) for c in palette)
    data = (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 3, 0, 0, 0))
            + png_chunk(b"PLTE", plte) + png_chunk(b"IDAT", zlib.compress(raw, 9))
            + png_chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(data)


def inside_polygon(x, y, poly):
    hit = False
    j = len(poly) - 1
    for i in range(len(poly)):
        xi, yi = poly[i]
        xj, yj = poly[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            hit = not hit
        j = i
    return hit


def inside_round_rect(x, y, x0, y0, x1, y1, r):
    if not (x0 <= x <= x1 and y0 <= y <= y1):
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def render(width, height, shade):
    """shade(x, y) gives (r, g, b, a) or None at a sample point in pixel units."""
    out = []
    for py in range(height):
        for px in range(width):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SS):
                for sx in range(SS):
                    c = shade(px + (sx + 0.5) / SS, py + (sy + 0.5) / SS)
                    if c:
                        a = c[3] / 255.0
                        acc[0] += c[0] * a
                        acc[1] += c[1] * a
                        acc[2] += c[2] * a
                        acc[3] += a
            n = SS * SS
            alpha = acc[3] / n
            if alpha <= 0:
                out.append((0, 0, 0, 0))
            else:
                out.append(tuple(int(round(acc[i] / acc[3])) for i in range(3)) + (int(round(alpha * 255)),))
    return out


def tile_colour(i, j):
    """Colour of tile (i, j) of a 4 x 4 mosaic: steps along a teal-to-violet ramp."""
    t = ((i * 3 + j * 5) % 7) / 6.0
    return (int(40 + 120 * t), int(170 - 110 * t), int(190 + 40 * t))


def program_icon(size):
    """A dark tile with a mosaic of palette colours and a bold white Z across it."""
    s = size / 64.0
    z = [(14, 13), (50, 13), (50, 21), (25, 43), (50, 43), (50, 51), (14, 51), (14, 43), (39, 21), (14, 21)]
    z = [(x * s, y * s) for x, y in z]
    shadow = [(x + 2 * s, y + 2 * s) for x, y in z]

    def shade(x, y):
        if not inside_round_rect(x, y, 1 * s, 1 * s, 63 * s, 63 * s, 10 * s):
            return None
        if inside_polygon(x, y, z):
            return (250, 250, 255, 255)
        if inside_polygon(x, y, shadow):
            return (8, 12, 30, 255)
        # the mosaic of palette colours behind the letter, darkened towards the rim
        col = tile_colour(min(3, int((x - 4 * s) / (14 * s))), min(3, int((y - 4 * s) / (14 * s))))
        d = max(abs(x - 32 * s), abs(y - 32 * s)) / (31 * s)
        k = 0.95 - 0.45 * d
        if inside_round_rect(x, y, 4 * s, 4 * s, 60 * s, 60 * s, 8 * s):
            return tuple(int(c * k) for c in col) + (255,)
        return (20, 28, 60, 255)

    return render(size, size, shade)


def program_icon_svg():
    """The program icon as SVG on its 64-unit grid: tiles, shadow and letter as above."""
    z = "14,13 50,13 50,21 25,43 50,43 50,51 14,51 14,43 39,21 14,21"
    shadow = " ".join("%d,%d" % (int(x) + 2, int(y) + 2) for x, y in
                      (p.split(",") for p in z.split()))
    tiles = []
    for j in range(4):
        for i in range(4):
            # each tile darkened as the bitmaps darken it at its centre
            k = 0.95 - 0.45 * max(abs(i - 1.5), abs(j - 1.5)) * 14 / 31
            r, g, b = (int(c * k) for c in tile_colour(i, j))
            tiles.append('<rect x="%d" y="%d" width="14" height="14" fill="#%02x%02x%02x"/>'
                         % (4 + 14 * i, 4 + 14 * j, r, g, b))
    # The frame is drawn over the tiles as a ring (even-odd), which rounds the mosaic's corners.
    frame = ("M11,1H53A10,10 0 0 1 63,11V53A10,10 0 0 1 53,63H11A10,10 0 0 1 1,53V11A10,10 0 0 1 11,1Z"
             "M12,4A8,8 0 0 0 4,12V52A8,8 0 0 0 12,60H52A8,8 0 0 0 60,52V12A8,8 0 0 0 52,4Z")
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">\n'
            + "".join(tiles) + '\n'
            '<path d="%s" fill="#141c3c" fill-rule="evenodd"/>\n'
            '<polygon points="%s" fill="#080c1e"/>\n'
            '<polygon points="%s" fill="#fafaff"/>\n</svg>\n' % (frame, shadow, z))


def cmp_colour(i, j):
    """Swatch (i, j) of the CMP icon's 4 x 4 grid: a ramp of hues, lighter row by row."""
    hue = i / 4.0 + j / 16.0
    light = 0.35 + 0.15 * j
    r, g, b = (max(0.0, min(1.0, abs((hue * 6 + k) % 6 - 3) - 1)) for k in (0, 4, 2))
    return tuple(int(255 * min(1.0, light + (c - 0.5) * 0.8 * (1 - abs(light - 0.5)))) for c in (r, g, b))


def cmp_icon(size):
    """A sheet holding a 4 x 4 grid of palette swatches: the CMP colour map file type."""
    s = size / 64.0

    def shade(x, y):
        if not inside_round_rect(x, y, 8 * s, 4 * s, 56 * s, 60 * s, 4 * s):
            return None
        i, j = int((x - 12 * s) / (10.5 * s)), int((y - 12 * s) / (10.5 * s))
        inside = 12 * s <= x < 54 * s and 12 * s <= y < 54 * s
        gap = (x - 12 * s) % (10.5 * s) > 9 * s or (y - 12 * s) % (10.5 * s) > 9 * s
        if inside and not gap and i < 4 and j < 4:
            return cmp_colour(i, j) + (255,)
        return (236, 238, 244, 255)

    return render(size, size, shade)


def cmp_icon_svg():
    swatches = []
    for j in range(4):
        for i in range(4):
            r, g, b = cmp_colour(i, j)
            swatches.append('<rect x="%g" y="%g" width="9" height="9" fill="#%02x%02x%02x"/>'
                            % (12 + 10.5 * i, 12 + 10.5 * j, r, g, b))
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">\n'
            '<rect x="8" y="4" width="48" height="56" rx="4" fill="#eceef4"/>\n'
            + "".join(swatches) + '\n</svg>\n')


def picture_icon():
    """Three image frames fanned out, the front one holding a small landscape."""
    frames = [(3, 3, 22, 20, (40, 70, 140)), (7, 7, 26, 24, (60, 110, 190)), (11, 11, 30, 28, None)]

    def shade(x, y):
        colour = None
        for x0, y0, x1, y1, fill in frames:
            if x0 <= x <= x1 and y0 <= y <= y1:
                edge = x < x0 + 1 or x > x1 - 1 or y < y0 + 1 or y > y1 - 1
                if edge:
                    colour = (230, 236, 255, 255)
                elif fill:
                    colour = fill + (255,)
                else:
                    # front frame: sky, sun, a hill
                    if (x - 24) ** 2 + (y - 15.5) ** 2 <= 4.0:
                        colour = (255, 214, 64, 255)
                    elif y > 22 - 3 * math.sin((x - 11) / 19 * math.pi):
                        colour = (56, 150, 72, 255)
                    else:
                        colour = (120, 200, 240, 255)
        return colour

    return render(32, 32, shade)


def strip():
    """A vertical band of interference waves in blue and aqua, 256 palette colours."""
    palette = []
    for i in range(256):
        t = i / 255.0
        palette.append((int(10 + 40 * t * t), int(20 + 200 * t ** 1.5), int(60 + 195 * t)))
    width, height = 50, 260
    indices = []
    for y in range(height):
        for x in range(width):
            v = (math.sin(x / 6.0 + y / 23.0) + math.sin(y / 11.0 - x / 17.0)
                 + math.sin(math.hypot(x - 25, y - 130) / 9.0)) / 3.0
            fade = 0.55 + 0.45 * math.cos((x - 25) / 25.0 * math.pi / 2)
            indices.append(max(0, min(255, int((v * 0.5 + 0.5) * 255 * fade))))
    return width, height, palette, indices


def main():
    shell = os.path.join(os.path.dirname(HERE), "Mainwin", "shell")
    write_png_rgba(os.path.join(shell, "zarn.png"), 64, 64, program_icon(64))
    icons = os.path.join(os.path.dirname(HERE), "packaging", "icons")
    for size in (16, 22, 24, 32, 48, 64, 128, 256, 512):
        if size != 64:  # the windows' icon serves at 64
            write_png_rgba(os.path.join(icons, "zarn-%d.png" % size), size, size, program_icon(size))
        write_png_rgba(os.path.join(icons, "cmp-%d.png" % size), size, size, cmp_icon(size))
    for name, svg in (("zarn.svg", program_icon_svg()), ("cmp.svg", cmp_icon_svg())):
        with open(os.path.join(icons, name), "w") as f:
            f.write(svg)
    write_png_rgba(os.path.join(HERE, "picture.png"), 32, 32, picture_icon())
    w, h, palette, indices = strip()
    write_png_indexed(os.path.join(HERE, "strip.png"), w, h, palette, indices)


if __name__ == "__main__":
    main()
