#!/usr/bin/env python3
"""Rewrites a zip so that its bytes follow from the files alone: names in sorted order, every
entry dated at SOURCE_DATE_EPOCH (zip keeps local time without a zone: this is read as UTC),
modes 644 or 755, no owner and no extra fields. The release command packs with CPack, whose zips
hold the order the file system listed and the builder's owner.

usage: repack-zip.py ZIP
"""
import os
import sys
import time
import zipfile


def main():
    path = sys.argv[1]
    # Zip times start in 1980 and are kept to two seconds.
    stamp = time.gmtime(max(int(os.environ['SOURCE_DATE_EPOCH']), 315532800))[:6]
    with zipfile.ZipFile(path) as source:
        entries = sorted((info.filename, info.external_attr >> 16, source.read(info))
                         for info in source.infolist() if not info.is_dir())
    with zipfile.ZipFile(path + '.new', 'w') as packed:
        for name, mode, data in entries:
            info = zipfile.ZipInfo(name, stamp)
            info.create_system = 3  # Unix, so that the mode below is read
            info.external_attr = (0o100755 if mode & 0o111 else 0o100644) << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            packed.writestr(info, data, compresslevel=9)
    os.replace(path + '.new', path)


if __name__ == '__main__':
    main()
