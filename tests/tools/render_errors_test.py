"""varnelo-render as a user meets it when something is wrong: each refusal is one stderr line
with the reason, nothing is left half written or overwritten, nothing hangs, and the usage.
Usage: render_errors_test.py PATH/TO/varnelo-render ASSETS_DIR
"""
import os
import re
import resource
import signal
import struct
import subprocess
import sys
import tempfile
import threading
import unittest

from PIL import Image

RENDER, ASSETS = sys.argv[1], sys.argv[2]
FORMS = ("--picture", "--indexed")


def tga(image_type, width, height, pixels=b"", map_length=0, map_entry_size=0, map_bytes=b""):
    header = struct.pack("<BBBHHBHHHHBB", 0, 1 if map_length else 0, image_type, 0, map_length, map_entry_size,
                         0, 0, width, height, 8, 0x20)
    return header + map_bytes + pixels


def read(path):
    with open(path, "rb") as f:
        return f.read()


def run(arguments, cwd, **options):
    # A regression that hangs fails here instead of holding the test run.
    return subprocess.run([RENDER] + arguments, cwd=cwd, capture_output=True, text=True, timeout=30, **options)


class RenderErrors(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.dir = self.folder.name

    def tearDown(self):
        self.folder.cleanup()

    def write(self, name, data):
        path = os.path.join(self.dir, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def assertFails(self, result, code, line):
        self.assertEqual((result.returncode, result.stdout, result.stderr), (code, "", line + "\n"))

    def test_a_refused_picture_says_why(self):
        cases = [
            ("absent.tga", None, "No such file or directory"),
            ("type4.tga", tga(4, 1, 1, b"\0"), "unsupported image type 4"),
            ("entry8.tga", tga(1, 1, 1, b"\0", 2, 8, b"\1\2"), "colour map entry size 8 not supported"),
            ("cut.tga", tga(3, 1, 1)[:10], "file ends inside the header"),
            ("text.tga", b"Hello, this is no picture\n", "not a TGA file"),
        ]
        for name, data, reason in cases:
            if data is not None:
                self.write(name, data)
            for form in FORMS:
                with self.subTest(name=name, form=form):
                    result = run([form, name, "-o", "out.bmp"], self.dir)
                    self.assertFails(result, 1, "varnelo-render: cannot read %s: %s" % (name, reason))
                    self.assertFalse(os.path.exists(os.path.join(self.dir, "out.bmp")))

    def test_a_fifo_is_read_once(self):
        fifo = os.path.join(self.dir, "pipe.tga")
        os.mkfifo(fifo)

        def feed():
            with open(fifo, "wb") as f:
                f.write(b"\0\0\3\0\0")

        feeder = threading.Thread(target=feed)
        feeder.start()
        result = run(["--picture", fifo, "-o", "out.bmp"], self.dir)
        feeder.join()
        self.assertFails(result, 1, "varnelo-render: cannot read %s: file ends inside the header" % fifo)

    def test_what_cannot_be_written_says_why_and_leaves_no_file(self):
        scene = os.path.join(ASSETS, "scr.tga")
        self.write("huge.tga", tga(3, 65535, 65535))
        os.mkdir(os.path.join(self.dir, "folder.bmp"))
        cases = [
            (["--picture", scene, "-o", "/dev/full"], "/dev/full", "No space left on device"),
            (["--picture", scene, "-o", "folder.bmp"], "folder.bmp", "Is a directory"),
            (["--at", "1,1", "--spot", scene, "--scene", scene, "-o", "folder.bmp"], "folder.bmp", "Is a directory"),
        ] + [([form, "huge.tga", "-o", "huge.bmp"], "huge.bmp", "a picture of 65535 x 65535 is too large for BMP")
             for form in FORMS]
        for arguments, output, reason in cases:
            with self.subTest(arguments=arguments):
                self.assertFails(run(arguments, self.dir), 1, "varnelo-render: cannot write %s: %s" % (output, reason))
        self.assertFalse(os.path.exists(os.path.join(self.dir, "huge.bmp")))

    def test_a_file_cut_short_is_removed(self):
        def small_disk():
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (4096, resource.RLIM_INFINITY))

        scene = os.path.join(ASSETS, "scr.tga")
        for arguments in (["--picture", scene], ["--at", "1,1", "--spot", scene, "--scene", scene]):
            with self.subTest(arguments=arguments):
                result = run(arguments + ["-o", "out.bmp"], self.dir, preexec_fn=small_disk)
                self.assertFails(result, 1, "varnelo-render: cannot write out.bmp: File too large")
                self.assertEqual(os.listdir(self.dir), [])

    def test_an_input_is_never_the_output(self):
        picture = self.write("mine.tga", read(os.path.join(ASSETS, "spot.tga")))
        original = read(picture)
        os.symlink("mine.tga", os.path.join(self.dir, "link.bmp"))
        for arguments, output in ((["--picture", "mine.tga", "-o", "mine.tga"], "mine.tga"),
                                  (["--indexed", "mine.tga", "-o", "link.bmp"], "link.bmp"),
                                  (["--at", "1,1", "--spot", "mine.tga", "-o", "link.bmp"], "link.bmp")):
            with self.subTest(arguments=arguments):
                result = run(arguments, self.dir)
                self.assertFails(result, 1, "varnelo-render: cannot write %s: it is the input picture" % output)
                self.assertEqual(read(picture), original)

    def test_bad_usage_exits_2_with_the_usage_on_stderr(self):
        for arguments in (["--picture", "a.tga"], ["--picture", "a.tga", "-o"], ["-o", "x.bmp"],
                          ["--picture", "a.tga", "--indexed", "a.tga", "-o", "x.bmp"],
                          ["--picture", "a.tga", "-o", "x.bmp", "extra"], ["--help", "--version"],
                          ["--picture", "", "-o", "x.bmp"], ["--indexed", "a.tga", "-o", ""],
                          ["--spot", "", "--at", "1,1", "-o", "x.bmp"], ["--scene", "", "--at", "1,1", "-o", "x.bmp"],
                          ["--at", "1,1", "-o", ""]):
            with self.subTest(arguments=arguments):
                result = run(arguments, self.dir)
                self.assertEqual((result.returncode, result.stdout), (2, ""))
                self.assertTrue(result.stderr.startswith("usage: varnelo-render"), result.stderr)

    def test_help_and_version_go_to_stdout(self):
        result = run(["--help"], self.dir)
        self.assertEqual((result.returncode, result.stderr), (0, ""))
        self.assertTrue(result.stdout.startswith("usage: varnelo-render"), result.stdout)
        self.assertIn("--at X,Y", result.stdout)
        result = run(["--version"], self.dir)
        self.assertEqual((result.returncode, result.stderr), (0, ""))
        self.assertRegex(result.stdout, re.compile(r"^varnelo-render \d+\.\d+\.\d+\n$"))


class FormsAgree(unittest.TestCase):
    """Files that both picture forms take give the same pixels in both."""

    def test_indices_the_map_does_not_cover(self):
        cases = [
            ("mapped-without-map", tga(1, 4, 1, bytes([0, 7, 200, 255])), [(0, 0, 0)] * 4),
            ("grey-with-short-map", tga(3, 4, 1, bytes([0, 9, 10, 255]), 10, 24, bytes(range(30))),
             [(0, 0, 0), (9, 9, 9), (10, 10, 10), (255, 255, 255)]),
        ]
        with tempfile.TemporaryDirectory() as folder:
            for name, data, pixels in cases:
                with open(os.path.join(folder, name + ".tga"), "wb") as f:
                    f.write(data)
                for form in FORMS:
                    with self.subTest(name=name, form=form):
                        result = run([form, name + ".tga", "-o", name + form + ".bmp"], folder)
                        self.assertEqual(result.returncode, 0, result.stderr)
                        with Image.open(os.path.join(folder, name + form + ".bmp")) as picture:
                            self.assertEqual(list(picture.convert("RGB").getdata()), pixels)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
