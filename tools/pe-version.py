#!/usr/bin/env python3
"""Prints the file version and language of a Windows program's version resource, as the
File table of a Windows Installer package takes them ("1.0.0.0 2052"):

    pe-version.py PROGRAM

The version is VS_FIXEDFILEINFO's dwFileVersionMS and dwFileVersionLS; the language the
first of the Translation value of VarFileInfo. Exit status 1 when the program has none."""
import struct
import sys


def main():
    data = open(sys.argv[1], "rb").read()
    fixed = data.find(struct.pack("<I", 0xFEEF04BD))
    key = "Translation\0".encode("utf-16-le")
    translation = data.find(key)
    if fixed < 0 or translation < 6:
        raise SystemExit(f"pe-version: {sys.argv[1]} has no version resource")
    high, low = struct.unpack_from("<II", data, fixed + 8)
    # The Var block starts 6 bytes before its key; its value follows the key, aligned to 4.
    start = translation - 6
    value = start + ((6 + len(key) + 3) & ~3)
    language = struct.unpack_from("<H", data, value)[0]
    print(f"{high >> 16}.{high & 0xFFFF}.{low >> 16}.{low & 0xFFFF} {language}")


if __name__ == "__main__":
    main()
