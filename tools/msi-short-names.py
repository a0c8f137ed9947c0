#!/usr/bin/env python3
"""Gives every file and folder name of a package that is no valid short (8.3) name a short
name before it, "PRINTE~1.INF|PrinterInfor.Inf", unique in its folder, as Windows
Installer's Filename type wants where short names are in use (ICE03); wixl writes the long
names alone.

    msi-short-names.py PACKAGE.msi
"""
import re
import subprocess
import sys

INVALID = r'\s\\?|><:/*"+,;=\[\]'
SHORT = re.compile(rf"[^.{INVALID}]{{1,8}}(\.[^.{INVALID}]{{1,3}})?")


def table(msi, name):
    out = subprocess.run(["msiinfo", "export", msi, name], check=True, capture_output=True, text=True).stdout
    return [line.split("\t") for line in out.replace("\r", "").splitlines()[3:] if line]


def short_for(name, taken):
    base, _, ext = name.rpartition(".") if "." in name else (name, "", "")
    stem = "".join(c for c in base.upper() if c.isalnum()) or "_"
    ext = "".join(c for c in ext.upper() if c.isalnum())[:3]
    for n in range(1, 100000):
        tail = f"~{n}"
        candidate = stem[:8 - len(tail)] + tail + (f".{ext}" if ext else "")
        if candidate not in taken:
            taken.add(candidate)
            return candidate
    raise SystemExit(f"msi-short-names: no short name is left for {name}")


def main():
    msi = sys.argv[1]
    folder_of = {row[0]: row[2] for row in table(msi, "Component")}
    entries = [("Directory", row[0], row[1], row[2], "DefaultDir") for row in table(msi, "Directory")]
    entries += [("File", row[0], folder_of[row[1]], row[2], "FileName") for row in table(msi, "File")]
    taken = {}
    for _, _, folder, name, _ in entries:
        for part in name.split("|"):
            if SHORT.fullmatch(part):
                taken.setdefault(folder, set()).add(part.upper())
    for kind, key, folder, name, column in entries:
        if "|" in name or ":" in name or SHORT.fullmatch(name) or name in (".", "SourceDir"):
            continue
        if "'" in name:
            raise SystemExit(f"msi-short-names: the name {name} holds a quote")
        short = short_for(name, taken.setdefault(folder, set()))
        query = f"UPDATE `{kind}` SET `{column}` = '{short}|{name}' WHERE `{kind}` = '{key}'"
        subprocess.run(["msibuild", msi, "-q", query], check=True)


if __name__ == "__main__":
    main()
