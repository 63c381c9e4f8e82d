"""varnelo-render as its users meet it (every kind of picture in kinds_test.py): photos fitted as an independent model
fits them, upright; each refusal one stderr line that leaves no file and never hangs;
the shipped build clean under memcheck.
Usage: render_test.py VARNELO_RENDER VARNELO_PICTURES ASSETS_DIR [TEST...]"""
import contextlib
import io
import os
import pathlib
import pty
import re
import resource
import signal
import stat
import struct
import subprocess
import sys
import tempfile
import threading
import tty
import unittest

from PIL import Image

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import fitting  # noqa: E402

RENDER, PICTURES, ASSETS = (os.path.abspath(arg) for arg in sys.argv[1:4])
SCENE = os.path.join(ASSETS, "scr.tga")


def run(args, cwd, under=(), **options):  # a hang fails the case instead of holding the run
    return subprocess.run([*under, RENDER] + args, cwd=cwd, capture_output=True, text=True, timeout=30, **options)


class Render(unittest.TestCase):
    def setUp(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        self.addCleanup(self.assertDevicesKept)
        self.dir = folder.name

    def assertDevicesKept(self):
        # Run as root, a writer that took a device, or the link to one, for a file would move its output over it and
        # break every later run on this machine: put it back, and fail the case that did it.
        for name, make in (("/dev/full", lambda: (os.mknod("/dev/full", stat.S_IFCHR, os.makedev(1, 7)), os.chmod("/dev/full", 0o666))),
                           ("/dev/stdout", lambda: os.symlink("/proc/self/fd/1", "/dev/stdout"))):
            if os.path.islink(name) or os.path.exists(name) and stat.S_ISCHR(os.lstat(name).st_mode):
                continue
            if os.geteuid() == 0:
                with contextlib.suppress(FileNotFoundError):
                    os.remove(name)
                make()
            self.fail("%s is no longer what it was" % name)

    def path(self, name):
        return os.path.join(self.dir, name)

    def read(self, name):
        return pathlib.Path(self.path(name)).read_bytes()

    def write(self, name, data):
        pathlib.Path(self.path(name)).write_bytes(data)

    def assertRefused(self, args, line, **options):  # exit status 1, nothing on stdout, the one line on stderr
        result = run(args, self.dir, **options)
        self.assertEqual((result.returncode, result.stdout, result.stderr), (1, "", "varnelo-render: " + line + "\n"), args)

    def test_fit_forms_agree_with_the_model(self):
        noise = __import__("random").Random(3)
        for size, mode in [((640, 400), "RGBA"), ((401, 877), "RGB"), ((1000, 3), "RGB"), ((97, 61), "RGBA"),
                           ((320, 200), "RGB"), ((321, 200), "RGB"), ((500, 420), "RGBA"), ((1, 1), "RGBA")]:
            picture = Image.frombytes(mode, size, noise.randbytes(size[0] * size[1] * len(mode)))
            if mode == "RGBA":  # wholly transparent and wholly opaque pixels among the rest
                picture.putalpha(Image.frombytes("L", size, bytes(noise.choice((0, 255, noise.randrange(256))) for _ in range(size[0] * size[1]))))
            picture.save(self.path("photo.png"))
            for form, rule in ("--fit-scene", fitting.scene), ("--fit-light", fitting.light):
                with self.subTest(size=size, mode=mode, form=form):
                    self.assertEqual(run([form, "photo.png", "-o", form + ".tga"], self.dir).returncode, 0)
                    self.assertEqual(self.read(form + ".tga"), rule(picture))
                    if size == (320, 200):  # the frame's own size is kept byte for byte
                        self.assertEqual(Image.open(self.path(form + ".tga")).tobytes(), picture.tobytes())
            if mode == "RGB":  # as a scene of its own size, the frame form fits it as a photo is fitted
                picture.save(self.path("scene.tga"))
                for scene in ("scene.tga", "--fit-scene.tga"):
                    self.assertEqual(run(["--spot", os.path.join(ASSETS, "spot.tga"), "--scene", scene, "--at", "100,70", "-o", scene + ".bmp"],
                                         self.dir).returncode, 0, scene)
                    self.assertGreater(len(set(self.read(scene + ".bmp")[54:])), 1, scene)
                self.assertEqual(self.read("scene.tga.bmp"), self.read("--fit-scene.tga.bmp"), size)

    def test_fit_forms_turn_jpeg_photos_upright(self):
        # Exif orientation 8 counts after the tables as at the start; once the scan has begun (here it ends at once), as
        # little as APP2 does. The light keeps the sides the turn gives, so each shows whether it was turned.
        exif = Image.Exif()
        exif[0x0112] = 8
        colours = Image.frombytes("RGB", (6, 4), bytes(255 * (b >> 7) for b in __import__("random").Random(9).randbytes(72)))
        colours.resize((96, 64)).save(stored := io.BytesIO(), "JPEG")
        jpeg, app1 = stored.getvalue(), (len(exif.tobytes()) + 2).to_bytes(2, "big") + exif.tobytes()
        scan = jpeg.index(b"\xff\xda")  # its header, for three colours, takes 14 bytes
        lights = []
        for photo in [jpeg[:2] + b"\xff\xe1" + app1 + jpeg[2:], jpeg[:scan] + b"\xff\xe1" + app1 + jpeg[scan:],
                      *(jpeg[:scan + 14] + b"\xff" + marker + app1 + b"\xff\xd9" for marker in (b"\xe1", b"\xe2"))]:
            self.write("photo.jpg", photo)
            self.assertEqual(run(["--fit-light", "photo.jpg", "-o", "light.tga"], self.dir).returncode, 0)
            lights.append(self.read("light.tga"))
        self.assertEqual([light[12:16] for light in lights], [struct.pack("<2H", 64, 96)] * 2 + [struct.pack("<2H", 96, 64)] * 2)
        self.assertEqual((lights[1], lights[3]), (lights[0], lights[2]), "after the tables as at the start, APP1 in the scan as APP2")

    def test_refusals_say_why_in_one_line(self):
        def tga(name, body=b"", **fields):  # odd files come from varnelo-pictures, header fields and the bytes after
            subprocess.run([PICTURES, "--tga", self.path(name)] + ["%s=%d" % field for field in fields.items()], input=body, check=True)
        tga("type4.tga", b"\0", type=4, depth=8)
        tga("entry8.tga", b"\1\2\0", type=1, map=2, entry=8, depth=8)
        tga("huge.tga", type=3, width=65535, height=65535, depth=8)
        tga("flat.tga", type=2, width=0, height=5, depth=32)
        self.write("cut.tga", self.read("huge.tga")[:10])
        self.write("text.tga", b"Hello, this is no picture\n")
        os.mkdir(self.path("folder.bmp"))
        # The full device through a link: a writer that removed its failed output would take the link, not /dev/full.
        os.symlink("/dev/full", self.path("full.bmp"))
        os.symlink("cut.tga", self.path("link.bmp"))
        Image.new("1", (8000, 7000)).save(self.path("huge.png"))  # refused before its 56 million pixels are decoded
        Image.new("RGB", (50, 40)).save(png := io.BytesIO(), "PNG")
        # Stuffed 0xFF 0x00 in its scan; after the scan a note of zeros, then Huffman tables of 4 codes and of 300 (one holds 256).
        Image.frombytes("RGB", (50, 40), bytes(i * 7919 >> 5 & 255 for i in range(6000))).save(jpeg := io.BytesIO(), "JPEG")
        tables = b"\xff\xfe\x01\x92" + bytes(400) + b"\xff\xc4\x01\x54\x13\x00\x04" + bytes(18) + b"\x03" + bytes(14) + b"\x96\x96" + bytes(300)
        jpeg = jpeg.getvalue()
        sos, sof = jpeg.index(b"\xff\xda"), jpeg.index(b"\xff\xc0")
        for name, data in [("cut.png", png.getvalue()[:60]), ("cut.jpg", jpeg[:sos]), ("empty.png", b""), ("noscan.jpg", jpeg[:sos] + b"\xff\xd9"),
                           ("tables.jpg", jpeg[:-2] + tables + jpeg[-2:]), ("note.txt", b"Hello, this is no picture\n"),
                           ("arith.jpg", jpeg[:sof + 1] + b"\xc9" + jpeg[sof + 2:]), ("12bit.jpg", jpeg[:sof + 4] + b"\x0c" + jpeg[sof + 5:]),
                           ("photo.webp", b"RIFF\0\0\0\0WEBPVP8 " + bytes(30)), ("rle.bmp", b"BM" + bytes(12) + struct.pack("<IiiHHI", 40, 4, 4, 1, 8, 1) + bytes(40)),
                           ("os2.bmp", b"BM" + bytes(12) + struct.pack("<IHHHH", 12, 65535, 800, 1, 24) + bytes(40)),
                           ("wide.png", b"\x89PNG\r\n\x1a\n\0\0\0\rIHDR" + struct.pack(">II", 16777217, 1) + bytes(30)),
                           ("lying.png", png.getvalue()[:33] + struct.pack(">I", 0x3FFFFFFF) + b"IDAT" + bytes(40))]:  # 1 GiB claimed
            self.write(name, data)
        damaged = "a %s that could not be decoded, as if damaged or cut short"
        for name, reason in [("absent.tga", "No such file or directory"), ("type4.tga", "unsupported image type 4"),
                             ("entry8.tga", "colour map entry size 8 not supported"),
                             ("cut.tga", "file ends inside the header"), ("text.tga", "not a TGA file"),
                             ("absent.png", "No such file or directory"), ("empty.png", "empty file"),
                             ("note.txt", "not a PNG, JPEG, GIF, BMP or TGA picture"), ("cut.png", damaged % "PNG"),
                             ("cut.jpg", damaged % "JPEG"), ("tables.jpg", damaged % "JPEG"), ("huge.png", "8000 x 7000 pixels, more than the 50 million taken"),
                             ("noscan.jpg", damaged % "JPEG"), ("arith.jpg", "an arithmetic-coded JPEG is not supported"),
                             ("12bit.jpg", "a 12-bit JPEG is not supported"), ("/dev/zero", "not a PNG, JPEG, GIF, BMP or TGA picture"),
                             ("photo.webp", "a WebP picture is not supported: save it as PNG or JPEG"), ("rle.bmp", "a run-length BMP is not supported"),
                             ("os2.bmp", "65535 x 800 pixels, more than the 50 million taken"),
                             ("wide.png", "16777217 x 1 pixels, a side longer than the 16777216 taken"), ("lying.png", damaged % "PNG")]:
            forms = (["--picture", name], ["--indexed", name], ["--spot", name, "--at", "1,2"]) if name.endswith(".tga") else ()
            for args in forms + (["--fit-scene", name], ["--fit-light", name]):
                self.assertRefused(args + ["-o", "out.bmp"], "cannot read %s: %s" % (name, reason))
        if b"__asan_init" not in pathlib.Path(RENDER).read_bytes():  # a sanitizer reserves more address space than a small board has
            self.assertRefused(["--fit-scene", "lying.png", "-o", "out.bmp"], "cannot read lying.png: " + damaged % "PNG",
                               preexec_fn=lambda: resource.setrlimit(resource.RLIMIT_AS, (600 << 20, 600 << 20)))
        for args, reason in [(["--fit-scene", "flat.tga"], "no pixels to fit"), (["--fit-light", "flat.tga"], "no pixels to fit"),
                             (["--scene", "flat.tga", "--spot", SCENE, "--at", "1,2"], "no pixels to fit"),
                             (["--spot", "huge.tga", "--scene", SCENE, "--at", "1,2"], "65535 x 65535 pixels, more than the 50 million taken")]:
            self.assertRefused(args + ["-o", "out.bmp"], "cannot read %s: %s" % (args[1], reason))
        tga("cap.tga", type=3, width=10000, height=5000, depth=8)  # 50 million pixels exactly are taken, rows cut short or not
        self.assertEqual(run(["--spot", "cap.tga", "--scene", SCENE, "--at", "1,2", "-o", "cap.bmp"], self.dir).stderr, "")
        huge, mine = "a picture of 65535 x 65535 is too large for BMP", "it is the input picture"
        for args, output, reason in [
                (["--picture", SCENE], "full.bmp", "No space left on device"),
                (["--picture", SCENE], "folder.bmp", "Is a directory"),
                (["--spot", SCENE, "--scene", SCENE, "--at", "1,1"], "folder.bmp", "Is a directory"),
                (["--picture", "huge.tga"], "out.bmp", huge), (["--indexed", "huge.tga"], "out.bmp", huge),
                (["--picture", "cut.tga"], "cut.tga", mine), (["--indexed", "cut.tga"], "link.bmp", mine),
                (["--at", "1,1", "--spot", "cut.tga"], "link.bmp", mine), (["--fit-scene", SCENE], "full.bmp", "No space left on device"),
                (["--fit-light", SCENE], "folder.bmp", "Is a directory"), (["--fit-scene", "cut.tga"], "cut.tga", mine)]:
            self.assertRefused(args + ["-o", output], "cannot write %s: %s" % (output, reason))
        self.assertEqual(os.path.getsize(self.path("cut.tga")), 10)
        self.assertTrue(os.path.islink(self.path("full.bmp")), "a device named as the output was removed")

        def small_disk():
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (4096, resource.RLIM_INFINITY))
        for args in (["--picture", SCENE], ["--at", "1,1", "--spot", SCENE, "--scene", SCENE], ["--fit-scene", SCENE]):
            self.assertRefused(args + ["-o", "out.bmp"], "cannot write out.bmp: File too large", preexec_fn=small_disk)
        self.assertFalse(os.path.exists(self.path("out.bmp")))
        os.mkfifo(self.path("pipe.tga"))  # read once: a second open would wait for a writer forever
        feeder = threading.Thread(target=lambda: open(self.path("pipe.tga"), "wb").write(b"\0\0\3\0\0"))
        feeder.start()
        self.assertRefused(["--picture", "pipe.tga", "-o", "out.bmp"], "cannot read pipe.tga: file ends inside the header")
        os.close(os.open(self.path("pipe.tga"), os.O_RDONLY | os.O_NONBLOCK))  # frees a feeder nobody read
        feeder.join()

    def test_an_output_is_replaced_only_once_whole(self):
        # On a disk (a tmpfs of the test's own) too small for the new file the old one stays whole, and nothing else.
        namespace = ["unshare", "-rm"] if subprocess.run(["unshare", "-rm", "true"]).returncode == 0 else ["unshare", "-m"]
        small = self.path("small")
        os.mkdir(small)
        script = 'mount -t tmpfs -o size=64k tmpfs "$1" && echo kept >"$1/keep.bmp" && "$2" --picture "$3" -o "$1/keep.bmp"; ' \
                 'echo " $?"; cat "$1/keep.bmp"; ls -A "$1"'
        result = subprocess.run(namespace + ["sh", "-c", script, "_", small, RENDER, SCENE], capture_output=True, text=True, timeout=30)
        self.assertEqual((result.stdout, result.stderr), (" 1\nkept\nkeep.bmp\n", "varnelo-render: cannot write %s/keep.bmp: "
                                                          "No space left on device\n" % small))
        # A link is written through to the file it names, which keeps its permissions.
        self.write("target.bmp", b"old")
        os.chmod(self.path("target.bmp"), 0o600)
        os.symlink("target.bmp", self.path("link.bmp"))
        self.assertEqual(run(["--picture", SCENE, "-o", "link.bmp"], self.dir).returncode, 0)
        self.assertEqual((os.readlink(self.path("link.bmp")), os.stat(self.path("target.bmp")).st_mode & 0o777,
                          os.path.getsize(self.path("target.bmp")), sorted(os.listdir(self.dir))),
                         ("target.bmp", 0o600, 54 + 320 * 200 * 3, ["link.bmp", "small", "target.bmp"]))

    def test_outputs_reach_pipes_terminals_and_the_files_links_name(self):
        os.symlink("loop", self.path("loop"))
        os.mkdir(self.path("d"))
        ways = ['"$0" "$@" -o /dev/stdout', '"$0" "$@" -o /dev/fd/3 3>&1 >/dev/null', '"$0" "$@" -o >(cat)',
                'rm -f p; mkfifo p; cat p & "$0" "$@" -o p && wait',
                # Dangling links, relative to their own folder (through a chain) and absolute: the target is made, the links stay.
                'rm -f d/*; ln -s t d/rel; ln -s rel d/chain; "$0" "$@" -o d/chain && test -L d/chain -a -L d/rel && cat d/t',
                'rm -f a l; ln -s "$PWD/a" l; "$0" "$@" -o l && test -L l && cat a']
        for form in (["--picture", SCENE], ["--spot", os.path.join(ASSETS, "spot.tga"), "--scene", SCENE, "--at", "100,70"],
                     ["--fit-scene", SCENE]):
            self.assertEqual(run(form + ["-o", "file"], self.dir).returncode, 0)
            expected = self.read("file")
            self.assertIsNone(Image.open(self.path("file")).getcolors(1), "one colour from %s" % form)
            for way in ways:
                result = subprocess.run(["bash", "-c", way, RENDER] + form, cwd=self.dir, capture_output=True, timeout=30)
                self.assertEqual((result.returncode, result.stderr, result.stdout == expected), (0, b"", True), (form, way))
            master, terminal = pty.openpty()
            tty.setraw(terminal)  # the bytes as written, with no line endings added
            child = subprocess.Popen([RENDER, *form, "-o", os.ttyname(terminal)], cwd=self.dir, stdout=terminal)
            os.close(terminal)
            got = b""
            with contextlib.suppress(OSError):  # EIO once the terminal's last holder has closed it
                while chunk := os.read(master, 65536):
                    got += chunk
            os.close(master)
            self.assertEqual((child.wait(timeout=30), got == expected), (0, True), "terminal, %s" % form)
            self.assertRefused(form + ["-o", "loop"], "cannot write loop: Too many levels of symbolic links")

    def test_release_build_passes_memcheck(self):
        # The build as shipped, not a sanitizer's: valgrind follows each byte it touches and what it leaves behind.
        Image.new("RGB", (13, 7), (9, 80, 200)).quantize(8).save(self.path("mapped.tga"))
        exif = Image.Exif()
        exif[0x0112] = 6
        Image.new("RGB", (400, 250), (9, 80, 200)).save(self.path("photo.jpg"), exif=exif)
        memcheck = ["valgrind", "-q", "--error-exitcode=9", "--leak-check=full", "--errors-for-leak-kinds=definite"]
        for args, code in [(["--indexed", "mapped.tga"], 0), (["--picture", SCENE], 0), (["--indexed", SCENE], 1),
                           (["--fit-scene", "photo.jpg"], 0), (["--fit-light", "photo.jpg"], 0), (["--fit-scene", SCENE], 0),
                           (["--spot", os.path.join(ASSETS, "spot.tga"), "--scene", SCENE, "--at", "100,60"], 0)]:
            result = run(args + ["-o", "out.bmp"], self.dir, under=memcheck)
            self.assertEqual((result.returncode, re.findall("^==.*", result.stderr, re.M)), (code, []), args)

    def test_bad_usage_exits_2_with_the_usage(self):
        numbers, at = "X,Y must be two whole numbers", "--at 1,2 -o a "
        for args, said in [
                ("--bogus", "unknown option --bogus"), ("--at=1,2", "unknown option --at=1,2"), ("-x", "unknown option -x"),
                (at + "extra", "unexpected argument extra"), ("--help --version", "--help takes no argument such as --version"),
                ("--at 1,2,3 -o a", "--at 1,2,3: " + numbers), ("--at 1x,2 -o a", "--at 1x,2: " + numbers),
                ("--at +1,2 -o a", "--at +1,2: " + numbers), ("--at ,5 -o a", "--at ,5: " + numbers),
                ("--at 2147483648,0 -o a", "--at 2147483648,0: X is out of range"),
                ("--at 0,-2147483649 -o a", "--at 0,-2147483649: Y is out of range"), (at + "-o b", "-o given twice"),
                ("--spot s --spot s --at 1,2 -o a", "--spot given twice"), ("--at 1,2", "no output: give -o OUT.bmp"),
                (at + "--spot", "--spot needs a value"), ("--picture '' -o a", "--picture needs a value"),
                ("--indexed a.tga -o ''", "-o needs a value"), ("-o x", "no input: give --picture, --indexed, --fit-scene, --fit-light or --at"),
                ("--fit-light a", "no output: give -o OUT.tga"), ("--fit-scene a --at 1,2 -o b", "--at cannot go with --fit-scene"),
                ("--picture a --indexed a -o x", "--indexed cannot go with --picture"),
                ("--picture a -o x --scene s", "--scene cannot go with --picture")]:
            result = run([word.strip("'") for word in args.split()], self.dir)
            self.assertEqual((result.returncode, result.stdout, result.stderr.split("\n")[:2]),
                             (2, "", ["varnelo-render: " + said, "usage: varnelo-render --picture IN.tga -o OUT.bmp"]), args)
        self.assertEqual(os.listdir(self.dir), [])
        result = run(["--help"], self.dir)
        self.assertEqual((result.returncode, result.stdout[:21], result.stderr), (0, "usage: varnelo-render", ""))
        self.assertIn("--at X,Y", result.stdout)
        self.assertRegex(run(["--version"], self.dir).stdout, r"^varnelo-render \d+\.\d+\.\d+\n$")

    def test_pictures_answers_help_and_version_and_refuses_options(self):
        usage, me, field = "\nusage: varnelo-pictures FOLDER\n", "varnelo-pictures: ", ": not a whole number from 0 to "
        for args, code, out, err in [
                ("--help", 0, "usage: varnelo-pictures FOLDER\n", ""), ("--version", 0, "varnelo-pictures 1.", ""),
                ("", 2, "", "usage: varnelo-pictures"), ("--frobnicate", 2, "", me + "unknown option --frobnicate" + usage),
                ("a b", 2, "", me + "unexpected argument b" + usage), ("''", 2, "", me + "empty folder name" + usage),
                ("--icons ''", 2, "", me + "empty folder name" + usage), ("--version a", 2, "", me + "--version takes no argument such as a" + usage),
                ("--icons", 2, "", me + "--icons needs a folder" + usage), ("--tga", 2, "", me + "--tga needs a file name" + usage),
                ("/absent", 1, "", me + "cannot write /absent/spot.tga: No such file or directory\n"),
                ("--tga w.tga width=70000", 2, "", me + "width=70000" + field + "65535\n"), ("--tga w.tga depth=", 2, "", me + "depth=" + field + "255\n"),
                ("--tga w.tga width=1 height=abc", 2, "", me + "height=abc" + field + "65535\n"), ("--tga w.tga size=1", 2, "", me + "unknown field size=1\n"),
                ("--tga w.tga width=-1", 2, "", me + "width=-1" + field + "65535\n"), ("--tga w.tga type=999", 2, "", me + "type=999" + field + "255\n")]:
            result = subprocess.run([PICTURES] + [word.strip("'") for word in args.split()], cwd=self.dir, capture_output=True, text=True, timeout=30)
            self.assertEqual((result.returncode, result.stdout[:len(out)], result.stderr[:len(err)]), (code, out, err), args)
        self.assertEqual(os.listdir(self.dir), [])
        self.assertEqual(subprocess.run([PICTURES, "--tga", "m.tga", "type=1", "map=2", "entry=24"], cwd=self.dir).returncode, 0)
        self.assertEqual(self.read("m.tga")[1:8], b"\1\1\0\0\2\0\x18", "a map of two 24-bit entries, as stated")
        for program in (RENDER, PICTURES):  # what cannot be written is not answered
            for option in ("--help", "--version"):
                with open("/dev/full", "w") as full:
                    result = subprocess.run([program, option], stdout=full, stderr=subprocess.PIPE, text=True, timeout=30)
                self.assertEqual((result.returncode, result.stderr), (1, os.path.basename(program) +
                                 ": cannot write to standard output: No space left on device\n"), option)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1] + sys.argv[4:])
