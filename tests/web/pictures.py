"""Pictures for the page's checks, each with the bytes its fitting must give, worked out here
from the rule itself in exact fractions, on Pillow's decoding of the same file.
usage: pictures.py OUT_DIR"""
import math
import os
import random
import struct
import sys
from fractions import Fraction

from PIL import Image, ImageOps

out = sys.argv[1]
os.makedirs(out, exist_ok=True)
noise = random.Random(27)


def tga(width, height, bgr):
    """An uncompressed 24-bit TGA, top row first, as the page writes."""
    return struct.pack('<3B5x4H2B', 0, 0, 2, 0, 0, width, height, 24, 0x20) + bytes(bgr)


def fit(image, width, height, scale_x, scale_y):
    """Output pixel i covers the source span [o + i/s, o + (i+1)/s), centred (o the overhang's
    half): shrunk, the area-weighted average of that span, rounded half up; grown, the source
    pixel under the span's centre."""
    def spans(length, count, s):
        offset = (length - count / s) / 2
        for i in range(count):
            lo, hi = offset + i / s, offset + (i + 1) / s
            if s >= 1:
                yield [(math.floor((lo + hi) / 2), 1)]
            else:
                # Every bound is a multiple of 1/(2 * numerator): weights in those units are whole.
                yield [(k, int((min(hi, k + 1) - max(lo, k)) * 2 * s.numerator)) for k in range(math.floor(lo), math.ceil(hi))]
    source, stride = image.convert('RGB').tobytes(), image.width
    rows, columns = list(spans(image.height, height, scale_y)), list(spans(image.width, width, scale_x))
    pixels = bytearray()
    for row in rows:
        for column in columns:
            total, sums = 0, [0, 0, 0]
            for y, wy in row:
                for x, wx in column:
                    w, at = wx * wy, (y * stride + x) * 3
                    total += w
                    sums = [sums[c] + w * source[at + c] for c in range(3)]
            pixels += bytes(math.floor(Fraction(sums[c], total) + Fraction(1, 2)) for c in (2, 1, 0))
    return tga(width, height, pixels)


def scene(image):
    scale = max(Fraction(320, image.width), Fraction(200, image.height))
    return fit(image, 320, 200, scale, scale)


def light(image):
    scale = min(Fraction(320, image.width), Fraction(200, image.height), Fraction(1))
    width, height = (max(1, math.floor(side * scale + Fraction(1, 2))) for side in image.size)
    return fit(image, width, height, Fraction(width, image.width), Fraction(height, image.height))


def blocks(width, height, side):
    """A picture of side x side blocks of one colour each, and the picture of the colours."""
    colours = Image.frombytes('RGB', (width // side, height // side), noise.randbytes(width * height * 3 // side // side))
    return colours.resize((width, height), Image.NEAREST), colours


def at(name):
    return os.path.join(out, name)


def bgr(image):
    return Image.merge('RGB', image.split()[::-1]).tobytes()


big, colours = blocks(640, 400, 2)
big.save(at('blocks.png'))
same = blocks(320, 200, 1)[0]  # kept byte for byte
same.save(at('same.png'))
big.save(at('blocks.jpg'), quality=100, subsampling=0)
# A phone photo, stored on its side with the Exif orientation that turns it upright.
exif = Image.Exif()
exif[0x0112] = 6
blocks(600, 280, 4)[0].save(at('phone.jpg'), quality=100, subsampling=0, exif=exif)
jpeg = open(at('blocks.jpg'), 'rb').read()
# A 48-megapixel photo of 25 x 25 blocks: each block fits to one pixel, of the middle 200 rows.
large, large_colours = blocks(8000, 6000, 25)
large.save(at('large.png'), compress_level=1)
Image.new('1', (8000, 7000)).save(at('huge.png'))
made = {'blocks.fit': tga(320, 200, bgr(colours)), 'same.fit': tga(320, 200, bgr(same)),
        'phone.fit': scene(ImageOps.exif_transpose(Image.open(at('phone.jpg')))),
        'large.fit': tga(320, 200, bgr(large_colours.crop((0, 20, 320, 220)))),
        # What the page must refuse.
        'no-picture.png': b'This is a note, not a picture.\n', 'corrupt.jpg': jpeg[:jpeg.index(b'\xff\xda')], 'empty.jpg': b'',
        'notes.tga': b'This is a note, not a picture.\n'}
for name, image, rule in [('tall', blocks(401, 877, 1)[0], scene), ('small', blocks(97, 61, 1)[0], scene),
                          ('Spot-photo', blocks(500, 420, 1)[0], light), ('glow', blocks(60, 40, 1)[0], light)]:
    image.save(at(f'{name}.png'))
    made[f'{name}.fit'] = rule(image)
for name, data in made.items():
    with open(at(name), 'wb') as file:
        file.write(data)
