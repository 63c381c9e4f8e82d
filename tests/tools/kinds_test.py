"""varnelo-render over every kind of picture each format has, made on the spot, fitted as the independent model fits them:
TGAs as the reader reads them, the rest as Pillow decodes them, upright. Usage: kinds_test.py VARNELO_RENDER [TEST...]"""
import io, os, subprocess, sys, tempfile, unittest

from PIL import Image, ImageOps

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import fitting, picture_kinds  # noqa: E402

RENDER = os.path.abspath(sys.argv[1])
# Levels stb_image may stray from Pillow: JPEG decoders each round their own way; 5- and 6-bit BMP channels widen by
# repeated bits in stb_image, by a truncated scaling in Pillow.
SLACK = {".jpg": 3, "565.bmp": 1}


class Kinds(unittest.TestCase):
    def setUp(self):
        self.dir = self.enterContext(tempfile.TemporaryDirectory())

    def assertRenders(self, name, form, expected, slack=0):
        """One form's output read back by Pillow: the expected size, and no byte more than slack levels off."""
        out = "out.bmp" if form in ("--picture", "--indexed") else "out.tga"
        result = subprocess.run([RENDER, form, name, "-o", out], cwd=self.dir, capture_output=True, text=True, timeout=60)
        self.assertEqual((result.returncode, result.stderr), (0, ""), (name, form))
        with Image.open(os.path.join(self.dir, out)) as got:
            self.assertEqual(got.size, expected.size, (name, form))
            got, want = got.convert("RGB").tobytes(), expected.convert("RGB").tobytes()
        self.assertGreater(len(set(zip(*[iter(want)] * 3))), 1, "%s %s: the expected picture is one colour" % (name, form))
        at = max(range(len(want)), key=lambda i: abs(got[i] - want[i]))
        self.assertLessEqual(abs(got[at] - want[at]), slack, "%s %s: byte %d is %d, not %d" % (name, form, at, got[at], want[at]))

    def check(self, kinds):
        for name, picture in kinds:
            with self.subTest(name=name):
                for form in ["--picture"] * name.endswith(".tga") + ["--indexed"] * name.startswith(("kind1", "kind3")):
                    self.assertRenders(name, form, picture)
                for form, rule in ("--fit-scene", fitting.scene), ("--fit-light", fitting.light):
                    self.assertRenders(name, form, Image.open(io.BytesIO(rule(picture))), SLACK.get(name, SLACK.get(name[-4:], 0)))

    def photos(self, *extensions):  # each with Pillow's decode, 16-bit grey (I, or I;16 since Pillow 10) by its high byte as stb_image takes it
        for name in (name for name in picture_kinds.photos(self.dir) if name.endswith(extensions)):
            with Image.open(os.path.join(self.dir, name)) as decoded:
                picture = ImageOps.exif_transpose(decoded)
            yield name, Image.frombytes("L", picture.size, bytes(v >> 8 for v in picture.getdata())) if picture.mode.startswith("I") else picture

    def test_tga_kinds_as_the_reader_reads_them(self):
        self.check(picture_kinds.tgas(self.dir))

    def test_png_bmp_and_gif_kinds_agree_with_pillow(self):
        self.check(self.photos(".png", ".bmp", ".gif"))

    def test_jpeg_kinds_agree_with_pillow_within_3_levels(self):
        self.check(self.photos(".jpg"))


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1] + sys.argv[2:])
