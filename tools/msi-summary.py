#!/usr/bin/env python3
"""Fixes the two values of a Windows Installer package that wixl takes from the moment
it runs: the package code (the revision number of the summary information, random) and
the creation and last-saved times (the clock).

    msi-summary.py PACKAGE PACKAGE_CODE EPOCH

PACKAGE_CODE is a GUID in braces, EPOCH seconds since 1970. The values are written in
place, where they are, so nothing else in the file moves: the package is a compound file
whose summary information is a property set in a stream of its own."""
import struct
import sys

FREE_SECTOR, END_OF_CHAIN = 0xFFFFFFFF, 0xFFFFFFFE
SUMMARY_STREAM = "\x05SummaryInformation"
PID_REVNUMBER, PID_CREATE_DTM, PID_LASTSAVE_DTM = 9, 12, 13
VT_LPSTR, VT_FILETIME = 30, 64


class CompoundFile:
    def __init__(self, data):
        if data[:8] != bytes.fromhex("d0cf11e0a1b11ae1"):
            raise ValueError("not a compound file")
        self.data = data
        self.sector_size = 1 << struct.unpack_from("<H", data, 0x1E)[0]
        self.mini_sector_size = 1 << struct.unpack_from("<H", data, 0x20)[0]
        fat_sectors = struct.unpack_from("<I", data, 0x2C)[0]
        first_directory, = struct.unpack_from("<I", data, 0x30)
        self.mini_cutoff, first_mini_fat, mini_fat_sectors, first_difat, difat_sectors = \
            struct.unpack_from("<IIIII", data, 0x38)
        difat = list(struct.unpack_from("<109I", data, 0x4C))
        sector = first_difat
        for _ in range(difat_sectors):
            entries = struct.unpack_from(f"<{self.sector_size // 4}I", data, self.offset(sector))
            difat.extend(entries[:-1])
            sector = entries[-1]
        self.fat = []
        for sector in difat[:fat_sectors]:
            self.fat.extend(struct.unpack_from(f"<{self.sector_size // 4}I", data, self.offset(sector)))
        self.mini_fat = []
        for sector in self.chain(first_mini_fat)[:mini_fat_sectors]:
            self.mini_fat.extend(struct.unpack_from(f"<{self.sector_size // 4}I", data, self.offset(sector)))
        self.directory = b"".join(self.sector(s) for s in self.chain(first_directory))
        root_start = struct.unpack_from("<I", self.directory, 116)[0]
        self.mini_stream_sectors = self.chain(root_start)

    def offset(self, sector):
        return (sector + 1) * self.sector_size

    def sector(self, sector):
        start = self.offset(sector)
        return self.data[start:start + self.sector_size]

    def chain(self, sector):
        sectors = []
        while sector not in (END_OF_CHAIN, FREE_SECTOR):
            if len(sectors) > len(self.data) // 64:
                raise ValueError("a sector chain loops")
            sectors.append(sector)
            sector = self.fat[sector]
        return sectors

    def stream_offsets(self, name):
        """The file offset of every byte of the stream NAME, in order."""
        for entry in range(len(self.directory) // 128):
            raw = self.directory[entry * 128:(entry + 1) * 128]
            length = struct.unpack_from("<H", raw, 64)[0]
            if length < 2 or raw[66] != 2 or raw[:length - 2].decode("utf-16-le") != name:
                continue
            start, size = struct.unpack_from("<IQ", raw, 116)
            size &= 0xFFFFFFFF
            if size >= self.mini_cutoff:
                return [self.offset(s) + i for s in self.chain(start) for i in range(self.sector_size)][:size]
            offsets, mini = [], start
            while mini not in (END_OF_CHAIN, FREE_SECTOR) and len(offsets) < size:
                for i in range(self.mini_sector_size):
                    at = mini * self.mini_sector_size + i
                    offsets.append(self.offset(self.mini_stream_sectors[at // self.sector_size]) + at % self.sector_size)
                mini = self.mini_fat[mini]
            return offsets[:size]
        raise ValueError(f"no stream {name!r}")


def main():
    path, package_code, epoch = sys.argv[1], sys.argv[2], int(sys.argv[3])
    if len(package_code) != 38 or package_code[0] != "{" or package_code[-1] != "}":
        raise SystemExit(f"msi-summary: {package_code} is not a GUID in braces")
    data = bytearray(open(path, "rb").read())
    offsets = CompoundFile(bytes(data)).stream_offsets(SUMMARY_STREAM)
    stream = bytes(data[o] for o in offsets)

    def write(at, value):
        for i, byte in enumerate(value):
            data[offsets[at + i]] = byte

    section, = struct.unpack_from("<I", stream, 44)
    count, = struct.unpack_from("<I", stream, section + 4)
    filetime = struct.pack("<Q", (epoch + 11644473600) * 10_000_000)
    done = set()
    for i in range(count):
        pid, value = struct.unpack_from("<II", stream, section + 8 + 8 * i)
        at = section + value
        kind, = struct.unpack_from("<I", stream, at)
        if pid in (PID_CREATE_DTM, PID_LASTSAVE_DTM) and kind == VT_FILETIME:
            write(at + 4, filetime)
            done.add(pid)
        elif pid == PID_REVNUMBER and kind == VT_LPSTR:
            length, = struct.unpack_from("<I", stream, at + 4)
            if length != len(package_code) + 1:
                raise SystemExit(f"msi-summary: the package code takes {length} bytes, not 39")
            write(at + 8, package_code.upper().encode("ascii") + b"\0")
            done.add(pid)
    missing = {PID_REVNUMBER, PID_CREATE_DTM, PID_LASTSAVE_DTM} - done
    if missing:
        raise SystemExit(f"msi-summary: {path} lacks the summary properties {sorted(missing)}")
    with open(path, "wb") as out:
        out.write(data)


if __name__ == "__main__":
    main()
