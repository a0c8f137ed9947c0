#!/usr/bin/env python3
"""Writes a zip whose bytes depend only on the names and contents of the files:
    reproducible-zip.py ZIP EPOCH DIR

Every regular file under DIR becomes an entry named "<DIR's name>/<path below DIR>",
in sorted order, deflated at level 9, with the modification time EPOCH (seconds since
1970, UTC; clamped to the zip format's range 1980..2107) and the permissions rw-r--r--.
No directory entries, extra fields or comments: nothing of the file system's own
times, owners or order reaches the archive."""
import os
import pathlib
import sys
import time
import zipfile

DOS_MIN = 315532800   # 1980-01-01 00:00:00 UTC
DOS_MAX = 4354819198  # 2107-12-31 23:59:58 UTC


def entry_time(epoch):
    epoch = min(max(epoch, DOS_MIN), DOS_MAX)
    return time.gmtime(epoch)[:6]


def main(argv):
    if len(argv) != 4:
        sys.exit(__doc__)
    target, epoch, top = pathlib.Path(argv[1]), int(argv[2]), pathlib.Path(argv[3])
    when = entry_time(epoch)
    files = []
    for dirpath, dirnames, filenames in os.walk(top):
        for name in filenames:
            path = pathlib.Path(dirpath, name)
            if path.is_symlink() or not path.is_file():
                sys.exit(f"reproducible-zip: {path} is not a regular file")
            files.append(path.relative_to(top).as_posix())
    if not files:
        sys.exit(f"reproducible-zip: no files under {top}")
    with zipfile.ZipFile(target, "w") as archive:
        for relative in sorted(files):
            info = zipfile.ZipInfo(f"{top.name}/{relative}", date_time=when)
            info.create_system = 3  # Unix, so that external_attr holds the mode
            info.external_attr = 0o100644 << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(top / relative, "rb") as f:
                archive.writestr(info, f.read(), compresslevel=9)


if __name__ == "__main__":
    main(sys.argv)
