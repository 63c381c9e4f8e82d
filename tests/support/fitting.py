"""The fitting rule for a picture of any size, as an independent model in exact fractions: the
scene fills the 320 x 200 frame as a photo does, the light shrinks to fit inside it. Each returns
the TGA bytes the programs write: uncompressed 24 bits, top row first."""
import math
import struct
from fractions import Fraction


def tga(width, height, bgr):
    return struct.pack('<3B5x4H2B', 0, 0, 2, 0, 0, width, height, 24, 0x20) + bytes(bgr)


def fit(image, width, height, scale_x, scale_y):
    """Output pixel i covers the source span [o + i/s, o + (i+1)/s), centred (o the overhang's
    half): shrunk, the area-weighted average of that span over black (alpha weighs each pixel),
    rounded half up; grown, the source pixel under the span's centre."""
    def spans(length, count, s):
        offset = (length - count / s) / 2
        for i in range(count):
            lo, hi = offset + i / s, offset + (i + 1) / s
            if s >= 1:
                yield [(math.floor((lo + hi) / 2), 1)]
            else:
                # Every bound is a multiple of 1/(2 * numerator): weights in those units are whole.
                yield [(k, int((min(hi, k + 1) - max(lo, k)) * 2 * s.numerator)) for k in range(math.floor(lo), math.ceil(hi))]
    source, stride = image.convert('RGBA').tobytes(), image.width
    rows, columns = list(spans(image.height, height, scale_y)), list(spans(image.width, width, scale_x))
    pixels = bytearray()
    for row in rows:
        for column in columns:
            total, sums = 0, [0, 0, 0]
            for y, wy in row:
                for x, wx in column:
                    w, at = wx * wy, (y * stride + x) * 4
                    total += w * 255
                    sums = [sums[c] + w * source[at + 3] * source[at + c] for c in range(3)]
            pixels += bytes(math.floor(Fraction(sums[c], total) + Fraction(1, 2)) for c in (2, 1, 0))
    return tga(width, height, pixels)


def scene(image):
    scale = max(Fraction(320, image.width), Fraction(200, image.height))
    return fit(image, 320, 200, scale, scale)


def light(image):
    scale = min(Fraction(320, image.width), Fraction(200, image.height), Fraction(1))
    width, height = (max(1, math.floor(side * scale + Fraction(1, 2))) for side in image.size)
    return fit(image, width, height, Fraction(width, image.width), Fraction(height, image.height))
