#!/usr/bin/env python3
"""Draws the About window's artwork and the program icon and writes them as PNG files.

Run from anywhere: writes strip.png (50 x 260, 256 colours) and picture.png (32 x 32) next to
this script, and the program icon zarn.png (64 x 64) with its larger sizes for desktops,
zarn-128.png and zarn-256.png, into Mainwin/shell. Plain Python, no imaging library:
shapes are sampled 4 x 4 per pixel and the PNG files are written with zlib.
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
    for size in (128, 256):
        write_png_rgba(os.path.join(shell, "zarn-%d.png" % size), size, size, program_icon(size))
    write_png_rgba(os.path.join(HERE, "picture.png"), 32, 32, picture_icon())
    w, h, palette, indices = strip()
    write_png_indexed(os.path.join(HERE, "strip.png"), w, h, palette, indices)


if __name__ == "__main__":
    main()
