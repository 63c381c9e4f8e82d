"""Pictures for the page's checks, each with the bytes its fitting must give, worked out here
from the rule itself in exact fractions, on Pillow's decoding of the same file.
usage: pictures.py OUT_DIR"""
import os
import random
import sys

from PIL import Image, ImageOps

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from fitting import light, scene, tga  # noqa: E402

out = sys.argv[1]
os.makedirs(out, exist_ok=True)
noise = random.Random(27)


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
same.save(at('same.webp'))
made = {'blocks.fit': tga(320, 200, bgr(colours)), 'same.fit': tga(320, 200, bgr(same)),
        'phone.fit': scene(ImageOps.exif_transpose(Image.open(at('phone.jpg')))),
        'large.fit': tga(320, 200, bgr(large_colours.crop((0, 20, 320, 220)))),
        # What the page must refuse.
        'no-picture.png': b'This is a note, not a picture.\n', 'corrupt.jpg': jpeg[:jpeg.index(b'\xff\xda')], 'empty.jpg': b'',
        'cut.webp': open(at('same.webp'), 'rb').read()[:40],
        'notes.tga': b'This is a note, not a picture.\n', 'zero.tga': tga(0, 5, b''), 'vast.tga': tga(65535, 65535, b'')}
# A WebP of each kind of header, cut after it: the size it states alone refuses it.
for kind, mode, lossless in [('lossless', '1', True), ('lossy', '1', False), ('extended', 'RGBA', False)]:
    Image.new(mode, (8000, 7000)).save(at(f'huge-{kind}.webp'), lossless=lossless)
    made[f'huge-{kind}.webp'] = open(at(f'huge-{kind}.webp'), 'rb').read()[:40]
for name, image, rule in [('tall', blocks(401, 877, 1)[0], scene), ('small', blocks(97, 61, 1)[0], scene),
                          ('Spot-photo', blocks(500, 420, 1)[0], light), ('glow', blocks(60, 40, 1)[0], light),
                          ('alpha', Image.merge('RGBA', [*blocks(333, 211, 1)[0].split(), Image.frombytes('L', (333, 211), bytes(
                              noise.choice((0, 1, 128, 254, 255, noise.randrange(256))) for _ in range(333 * 211)))]), scene)]:
    image.save(at(f'{name}.png'))
    made[f'{name}.fit'] = rule(image)
# A picture stored turned each way, with the eXIf orientation that shows it upright.
for value in range(1, 9):
    exif = Image.Exif()
    exif[0x0112] = value
    blocks(90, 50, 1)[0].save(at(f'turned-{value}.png'), exif=exif)
    made[f'turned-{value}.fit'] = scene(ImageOps.exif_transpose(Image.open(at(f'turned-{value}.png'))))
for name, data in made.items():
    with open(at(name), 'wb') as file:
        file.write(data)
