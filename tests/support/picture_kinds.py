"""Pictures of every kind each format has, made on the spot: TGAs byte by byte beside the pixels the reader makes
of them; PNG, BMP, GIF and JPEG by Pillow, ImageMagick and jpegtran, for Pillow's decode to judge."""
import itertools, os, pathlib, random, struct, subprocess

from PIL import Image

EXIF = b"Exif\0\0II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0%c\0\0\0\0\0\0\0"  # of one entry, the orientation, a short in the entry


def rle(row):  # equal neighbours as run packets, the values between them as raw packets
    out, groups = b"", [(value, len(list(group))) for value, group in itertools.groupby(row)]
    for alone, stretch in itertools.groupby(groups, key=lambda group: group[1] == 1):
        stretch = list(stretch)
        out += bytes([len(stretch) - 1]) + b"".join(v for v, _ in stretch) if alone else b"".join(bytes([0x7F + n]) + v for v, n in stretch)
    return out


def tgas(folder):
    """Writes each kind; yields its name and the RGB picture the reader makes of it: 5-bit channels shifted left by 3, the
    map's first entry in slot 0 whatever the map start says, rows left to right whatever the right-to-left bit says."""
    noise = random.Random(1)
    # Image kind, bits per pixel and per colour-map entry, each raw and run-length, in both row orders between them.
    for n, (kind, depth, entry) in enumerate([(1, 8, 16), (1, 8, 24), (1, 8, 32), (2, 15, 0), (2, 16, 0), (2, 24, 0), (2, 32, 0), (3, 8, 24)] * 2):
        width, height = (400, 230) if n == 13 else (24 + n, 16 + n % 5)
        entries = [noise.randbytes(entry // 8) for _ in range(40 if entry else 0)]
        pixels = [b""]  # each new or its left neighbour again: runs and raw stretches alike
        for _ in range(width * height):
            new = bytes([noise.randrange(40)]) if kind == 1 else noise.randbytes((depth + 1) // 8)
            pixels.append(pixels[-1] if pixels[-1] and noise.random() < 0.5 else new)
        rows = [pixels[1 + y * width:1 + (y + 1) * width] for y in range(height)]

        def colour(v):
            v = entries[v[0]] if kind == 1 else v * 3 if kind == 3 else v
            return bytes([v[2], v[1], v[0]]) if len(v) > 2 else bytes((int.from_bytes(v, "little") >> at & 31) << 3 for at in (10, 5, 0))
        descriptor = (0, 0x20, 0x10, 0x30)[(n + n // 8) % 4] | (8 if depth == 32 else 0)  # top row first, right to left, alpha bits
        name = "kind%d-%d-%d-%s.tga" % (kind, depth, entry, "rle" if n >= 8 else "raw")
        pathlib.Path(folder, name).write_bytes(struct.pack("<3B2HB4H2B", n, bool(entries), kind | (n >= 8) << 3, 7, len(entries), entry,
                                                           3, 4, width, height, depth, descriptor) + noise.randbytes(n) + b"".join(entries) +
                                               b"".join(rle(row) if n >= 8 else b"".join(row) for row in rows[::1 if descriptor & 0x20 else -1]))
        yield name, Image.frombytes("RGB", (width, height), b"".join(colour(v) for v in pixels[1:]))


def photos(folder):
    """Writes every kind of PNG, BMP, GIF and JPEG into an empty folder; returns their names."""
    noise, at = random.Random(2), lambda name: os.path.join(folder, name)
    colours = [noise.randbytes(3) + bytes([alpha]) for alpha in (0, 40, 128, 200) + (255,) * 12]  # in blocks of 3 x 2
    blocks = Image.frombytes("RGBA", (10, 10), b"".join(colours[i * 7 % 16] for i in range(100))).resize((30, 20), Image.NEAREST)
    rgb = blocks.convert("RGB")
    smooth = rgb.resize((48, 32), Image.BILINEAR)  # for JPEG, no edge sharper than a few pixels
    # stb_image 2.27 weighs the last two chroma samples of a 4:2:2 row the wrong way round (30 levels off here): grey there.
    (edged := smooth.copy()).paste(smooth.crop((32, 0, 48, 32)).convert("L"), (32, 0))
    for name, picture, options in [("pillow-%s.%s" % (mode, form), blocks.convert(mode), {}) for mode, forms in (
            ("1", "png bmp"), ("L", "png bmp"), ("RGB", "png bmp"), ("LA", "png"), ("RGBA", "png")) for form in forms.split()] + [
            ("%s-trns.png" % mode, blocks.convert(mode), {"transparency": blocks.convert(mode).getpixel((0, 0))}) for mode in ("L", "RGB")] + [
            ("palette%d-trns.png" % bits, rgb.quantize(1 << bits), {"bits": bits, "transparency": b"\0\x5a\xff\xa0"}) for bits in (1, 2, 4, 8)] + [
            ("exif%d.%s" % (turn, form), picture, {"exif": EXIF % turn})
            for turn in range(1, 9) for form, picture in (("png", blocks), ("jpg", smooth))] + [
            ("pillow-P.bmp", rgb.quantize(200), {}), ("plain.gif", rgb.quantize(200), {"interlace": 0}),
            ("interlaced-trns.gif", rgb.quantize(64), {"transparency": 3}), ("420.jpg", smooth.resize((400, 260), Image.BILINEAR), {}),
            ("422.jpg", edged, {"subsampling": 1}), ("444.jpg", smooth, {"subsampling": 0}), ("progressive.jpg", smooth, {"progressive": True}),
            ("grey.jpg", smooth.convert("L"), {}), ("cmyk.jpg", smooth.convert("CMYK"), {})]:
        picture.save(at(name), **options)
    deep = b"".join(noise.randbytes(8) for _ in range(16)) * 7  # 16-bit samples whose low bytes count, in 3 x 2 blocks
    for colour, bits in (0, 2), (0, 4), (0, 16), (4, 8), (4, 16), (2, 16), (6, 16), (3, 8):
        subprocess.run(["convert", "-size", "10x10", "-depth", "16", "rgba:-", "-sample", "30x20!", "-interlace", "PNG",
                        "-colorspace", "Gray" if colour in (0, 4) else "sRGB", "-alpha", "on" if colour & 4 else "off",
                        "-define", "png:color-type=%d" % colour, "-define", "png:bit-depth=%d" % bits, at("interlaced-%d-%d.png" % (colour, bits))],
                       input=deep[:800], check=True)
    for name, options in ("4-bit.bmp", "RGB -colors 16 BMP3:"), ("565.bmp", "RGB -define bmp:subtype=RGB565 BMP:"), ("alpha.bmp", "RGBA BMP:"):
        source, *options, form = options.split()
        subprocess.run(["convert", at("pillow-%s.png" % source), *options, form + at(name)], check=True)
    subprocess.run(["jpegtran", "-restart", "1B", "-outfile", at("restart.jpg"), at("444.jpg")], check=True)
    bmp = pathlib.Path(at("pillow-RGB.bmp")).read_bytes()  # stored top row first, as a negative height says
    offset, width, height, bits = struct.unpack_from("<I4xiixxH", bmp, 10)
    rows = [bmp[row:row + (width * bits + 31) // 32 * 4] for row in range(offset, len(bmp), (width * bits + 31) // 32 * 4)]
    pathlib.Path(at("top-down.bmp")).write_bytes(bmp[:22] + struct.pack("<i", -height) + bmp[26:offset] + b"".join(rows[::-1]))
    return sorted(os.listdir(folder))
