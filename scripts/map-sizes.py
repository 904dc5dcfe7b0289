#!/usr/bin/env python3
"""Sums a GNU ld link map by input file: what each object or archive member puts into the
sections of a stripped PE image (debug sections, which strip removes, and .bss, which takes no
room in the file, are left out).

usage: scripts/map-sizes.py MAP [COUNT]    prints Markdown tables: the section totals, the totals
                                           by origin (our objects and resources, each library),
                                           and the COUNT largest inputs (default 15)
"""
import re
import sys
from collections import defaultdict

LOADED = (".text", ".data", ".rdata", ".eh_frame", ".tls", ".CRT", ".pdata", ".xdata",
          ".idata", ".edata", ".rsrc", ".reloc", ".gcc_except_table", ".ctors", ".dtors")


def loaded(section):
    return any(section == s or section.startswith(s + "$") or section.startswith(s + ".")
               for s in LOADED)


def short(path):
    # archive(member) -> library(member) without the directories
    m = re.match(r"(.*/)?([^/(]+)(\(.*\))?$", path)
    return (m.group(2) + (m.group(3) or "")) if m else path


def main():
    lines = open(sys.argv[1], encoding="utf-8", errors="replace").read().splitlines()
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 15
    start = next(i for i, l in enumerate(lines) if l.startswith("Linker script and memory map"))
    out_section = None
    pending = None
    by_file = defaultdict(int)
    by_section = defaultdict(int)
    entry = re.compile(r"^ (\S+)?\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$")
    for line in lines[start:]:
        top = re.match(r"^(\.[\w$.]+)", line)
        if top:
            out_section = top.group(1)
            continue
        if out_section is None or not loaded(out_section):
            continue
        m = entry.match(line)
        if m:
            name = m.group(1) or pending
            pending = None
            if name is None or not loaded(name):
                continue
            size = int(m.group(2), 16)
            by_file[short(m.group(3).strip())] += size
            by_section[out_section] += size
            continue
        lone = re.match(r"^ (\.[\w$.]+|\*\(.*\)|COMMON)\s*$", line)
        pending = lone.group(1) if lone else None
    by_origin = defaultdict(int)
    for name, size in by_file.items():
        library = re.match(r"([^(]+\.a)\(", name)
        if library and not library.group(1).startswith("libchronel") and not library.group(1).startswith("libchronset"):
            by_origin[library.group(1)] += size
        elif name.endswith((".obj", ".res", ".obj)", ".res)")):
            by_origin["our objects and resources"] += size
        else:
            by_origin[name] += size
    total = sum(by_file.values())
    print("| section | bytes |\n|---|---:|")
    for section, size in sorted(by_section.items(), key=lambda kv: -kv[1]):
        print(f"| `{section}` | {size} |")
    print(f"| all | {total} |\n")
    print("| origin | bytes |\n|---|---:|")
    for name, size in sorted(by_origin.items(), key=lambda kv: -kv[1]):
        print(f"| `{name}` | {size} |")
    print()
    print("| input | bytes |\n|---|---:|")
    for name, size in sorted(by_file.items(), key=lambda kv: -kv[1])[:count]:
        print(f"| `{name}` | {size} |")


if __name__ == "__main__":
    main()
