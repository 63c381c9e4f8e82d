"""varnelo-render's picture forms against independent encoders and decoders.

ImageMagick and Pillow write TGA files of every kind the reader takes, from pictures this
script draws; varnelo-render turns each into a BMP, which must hold the pixels ImageMagick
reads from the same TGA, and which ImageMagick and Pillow must both read back alike.
Usage: picture_forms_test.py PATH/TO/varnelo-render
"""
import os
import subprocess
import sys
import tempfile

from PIL import Image

RENDER = sys.argv[1]
WIDTH, HEIGHT = 13, 7  # neither a multiple of 4, so BMP rows carry padding

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def draw_colour(alpha):
    """Every channel varies, low bits included, so that no byte order or row mix-up hides."""
    picture = Image.new("RGBA" if alpha else "RGB", (WIDTH, HEIGHT))
    for y in range(HEIGHT):
        for x in range(WIDTH):
            r, g, b = (x * 19 + 3) % 256, (y * 37 + 5) % 256, (x * y * 11 + 7) % 256
            picture.putpixel((x, y), (r, g, b, (x + y) * 17 % 256) if alpha else (r, g, b))
    return picture


def draw_palette():
    """Few enough colours for a colour map, placed so that rows differ."""
    colours = [((i * 53) % 256, (i * 97) % 256, (i * 151 + 9) % 256) for i in range(23)]
    picture = Image.new("RGB", (WIDTH, HEIGHT))
    for y in range(HEIGHT):
        for x in range(WIDTH):
            picture.putpixel((x, y), colours[(x + 3 * y) % len(colours)])
    return picture


def draw_grey():
    picture = Image.new("L", (WIDTH, HEIGHT))
    for y in range(HEIGHT):
        for x in range(WIDTH):
            picture.putpixel((x, y), (x * 29 + y * 41 + 1) % 256)
    return picture


def header(path):
    with open(path, "rb") as f:
        data = f.read(18)
    return {"type": data[2], "depth": data[16], "top": bool(data[17] & 0x20)}


def imagemagick_rgb(path, orient=True):
    command = ["convert", path] + (["-auto-orient"] if orient else []) + ["-depth", "8", "rgb:-"]
    return subprocess.run(command, check=True, capture_output=True).stdout


def pillow_rgb(path):
    with Image.open(path) as picture:
        return picture.convert("RGB").tobytes()


def shift_rule(rgb):
    """16-bit pixels keep 5 bits a channel, which the reader widens by a plain shift (31 to
    248); ImageMagick scales them (31 to 255). Take the 5-bit value back and shift it."""
    return bytes((round(v * 31 / 255)) << 3 for v in rgb)


def render(form, tga, bmp):
    return subprocess.run([RENDER, form, tga, "-o", bmp], capture_output=True, text=True)


def write_cases(folder):
    """(name, path, expected type, depth or None, top row first) for each file written."""
    colour, alpha, palette, grey = draw_colour(False), draw_colour(True), draw_palette(), draw_grey()
    sources = {}
    for name, picture in (("colour", colour), ("alpha", alpha), ("palette", palette), ("grey", grey)):
        sources[name] = os.path.join(folder, name + ".png")
        picture.save(sources[name])

    cases = []
    magick = [
        ("colour", ["-type", "TrueColor"], 2, 24),
        ("alpha", ["-type", "TrueColorAlpha"], 2, 32),
        ("colour", ["-type", "TrueColor", "-depth", "5"], 2, 16),
        ("palette", ["-type", "Palette"], 1, None),
        ("grey", ["-type", "Grayscale"], 3, None),
    ]
    for source, options, kind, depth in magick:
        for rle in (False, True):
            for top in (False, True):
                name = "im-%s-%d-%s%s%s" % (source, kind, depth or 8, "-rle" if rle else "", "-top" if top else "")
                path = os.path.join(folder, name + ".tga")
                command = ["convert", sources[source]] + options
                command += ["-compress", "RLE"] if rle else ["-compress", "None"]
                command += ["-orient", "TopLeft"] if top else []
                subprocess.run(command + [path], check=True)
                cases.append((name, path, kind + (8 if rle else 0), depth, top))

    pillow = [("colour", colour, 2, 24), ("alpha", alpha, 2, 32), ("palette", palette.quantize(64), 1, None),
              ("grey", grey, 3, None)]
    for source, picture, kind, depth in pillow:
        for rle in (False, True):
            for top in (False, True):
                name = "pil-%s-%d%s%s" % (source, kind, "-rle" if rle else "", "-top" if top else "")
                path = os.path.join(folder, name + ".tga")
                picture.save(path, compression="tga_rle" if rle else None, orientation=1 if top else -1)
                cases.append((name, path, kind + (8 if rle else 0), depth, top))
    return cases


def check_picture_forms(folder):
    for name, path, kind, depth, top in write_cases(folder):
        fields = header(path)
        if not check(fields["type"] == kind and fields["top"] == top and (depth is None or fields["depth"] == depth),
                     "%s: the encoder wrote %s, not the kind meant" % (name, fields)):
            continue
        expected = imagemagick_rgb(path)
        if depth == 16:
            expected = shift_rule(expected)
        forms = ["--picture"] + (["--indexed"] if kind & 7 != 2 else [])
        for form in forms:
            bmp = os.path.join(folder, "%s%s.bmp" % (name, form))
            result = render(form, path, bmp)
            if not check(result.returncode == 0 and result.stdout == "" and result.stderr == "",
                         "%s %s: exit %d, %r %r" % (name, form, result.returncode, result.stdout, result.stderr)):
                continue
            check(imagemagick_rgb(bmp, orient=False) == expected,
                  "%s %s: ImageMagick reads other pixels from the BMP than from the TGA" % (name, form))
            check(pillow_rgb(bmp) == expected,
                  "%s %s: Pillow reads other pixels from the BMP than ImageMagick from the TGA" % (name, form))


def main():
    with tempfile.TemporaryDirectory() as folder:
        check_picture_forms(folder)
    for failure in failures:
        print("FAIL", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
