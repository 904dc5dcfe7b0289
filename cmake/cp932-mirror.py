#!/usr/bin/env python3
"""Mirrors the sources for a compiler that cannot convert string literals to the ANSI code page
(clang accepts UTF-8 only): every non-ASCII character becomes octal escapes of its Shift JIS
(CP932) bytes, so string literals carry the same bytes that gcc's -fexec-charset=CP932 gives.
Octal escapes take at most three digits, so a following character is never swallowed; in
comments the escapes are harmless. Files are rewritten only when their content changes.

usage: cp932-mirror.py SOURCE_DIR TARGET_DIR DIR [DIR ...]
"""
import os
import sys

SUFFIXES = (".cpp", ".h", ".cmake", ".txt", ".rc", ".def", ".in", ".ico", ".json", ".ld")


def escape(text):
    out = []
    for ch in text:
        if ord(ch) < 0x80:
            out.append(ch)
            continue
        try:
            data = ch.encode("cp932")
        except UnicodeEncodeError:
            data = b"?"
        out.append("".join("\\%03o" % b for b in data))
    return "".join(out)


def mirror(source, target, relative):
    for base, _dirs, files in os.walk(os.path.join(source, relative)):
        for name in files:
            path = os.path.join(base, name)
            rel = os.path.relpath(path, source)
            dest = os.path.join(target, rel)
            with open(path, "rb") as f:
                data = f.read()
            if name.endswith((".cpp", ".h")):
                data = escape(data.decode("utf-8")).encode("ascii")
            elif not name.endswith(SUFFIXES):
                continue
            os.makedirs(os.path.dirname(dest), exist_ok=True)
            if os.path.exists(dest):
                with open(dest, "rb") as f:
                    if f.read() == data:
                        continue
            with open(dest, "wb") as f:
                f.write(data)


def main(argv):
    if len(argv) < 4:
        sys.exit(__doc__)
    for relative in argv[3:]:
        mirror(argv[1], argv[2], relative)


if __name__ == "__main__":
    main(sys.argv)
