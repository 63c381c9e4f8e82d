#!/usr/bin/env python3
"""Gives a .deb the Installed-Size that follows from its files alone, as dpkg-gencontrol counts it:
each file's size in KiB rounded up, each folder and link as 1. CPack adds the sizes the file system
reports for its staging folders, and those differ with the file system the build runs on (a folder
is 4096 bytes on ext4, a few dozen on tmpfs, which Debian 13 mounts on /tmp): the same commit
would give two packages. Only the control member changes; the others keep their bytes.

usage: repack-deb.py DEB
"""
import gzip
import io
import re
import sys
import tarfile

AR_MAGIC = b'!<arch>\n'


def read_members(data):
    """The ar archive's members as [header, body] pairs, in order."""
    assert data.startswith(AR_MAGIC), 'not an ar archive'
    members, at = [], len(AR_MAGIC)
    while at < len(data):
        header = data[at:at + 60]
        size = int(header[48:58])
        members.append([header, data[at + 60:at + 60 + size]])
        at += 60 + size + (size & 1)
    return members


def installed_kib(data_tar_gz):
    with tarfile.open(fileobj=io.BytesIO(data_tar_gz)) as data:
        return sum((member.size + 1023) // 1024 if member.isfile() else 1
                   for member in data.getmembers() if member.name not in ('.', './'))


def with_installed_size(control_tar_gz, kib):
    """The control archive again, each member as it was but the control file's one line."""
    source = tarfile.open(fileobj=io.BytesIO(control_tar_gz))
    out = io.BytesIO()
    with tarfile.open(fileobj=out, mode="w", format=tarfile.USTAR_FORMAT) as target:
        for member in source.getmembers():
            body = source.extractfile(member).read() if member.isfile() else None
            if member.isfile() and member.name.lstrip('./') == 'control':
                body = re.sub(rb'(?m)^Installed-Size: \d+$', b'Installed-Size: %d' % kib, body)
                member.size = len(body)
            target.addfile(member, io.BytesIO(body) if body is not None else None)
    return gzip.compress(out.getvalue(), compresslevel=9, mtime=0)


def main():
    path = sys.argv[1]
    with open(path, 'rb') as deb:
        members = read_members(deb.read())
    bodies = {header[:16].decode().rstrip(' /'): member for member in members for header in [member[0]]}
    control = bodies['control.tar.gz']
    control[1] = with_installed_size(control[1], installed_kib(bodies['data.tar.gz'][1]))
    control[0] = control[0][:48] + b'%-10d' % len(control[1]) + control[0][58:]
    with open(path, 'wb') as deb:
        deb.write(AR_MAGIC)
        for header, body in members:
            deb.write(header + body + (b'\n' if len(body) & 1 else b''))


if __name__ == '__main__':
    main()
