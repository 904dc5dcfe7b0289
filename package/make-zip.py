#!/usr/bin/env python3
"""Writes the release zip reproducibly: entries sorted by name, one fixed time stamp, fixed
permissions and compression, so the same inputs always give the same bytes.

usage: make-zip.py OUTPUT.zip NAME=PATH [NAME=PATH ...]
"""
import sys
import zipfile

STAMP = (2026, 12, 1, 0, 0, 0)


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    output = argv[1]
    entries = sorted(arg.split("=", 1) for arg in argv[2:])
    with zipfile.ZipFile(output, "w") as archive:
        for name, path in entries:
            with open(path, "rb") as source:
                data = source.read()
            info = zipfile.ZipInfo(name, STAMP)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0  # MS-DOS: no Unix permissions recorded
            info.external_attr = 0x20  # archive bit only
            archive.writestr(info, data, compresslevel=9)


if __name__ == "__main__":
    main(sys.argv)
