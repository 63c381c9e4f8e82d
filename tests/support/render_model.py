"""varnelo-render's files in FOLDER checked against a model from Pillow's reading of the inputs; prints what is wrong.
Usage: render_model.py FOLDER 'OUT --OPTION VALUE...'..."""
import io, os, struct, sys
from PIL import Image, ImageOps
import fitting


def bmp(picture):  # 24 bits, rows bottom-up, each padded to 4 bytes; 96 pixels per metre
    (width, height), bgr = picture.size, picture.convert("RGB").tobytes("raw", "BGR")
    rows = b"".join(bgr[y * width * 3:(y + 1) * width * 3].ljust((width * 3 + 3) // 4 * 4, b"\0") for y in reversed(range(height)))
    return struct.pack("<2sI2H2I2i2H2I2i2I", b"BM", 54 + len(rows), 0, 0, 54, 40, width, height, 1, 24, 0, len(rows), 96, 96, 0, 0) + rows


def check(folder, name, options):
    load, slack, dark = lambda file: Image.open(os.path.join(folder, file)), 0, False
    if "--at" in options:  # black, the spot stamped centred with clipping, each channel (spot * scene) >> 8
        spot, scene, (x, y) = load(options.get("--spot", "spot.tga")), load(options.get("--scene", "scr.tga")), map(int, options["--at"].split(","))
        scene = scene if scene.size == (320, 200) else Image.open(io.BytesIO(fitting.scene(scene.convert("RGB"))))  # alpha ignored
        stamped, left, top = Image.new("RGB", (320, 200)), x - spot.width // 2, y - spot.height // 2
        dark = not (-spot.width < left < 320 and -spot.height < top < 200)  # nothing of the spot inside
        if not dark:
            stamped.paste(spot.convert("RGB"), (left, top))
        want = bmp(Image.frombytes("RGB", (320, 200), bytes(a * b >> 8 for a, b in zip(stamped.tobytes(), scene.convert("RGB").tobytes()))))
    elif "--picture" in options:
        want = bmp(load(options["--picture"]))
    else:  # a photo upright; a TGA's alpha is ignored, a PNG's weighs over black; JPEG decoders differ by a few levels
        photo = ImageOps.exif_transpose(load(path := options.get("--fit-scene") or options["--fit-light"]))
        want = (fitting.scene if "--fit-scene" in options else fitting.light)(photo.convert("RGB") if path.endswith(".tga") else photo)
        slack = 3 * path.endswith(".jpg")
    got = open(os.path.join(folder, name), "rb").read() if os.path.exists(os.path.join(folder, name)) else b""
    wrong = [(at, a, b) for at, (a, b) in enumerate(zip(got, want)) if abs(a - b) > (slack if at >= 18 else 0)]
    if wrong or len(got) != len(want):
        return "byte %d is %d, the model's %d" % wrong[0] if wrong else "%d bytes, the model's %d" % (len(got), len(want))
    if (colours := Image.open(io.BytesIO(got)).convert("RGB").getcolors(1)) != ([(64000, (0, 0, 0))] if dark else None):
        return "not all black, though the spot lies off the frame" if dark else "one colour %s" % (colours[0][1],)


for name, *words in (job.split() for job in sys.argv[2:]):
    if why := check(sys.argv[1], name, dict(zip(words[::2], words[1::2]))):
        print("%s (%s)" % (name, why))
