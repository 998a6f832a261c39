#!/usr/bin/env python3
"""Rewrites a zip or a .tar.gz that CPack made so that it depends on nothing but its members'
names and bytes: members sorted by name, every time SOURCE_DATE_EPOCH, owners root (0), modes
0755 for folders and programs and 0644 for the rest, no extra fields, no time or name in the
gzip header, and the strongest deflate level. CPack keeps the order of the staging folder's
listing and each file's time, which differ from build to build.

    SOURCE_DATE_EPOCH=SECONDS normalize-archive.py ARCHIVE.zip|ARCHIVE.tar.gz
"""
import gzip, io, os, sys, tarfile, time, zipfile

path = sys.argv[1]
epoch = int(os.environ["SOURCE_DATE_EPOCH"])


def mode_of(mode, folder):
    return 0o755 if folder or mode & 0o111 else 0o644


if path.endswith(".zip"):
    with zipfile.ZipFile(path) as source:
        members = sorted(((info, source.read(info)) for info in source.infolist()), key=lambda m: m[0].filename.encode())
    stamp = time.gmtime(max(epoch, 315532800))[:6]  # the zip's MS-DOS time starts in 1980
    with zipfile.ZipFile(path, "w") as target:
        for info, data in members:
            folder = info.is_dir()
            fresh = zipfile.ZipInfo(info.filename, stamp)
            fresh.create_system = 3  # Unix, whose mode bits the external attributes carry
            fresh.external_attr = ((0o040000 if folder else 0o100000) | mode_of(info.external_attr >> 16, folder)) << 16 | (0x10 if folder else 0)
            fresh.compress_type = zipfile.ZIP_STORED if folder else zipfile.ZIP_DEFLATED
            target.writestr(fresh, data, compresslevel=9)
elif path.endswith(".tar.gz"):
    with tarfile.open(path) as source:
        members = sorted(((info, source.extractfile(info).read() if info.isfile() else None) for info in source.getmembers()),
                         key=lambda m: m[0].name.encode())
    tar = io.BytesIO()
    with tarfile.open(fileobj=tar, mode="w", format=tarfile.GNU_FORMAT) as target:
        for info, data in members:
            info.mtime, info.uid, info.gid, info.uname, info.gname = epoch, 0, 0, "root", "root"
            info.mode = mode_of(info.mode, info.isdir())
            target.addfile(info, io.BytesIO(data) if data is not None else None)
    with open(path, "wb") as out, gzip.GzipFile(filename="", fileobj=out, mode="wb", compresslevel=9, mtime=epoch) as packed:
        packed.write(tar.getvalue())
else:
    sys.exit(f"normalize-archive.py: {path}: neither a .zip nor a .tar.gz")
