#!/usr/bin/env python3
"""Writes the WiX fragment of a driver medium's files for the package of one architecture:
every file below MEDIUM (except those named by --skip, at its top) in a component of its
own under InstallFolder, in folders as on the medium, in the component group MediumFiles.

    msi-medium.py MEDIUM ARCH OUT.wxs [--skip NAME]...

Identifiers and component GUIDs are derived from the file's path and the architecture,
so the same medium gives the same fragment and a file keeps its component from one
version to the next (as Windows Installer's component rules ask). Sources are named below
the preprocessor variable Medium, the medium's path as wixl is to find it."""
import hashlib
import os
import sys
import uuid
from xml.sax.saxutils import quoteattr

# Any fixed namespace will do; it must never change.
COMPONENT_NAMESPACE = uuid.UUID("A2C1E07B-5D94-4E43-8F0E-1B7D36C2F951")


def identifier(kind, relative):
    return kind + hashlib.sha256(relative.encode("utf-8")).hexdigest()[:32].upper()


def main():
    args = sys.argv[1:]
    skip = set()
    while "--skip" in args:
        at = args.index("--skip")
        skip.add(args[at + 1].lower())
        del args[at:at + 2]
    medium, arch, out = args
    win64 = "yes" if arch == "x64" else "no"

    files = []
    for folder, dirs, names in os.walk(medium):
        dirs.sort()
        for name in sorted(names):
            path = os.path.join(folder, name)
            relative = os.path.relpath(path, medium).replace(os.sep, "/")
            if relative.lower() in skip:
                continue
            if not relative.isascii():
                raise SystemExit(f"msi-medium: {relative}: the packages take file names in ASCII only")
            files.append(relative)

    lines = ['<?xml version="1.0" encoding="utf-8"?>',
             '<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">',
             '  <Fragment>', '    <DirectoryRef Id="InstallFolder">']
    components = []

    def emit(prefix, depth):
        indent = "  " * (depth + 3)
        here = sorted(f for f in files if os.path.dirname(f) == prefix)
        for relative in here:
            component = identifier("C", relative)
            guid = str(uuid.uuid5(COMPONENT_NAMESPACE, f"{arch}/{relative.lower()}")).upper()
            components.append(component)
            lines.append(f'{indent}<Component Id="{component}" Guid="{guid}" Win64="{win64}">')
            lines.append(f'{indent}  <File Id={quoteattr(identifier("F", relative))} '
                         f'Name={quoteattr(os.path.basename(relative))} '
                         f'Source={quoteattr("$(var.Medium)/" + relative)} KeyPath="yes"/>')
            lines.append(f'{indent}</Component>')
        start = prefix + "/" if prefix else ""
        below = sorted({f[len(start):].split("/")[0] for f in files
                        if f.startswith(start) and "/" in f[len(start):]})
        for name in below:
            folder = f"{prefix}/{name}" if prefix else name
            lines.append(f'{indent}<Directory Id="{identifier("D", folder)}" Name={quoteattr(name)}>')
            emit(folder, depth + 1)
            lines.append(f'{indent}</Directory>')

    emit("", 0)
    lines += ['    </DirectoryRef>', '  </Fragment>', '  <Fragment>', '    <ComponentGroup Id="MediumFiles">']
    lines += [f'      <ComponentRef Id="{c}"/>' for c in components]
    lines += ['    </ComponentGroup>', '  </Fragment>', '</Wix>']
    with open(out, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
