"""JPEGs named <reason>.<width>x<height>.<what>.jpg ("ok" to pass, "none" for no frame found): CRAFTED byte by byte, that stb_image
2.27 decodes wrongly or does not take, and twins it takes; and by libjpeg, ImageMagick and Pillow, all written by write()."""
import io, os, random, struct, subprocess

from PIL import Image

import picture_kinds

segment = lambda marker, body: struct.pack(">BBH", 0xFF, marker, len(body) + 2) + body  # noqa: E731


def crafted(width=8, height=8, dc=15, step=1, frame=0xC0, bits=8, sampling=(0x11,), low=0, tables=0, scan=b"", restart=0, before=b"",
            band=None, scanned=None):  # band: the scan's first and last coefficient; scanned: how many components it names
    ids = range(1, len(sampling) + 1)
    sof = struct.pack(">BHHB", bits, height, width, len(ids)) + b"".join(bytes([i, s, 0]) for i, s in zip(ids, sampling))
    ids = ids[:scanned]
    sos = segment(0xDA, bytes([len(ids)]) + b"".join(bytes([i, tables]) for i in ids) + bytes(band or (0, 63 * (frame != 0xC2))) + bytes([low]))
    dqt = b"\x10" + struct.pack(">H", step) * 64 if step > 255 else b"\0" + bytes([step]) * 64
    dht = b"\0\1" + bytes(15) + bytes([dc]) + b"\x10\1" + bytes(15) + b"\0"  # a DC and an AC table of one 1-bit code
    return (b"\xFF\xD8" + before + segment(0xDB, dqt) + segment(frame, sof) + segment(0xC4, dht) + segment(0xDD, struct.pack(">H", restart))
            + (b"" if scan is None else sos + scan) + b"\xFF\xD9")


# Scans read as zero bits move each block's DC value by 1 - 2^dc; 29128 x 144 is the most blocks whose DC value, -32767 each, is an int.
FOUR, RESTARTS, DC_UP_32767 = (0x22, 0x11, 0x11, 0x11), b"".join(bytes([0xFF, 0xD0 + i % 8]) for i in range(18)), b"\x7F\xFF\0\0"
CRAFTED = {
    "ok.29128x144.dc-just-an-int": crafted(29128, 144), "damaged.29128x145.dc-past-an-int": crafted(29128, 145),
    "ok.29128x145.restarts": crafted(29128, 145, restart=3641, scan=RESTARTS), "damaged.8x8.dc-size-16": crafted(dc=16),
    "damaged.29128x145.a-restart-missing": crafted(29128, 145, restart=3641, scan=RESTARTS[2:]), "damaged.8x8.no-scan": crafted(scan=None),
    "damaged.16x8.dc-times-step-past-an-int": crafted(16, 8, step=65535), "damaged.8x8.dc-times-step-past-a-short": crafted(step=2),
    "damaged.24x24.progressive-dc-past-an-int": crafted(24, 24, frame=0xC2, low=13), "damaged.8x8.dc-table-undefined": crafted(tables=0x10, scan=b"\x7F"),
    "damaged.65535x65535.dc-past-an-int": crafted(65535, 65535, sampling=FOUR), "ok.65535x65535.dc-still": crafted(65535, 65535, 0, sampling=FOUR),
    "damaged.none.table-of-257-codes": crafted(before=segment(0xC4, b"\1" + bytes(8) + b"\xFF\2" + bytes(263))), "12-bit.8x8.sof0": crafted(bits=12),
    "16-bit.8x8.sof1": crafted(frame=0xC1, bits=16), "arithmetic-coded.none.dac": crafted(before=segment(0xCC, b"")),
    "damaged.8x8.sampled-3-to-2": crafted(sampling=(0x31, 0x21, 0x11)), "damaged.8x8.scan-of-no-component": crafted(scanned=0),
    "damaged.8x8.progressive-ac-of-two": crafted(frame=0xC2, sampling=(0x11,) * 3, band=(1, 63), scanned=2),
    "damaged.8x8.progressive-dc-with-ac": crafted(frame=0xC2, band=(0, 63)), "damaged.8x8.ac-code-undefined": crafted(scan=b"\0\0\x80"),
    "damaged.8x8.ac-code-of-a-table-since-redefined": crafted(dc=0, scan=b"\x60", before=segment(0xC4, b"\x10\2" + bytes(15) + b"\0\1")),
    "damaged.8x8.a-scan-to-spare-then-one-of-no-component": crafted(scan=bytes(8) + segment(0xDA, b"\0\0\x3F\0")), "damaged.0x8.width-0": crafted(0, 8),
    "damaged.8x8.a-scan-then-one-of-an-undefined-table": crafted(scan=segment(0xDA, b"\1\1\x10\0\x3F\0")),
    "damaged.none.table-of-class-2": crafted(before=segment(0xC4, b"\x20\1" + bytes(16))), "ok.8x8.dc-times-a-step-short-of-minus-2": crafted(step=65534),
    "damaged.none.precision-2-dqt": crafted(before=segment(0xDB, b"\x20" + bytes(128))), "ok.8x8.dc-times-step-0": crafted(step=0, scan=DC_UP_32767),
    "damaged.16x8.dc-times-a-step-short-of-minus-32768": crafted(16, 8, step=32768), "damaged.58257x72.dc-past-an-int-in-part-blocks": crafted(58257, 72),
    "damaged.8x8.dc-up-times-step-past-a-short": crafted(step=2, scan=DC_UP_32767),
    "damaged.16x8.restart-after-24-bits-to-spare": crafted(16, 8, dc=6, restart=1, scan=b"\x40\0\0\0\xFF\xD0"),
}
CRAFTED.update({"%s.8x8.sof%d" % (kind, n): crafted(frame=0xC0 + n) for kind, numbers in (
    ("lossless", (3, 7, 11, 15)), ("hierarchical", (5, 6)), ("arithmetic-coded", (9, 10, 13, 14))) for n in numbers})


def write():  # into the working folder
    for name in picture_kinds.photos("."):
        os.rename(name, "ok.%dx%d.kinds-%s" % (Image.open(name).size + (name,))) if name.endswith(".jpg") else os.remove(name)
    for name, data in CRAFTED.items():
        open(name + ".jpg", "wb").write(data)
    Image.frombytes("RGB", (61, 41), random.Random(3).randbytes(61 * 41 * 3)).resize((301, 203), Image.BICUBIC).save(ppm := io.BytesIO(), "PPM")
    for name, command in (("ok.301x203.cjpeg-16-bit-steps", "cjpeg -quality 1 -sample 2x1"), ("arithmetic-coded.301x203.cjpeg", "cjpeg -arithmetic"),
                          ("ok.301x203.cjpeg-progressive-grey-restarts", "cjpeg -progressive -restart 2B -grayscale"),
                          ("ok.301x203.magick-cmyk-progressive", "convert - -colorspace CMYK -interlace Plane jpg:-")):
        subprocess.run("%s > %s.jpg" % (command, name), shell=True, input=ppm.getvalue(), check=True)
