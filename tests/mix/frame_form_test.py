"""End-to-end check of varnelo-render's frame form: TGA pictures written by ImageMagick go
in, the BMP it writes is read back with Pillow and compared pixel by pixel with a frame
worked out here from the raw picture bytes. Usage: frame_form_test.py VARNELO_RENDER"""
import os
import random
import subprocess
import sys
import tempfile
import unittest

from PIL import Image

RENDER = None
WIDTH, HEIGHT = 320, 200


def random_rgb(width, height, seed):
    rng = random.Random(seed)
    return [(rng.randrange(256), rng.randrange(256), rng.randrange(256)) for _ in range(width * height)]


def write_tga(path, width, height, pixels, rle=False):
    raw = path + ".raw"
    with open(raw, "wb") as f:
        f.write(bytes(channel for pixel in pixels for channel in pixel))
    # Without an explicit orientation, ImageMagick 6 stores the top row first yet marks the
    # file as bottom row first.
    command = ["convert", "-size", f"{width}x{height}", "-depth", "8", f"rgb:{raw}",
               "-type", "TrueColor", "-orient", "TopLeft"]
    if rle:
        command += ["-compress", "RLE"]
    subprocess.run(command + [path], check=True)
    os.remove(raw)
    with Image.open(path) as written:
        assert list(written.convert("RGB").getdata()) == pixels, f"{path} does not hold the pixels given"


def expected_frame(spot, spot_size, scene, x, y):
    """The lit frame in RGB: black, the spot stamped centred on (x, y) and clipped pixel by
    pixel, then every channel multiplied with the scene pixel of the same index, / 256."""
    spot_width, spot_height = spot_size
    frame = [(0, 0, 0)] * (WIDTH * HEIGHT)
    left, top = x - spot_width // 2, y - spot_height // 2
    for row in range(spot_height):
        for column in range(spot_width):
            fx, fy = left + column, top + row
            if 0 <= fx < WIDTH and 0 <= fy < HEIGHT:
                frame[fy * WIDTH + fx] = spot[row * spot_width + column]
    lit = []
    for index, pixel in enumerate(frame):
        if index >= len(scene):
            lit.append((0, 0, 0))
        else:
            lit.append(tuple(a * b // 256 for a, b in zip(pixel, scene[index])))
    return lit


def first_difference(actual, expected):
    """None when the frames agree, else where and how they first differ (a full list diff of
    64,000 pixels would take minutes to print)."""
    for index, (got, want) in enumerate(zip(actual, expected)):
        if got != want:
            return f"pixel ({index % WIDTH}, {index // WIDTH}): got {got}, expected {want}"
    return None if len(actual) == len(expected) else "frame sizes differ"


def run(args, cwd):
    return subprocess.run([RENDER] + args, cwd=cwd, capture_output=True, text=True)


class FrameFormTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.dir = self.folder.name
        self.spot = random_rgb(37, 29, 1)
        self.even_spot = random_rgb(40, 20, 2)
        self.scene = random_rgb(WIDTH, HEIGHT, 3)
        write_tga(os.path.join(self.dir, "spot.tga"), 37, 29, self.spot)
        write_tga(os.path.join(self.dir, "even.tga"), 40, 20, self.even_spot, rle=True)
        write_tga(os.path.join(self.dir, "scr.tga"), WIDTH, HEIGHT, self.scene)

    def tearDown(self):
        self.folder.cleanup()

    def render(self, at, *options):
        out = os.path.join(self.dir, "out.bmp")
        if os.path.exists(out):
            os.remove(out)
        result = run(list(options) + ["--at", at, "-o", "out.bmp"], self.dir)
        self.assertEqual((result.returncode, result.stdout, result.stderr), (0, "", ""), at)
        with Image.open(out) as picture:
            self.assertEqual(picture.size, (WIDTH, HEIGHT))
            return list(picture.convert("RGB").getdata())

    def test_frames_match_the_worked_out_frame_across_the_frame_and_beyond(self):
        positions = [(160, 100), (0, 0), (319, 199), (319, 0), (0, 199), (-10, 50), (330, 50),
                     (100, -14), (100, 214), (5000, 5000), (-2147483648, 2147483647)]
        for x, y in positions:
            with self.subTest(spot="odd, uncompressed", x=x, y=y):
                self.assertIsNone(first_difference(self.render(f"{x},{y}"),
                                                   expected_frame(self.spot, (37, 29), self.scene, x, y)))
            with self.subTest(spot="even, run-length", x=x, y=y):
                self.assertIsNone(first_difference(self.render(f"{x},{y}", "--spot", "even.tga"),
                                                   expected_frame(self.even_spot, (40, 20), self.scene, x, y)))

    def test_spot_larger_than_the_frame_lights_all_of_it(self):
        big = random_rgb(400, 300, 4)
        write_tga(os.path.join(self.dir, "big.tga"), 400, 300, big, rle=True)
        frame = self.render("160,100", "--spot", "big.tga")
        self.assertIsNone(first_difference(frame, expected_frame(big, (400, 300), self.scene, 160, 100)))
        self.assertGreater(sum(1 for pixel in frame if pixel != (0, 0, 0)), WIDTH * HEIGHT * 9 // 10)

    def test_short_scene_leaves_the_rest_black_and_a_wide_one_pairs_by_index(self):
        big = random_rgb(400, 300, 5)
        write_tga(os.path.join(self.dir, "big.tga"), 400, 300, big)
        for width, height in [(100, 50), (400, 200)]:
            scene = random_rgb(width, height, 6)
            write_tga(os.path.join(self.dir, "other.tga"), width, height, scene)
            with self.subTest(scene=f"{width}x{height}"):
                frame = self.render("160,100", "--spot", "big.tga", "--scene", "other.tga")
                self.assertIsNone(first_difference(frame, expected_frame(big, (400, 300), scene, 160, 100)))

    def test_bad_usage_prints_the_usage_and_exits_2(self):
        cases = [["--at", "1,2,3", "-o", "a.bmp"], ["--at", "1", "-o", "a.bmp"], ["--at", ",5", "-o", "a.bmp"],
                 ["--at", "+1,2", "-o", "a.bmp"], ["--at", " 1,2", "-o", "a.bmp"], ["--at", "1x,2", "-o", "a.bmp"],
                 ["--at", "2147483648,0", "-o", "a.bmp"], ["--at", "0,-2147483649", "-o", "a.bmp"],
                 ["--at", "1,2"], ["--at", "1,2", "-o"], ["--at", "1,2", "-o", "a.bmp", "--frobnicate", "x"],
                 ["--spot", "spot.tga", "--spot", "spot.tga", "--at", "1,2", "-o", "a.bmp"],
                 ["--at", "1,2", "--at", "3,4", "-o", "a.bmp"]]
        for args in cases:
            with self.subTest(args=args):
                result = run(args, self.dir)
                self.assertEqual(result.returncode, 2)
                self.assertIn("--at X,Y", result.stderr)
                self.assertFalse(os.path.exists(os.path.join(self.dir, "a.bmp")))

    def test_unreadable_files_are_named_on_one_line_and_exit_1(self):
        with open(os.path.join(self.dir, "text.tga"), "w") as f:
            f.write("not a picture")
        cases = [(["--spot", "missing.tga"], "missing.tga"), (["--scene", "gone.tga"], "gone.tga"),
                 (["--scene", "text.tga"], "text.tga"), (["-o", "no/such/folder/a.bmp"], "no/such/folder/a.bmp")]
        for options, named in cases:
            with self.subTest(options=options):
                args = options + ["--at", "1,2"] + ([] if "-o" in options else ["-o", "a.bmp"])
                result = run(args, self.dir)
                self.assertEqual(result.returncode, 1)
                self.assertEqual(len(result.stderr.splitlines()), 1, result.stderr)
                self.assertIn(named, result.stderr)
                self.assertEqual(result.stdout, "")


if __name__ == "__main__":
    RENDER = os.path.abspath(sys.argv.pop(1))
    unittest.main()
