#!/usr/bin/env python3
"""Writes the PNG samples of the codec tests with ImageMagick, as other programs make them.

Each picture is drawn here by a formula (the tests compute the same one), written as a PPM,
PGM or PAM file and converted by ImageMagick into the PNG variants below. The PNGs are kept in
the repository, so the tests need no ImageMagick; run this again only to change them:
    tests/data/png/make-samples.py    (CONVERT=... names ImageMagick's convert, default convert)
"""
import os
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
CONVERT = os.environ.get("CONVERT", "convert")
W, H = 13, 7  # an odd width, so that BMP rows are padded


def colour(k):
    """The k-th colour of a palette picture: all different, none grey."""
    return (k, 255 - k, (k * 7 + 1) & 255)


def index(x, y, n):
    return (x + 3 * y) % n


def grey(x, y):
    return (x * 17 + y * 29) & 255


def grey16(x, y):
    return (x * 4099 + y * 7919 + 129) & 0xFFFF


def rgb(x, y):
    return ((x * 20) & 255, (y * 30 + 5) & 255, (x * y * 5 + 9) & 255)


def rgb16(x, y):
    return ((x * 5003 + 77) & 0xFFFF, (y * 9001 + 128) & 0xFFFF, (x * y * 611 + 32767) & 0xFFFF)


def alpha(x, y):
    return ((x + y) * 20) & 255


def write_pnm(path, magic, maxval, channels, pixel):
    wide = maxval > 255
    with open(path, "wb") as f:
        if magic == "P7":
            tuple_type = {2: "GRAYSCALE_ALPHA", 4: "RGB_ALPHA"}[channels]
            f.write(f"P7\nWIDTH {W}\nHEIGHT {H}\nDEPTH {channels}\nMAXVAL {maxval}\n"
                    f"TUPLTYPE {tuple_type}\nENDHDR\n".encode())
        else:
            f.write(f"{magic}\n{W} {H}\n{maxval}\n".encode())
        for y in range(H):
            for x in range(W):
                for v in pixel(x, y):
                    f.write(v.to_bytes(2, "big") if wide else bytes([v]))


def convert(source, target, *options, prefix=""):
    subprocess.run([CONVERT, source, *options, prefix + os.path.join(HERE, target)], check=True)


def convert_palette(source, target, depth, *options):
    # Without the ancillary chunks the palette holds only the picture's colours.
    convert(source, target, "-strip", "-define", f"png:bit-depth={depth}", *options,
            prefix="PNG8:")


def main():
    with tempfile.TemporaryDirectory() as tmp:
        def src(name):
            return os.path.join(tmp, name)

        for n, depth in ((2, 1), (4, 2), (16, 4), (256, 8)):
            write_pnm(src(f"p{n}.ppm"), "P6", 255, 3, lambda x, y, n=n: colour(index(x, y, n)))
            convert_palette(src(f"p{n}.ppm"), f"palette-{depth}bit.png", depth)
        write_pnm(src("grey.pgm"), "P5", 255, 1, lambda x, y: (grey(x, y),))
        convert(src("grey.pgm"), "grey-8bit.png", "-define", "png:color-type=0", "-depth", "8")
        write_pnm(src("grey16.pgm"), "P5", 65535, 1, lambda x, y: (grey16(x, y),))
        convert(src("grey16.pgm"), "grey-16bit.png", "-define", "png:color-type=0", "-depth", "16")
        write_pnm(src("rgb.ppm"), "P6", 255, 3, rgb)
        convert(src("rgb.ppm"), "rgb-8bit.png", "-define", "png:color-type=2")
        convert(src("rgb.ppm"), "rgb-8bit-interlaced.png", "-define", "png:color-type=2",
                "-interlace", "PNG")
        write_pnm(src("rgb16.ppm"), "P6", 65535, 3, rgb16)
        convert(src("rgb16.ppm"), "rgb-16bit.png", "-define", "png:color-type=2", "-depth", "16")
        write_pnm(src("rgba.pam"), "P7", 255, 4, lambda x, y: (*rgb(x, y), alpha(x, y)))
        convert(src("rgba.pam"), "rgba-8bit.png", "-define", "png:color-type=6")
        write_pnm(src("rgba16.pam"), "P7", 65535, 4,
                  lambda x, y: (*rgb16(x, y), alpha(x, y) * 257))
        convert(src("rgba16.pam"), "rgba-16bit.png", "-define", "png:color-type=6", "-depth", "16")
        # A palette picture whose colour 0 is fully transparent: a palette with a tRNS chunk.
        write_pnm(src("p16a.pam"), "P7", 255, 4,
                  lambda x, y: (*colour(index(x, y, 16)), 0 if index(x, y, 16) == 0 else 255))
        convert_palette(src("p16a.pam"), "palette-4bit-trns.png", 4)
        convert_palette(src("p16.ppm"), "palette-4bit-interlaced.png", 4, "-interlace", "PNG")


if __name__ == "__main__":
    main()
