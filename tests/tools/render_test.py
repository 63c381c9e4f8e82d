"""varnelo-render as its users meet it. Pictures that ImageMagick and Pillow write go through
both picture forms, and both read the BMP back alike; frames are checked against a frame worked
out here; each refusal is one stderr line with its reason, leaves no file, overwrites no input
and does not hang.
Usage: render_test.py VARNELO_RENDER VARNELO_PICTURES ASSETS_DIR [TEST...]"""
import os
import random
import resource
import signal
import subprocess
import sys
import tempfile
import threading
import unittest

from PIL import Image

RENDER, PICTURES, ASSETS = (os.path.abspath(arg) for arg in sys.argv[1:4])
W, H = 320, 200


def run(args, cwd, **options):
    # A hang fails the case instead of holding the test run.
    return subprocess.run([RENDER] + args, cwd=cwd, capture_output=True, text=True, timeout=30, **options)


def magick_rgb(path, *options):
    return subprocess.run(["convert", path, *options, "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout


class Render(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.dir = self.folder.name
        self.addCleanup(self.folder.cleanup)

    def path(self, name):
        return os.path.join(self.dir, name)

    def tga(self, name, body=b"", **fields):
        """An odd file, written by varnelo-pictures from header fields and the bytes after them."""
        words = ["%s=%d" % item for item in fields.items()]
        subprocess.run([PICTURES, "--tga", self.path(name)] + words, input=body, check=True)

    def picture(self, name, width, height, seed, rle=False):
        rng = random.Random(seed)
        picture = Image.frombytes("RGB", (width, height), bytes(rng.randrange(256) for _ in range(width * height * 3)))
        picture.save(self.path(name), compression="tga_rle" if rle else None)
        return list(picture.getdata())

    def assertFails(self, args, code, line):
        result = run(args, self.dir)
        self.assertEqual((result.returncode, result.stdout, result.stderr), (code, "", line + "\n"), args)

    def test_picture_forms_agree_with_imagemagick_and_pillow(self):
        source = Image.new("RGBA", (13, 7))  # 13 wide: BMP rows carry padding
        source.putdata([((x * 19 + 3) % 256, (y * 37 + 5) % 256, (x * y * 11 + 7) % 256, (x + y) * 17 % 256)
                        for y in range(7) for x in range(13)])
        source.save(self.path("source.png"))
        magick = [("-type TrueColor", 24), ("-type TrueColorAlpha", 32), ("-type TrueColor -depth 5", 16),
                  ("-type Palette", 8), ("-type Grayscale", 8)]
        pillow = [source.convert("RGB"), source, source.convert("RGB").quantize(64), source.convert("L")]
        for rle in (False, True):
            for top in (False, True):
                files = []
                for number, (options, depth) in enumerate(magick):
                    name = "im%d-%d%d.tga" % (number, rle, top)
                    subprocess.run(["convert", "source.png"] + options.split() + ["-compress", "RLE" if rle else "None"]
                                   + (["-orient", "TopLeft"] if top else []) + [name], cwd=self.dir, check=True)
                    files.append((name, depth))
                for number, picture in enumerate(pillow):
                    name = "pil%d-%d%d.tga" % (number, rle, top)
                    picture.save(self.path(name), compression="tga_rle" if rle else None, orientation=1 if top else -1)
                    files.append((name, None))
                for name, depth in files:
                    with open(self.path(name), "rb") as f:
                        header = f.read(18)
                    self.assertEqual((header[2] >> 3, header[17] >> 5 & 1), (rle, top), name)
                    expected = magick_rgb(self.path(name), "-auto-orient")
                    if depth == 16:  # 5 bits a channel: the reader shifts (31 to 248), ImageMagick scales
                        expected = bytes(round(v * 31 / 255) << 3 for v in expected)
                    for form in ["--picture"] + (["--indexed"] if header[2] & 7 != 2 else []):
                        with self.subTest(name=name, form=form):
                            self.assertEqual(run([form, name, "-o", "out.bmp"], self.dir).returncode, 0)
                            self.assertEqual(magick_rgb(self.path("out.bmp")), expected)
                            with Image.open(self.path("out.bmp")) as bmp:
                                self.assertEqual(bmp.convert("RGB").tobytes(), expected)

    def test_frames_match_the_worked_out_frame(self):
        scene = self.picture("scr.tga", W, H, 1)
        spots = {"spot.tga": (37, 29, self.picture("spot.tga", 37, 29, 2)),
                 "even.tga": (40, 20, self.picture("even.tga", 40, 20, 3, rle=True)),
                 "big.tga": (400, 300, self.picture("big.tga", 400, 300, 4, rle=True))}
        short = self.picture("short.tga", 100, 50, 5)
        cases = [("spot.tga", "scr.tga", x, y) for x, y in [(160, 100), (0, 0), (319, 199), (-10, 50), (330, 50),
                                                              (100, -14), (100, 214), (-2147483648, 2147483647)]]
        cases += [("even.tga", "scr.tga", 319, 0), ("big.tga", "scr.tga", 160, 100), ("big.tga", "short.tga", 160, 100)]
        for spot, scene_name, x, y in cases:
            with self.subTest(spot=spot, scene=scene_name, x=x, y=y):
                result = run(["--spot", spot, "--scene", scene_name, "--at", "%d,%d" % (x, y), "-o", "out.bmp"], self.dir)
                self.assertEqual((result.returncode, result.stderr), (0, ""))
                width, height, pixels = spots[spot]
                lit = scene if scene_name == "scr.tga" else short
                frame = [(0, 0, 0)] * (W * H)
                for row in range(max(0, y - height // 2), min(H, y - height // 2 + height)):
                    for column in range(max(0, x - width // 2), min(W, x - width // 2 + width)):
                        frame[row * W + column] = pixels[(row - y + height // 2) * width + column - x + width // 2]
                frame = [tuple(a * b // 256 for a, b in zip(p, lit[i])) if i < len(lit) else (0, 0, 0)
                         for i, p in enumerate(frame)]
                with Image.open(self.path("out.bmp")) as bmp:
                    got = list(bmp.convert("RGB").getdata())
                wrong = next((i for i in range(W * H) if got[i] != frame[i]), None)
                self.assertIsNone(wrong, "first wrong pixel (%s, %s)" % divmod(wrong or 0, W)[::-1])

    def test_refusals_say_why_in_one_line(self):
        self.tga("type4.tga", b"\0", type=4, depth=8)
        self.tga("entry8.tga", b"\1\2\0", type=1, map=2, entry=8, depth=8)
        self.tga("huge.tga", type=3, width=65535, height=65535, depth=8)
        with open(self.path("huge.tga"), "rb") as f, open(self.path("cut.tga"), "wb") as cut, \
                open(self.path("text.tga"), "w") as text:
            cut.write(f.read(10))
            text.write("Hello, this is no picture\n")
        os.mkdir(self.path("folder.bmp"))
        os.symlink("cut.tga", self.path("link.bmp"))
        scr = os.path.join(ASSETS, "scr.tga")
        for name, reason in [("absent.tga", "No such file or directory"), ("type4.tga", "unsupported image type 4"),
                             ("entry8.tga", "colour map entry size 8 not supported"),
                             ("cut.tga", "file ends inside the header"), ("text.tga", "not a TGA file")]:
            for args in (["--picture", name], ["--indexed", name], ["--spot", name, "--at", "1,2"]):
                self.assertFails(args + ["-o", "out.bmp"], 1, "varnelo-render: cannot read %s: %s" % (name, reason))
        huge = "a picture of 65535 x 65535 is too large for BMP"
        for args, output, reason in [
                (["--picture", scr], "/dev/full", "No space left on device"), (["--picture", scr], "folder.bmp", "Is a directory"),
                (["--spot", scr, "--scene", scr, "--at", "1,1"], "folder.bmp", "Is a directory"), (["--picture", "huge.tga"], "out.bmp", huge),
                (["--indexed", "huge.tga"], "out.bmp", huge), (["--picture", "cut.tga"], "cut.tga", "it is the input picture"),
                (["--indexed", "cut.tga"], "link.bmp", "it is the input picture"),
                (["--at", "1,1", "--spot", "cut.tga"], "link.bmp", "it is the input picture")]:
            self.assertFails(args + ["-o", output], 1, "varnelo-render: cannot write %s: %s" % (output, reason))
        self.assertFalse(os.path.exists(self.path("out.bmp")))
        self.assertEqual(os.path.getsize(self.path("cut.tga")), 10)
        os.mkfifo(self.path("pipe.tga"))  # read once: a second open would wait for a writer forever
        feeder = threading.Thread(target=lambda: open(self.path("pipe.tga"), "wb").write(b"\0\0\3\0\0"))
        feeder.start()
        self.assertFails(["--picture", "pipe.tga", "-o", "out.bmp"], 1,
                         "varnelo-render: cannot read pipe.tga: file ends inside the header")
        feeder.join()

    def test_a_file_cut_short_is_removed(self):
        def small_disk():
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (4096, resource.RLIM_INFINITY))
        scr = os.path.join(ASSETS, "scr.tga")
        for args in (["--picture", scr], ["--at", "1,1", "--spot", scr, "--scene", scr]):
            result = run(args + ["-o", "out.bmp"], self.dir, preexec_fn=small_disk)
            self.assertEqual((result.returncode, result.stderr), (1, "varnelo-render: cannot write out.bmp: File too large\n"))
            self.assertEqual(os.listdir(self.dir), [])

    def test_bad_usage_exits_2_with_the_usage(self):
        for args in ["--at 1,2,3 -o a.bmp", "--at 1 -o a.bmp", "--at ,5 -o a.bmp", "--at +1,2 -o a.bmp",
                     "--at 1x,2 -o a.bmp", "--at 2147483648,0 -o a.bmp", "--at 0,-2147483649 -o a.bmp", "--at 1,2",
                     "--at 1,2 -o", "--at 1,2 -o a.bmp --spot", "--at 1,2 -o a.bmp --frobnicate x",
                     "--spot s --spot s --at 1,2 -o a.bmp", "--at 1,2 --at 3,4 -o a.bmp", "--picture a.tga",
                     "--picture a.tga -o", "-o a.bmp --picture", "-o x.bmp", "--picture a --indexed a -o x.bmp",
                     "--picture a.tga -o a.bmp extra", "--help --version", "--picture '' -o a.bmp",
                     "--indexed a.tga -o ''", "--spot '' --at 1,1 -o a.bmp", "--at 1,1 -o ''"]:
            result = run([word.strip("'") for word in args.split()], self.dir)
            self.assertEqual((result.returncode, result.stdout, result.stderr[:21]), (2, "", "usage: varnelo-render"), args)
        self.assertEqual(os.listdir(self.dir), [])
        result = run(["--help"], self.dir)
        self.assertEqual((result.returncode, result.stdout[:21], result.stderr), (0, "usage: varnelo-render", ""))
        self.assertIn("--at X,Y", result.stdout)
        self.assertRegex(run(["--version"], self.dir).stdout, r"^varnelo-render \d+\.\d+\.\d+\n$")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1] + sys.argv[4:])
