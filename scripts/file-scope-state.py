#!/usr/bin/env python3
"""Lists the mutable objects of file scope (function-local statics included) in the objects linked
into chronel.dll, and fails when there are more than the plug-in keeps module-wide.

usage: file-scope-state.py BUILD_DIR [--nm NM] [--limit N]

The objects are those chronel.dll is linked from: its own (DllMain, EntryPoints), the plug-in's
core and pure layers, the shipped common and SNTP code and the DLL runtime. A mutable object is
a symbol nm shows in .data or .bss (types d, D, b, B) that is not a section's name or one the
compiler made (guard variables, vtables, string pools).
"""
import argparse
import glob
import os
import subprocess
import sys

ARCHIVES = [
    "plugin/libchronel_plugin_core.a",
    "plugin/libchronel_plugin_pure.a",
    "common/libchronel_common_shipped.a",
    "common/libchronel_sntp_shipped.a",
]
OBJECT_DIRS = [
    "plugin/CMakeFiles/chronel.dir",
    "common/CMakeFiles/chronel_dll_runtime.dir",
]
# The compiler's own: guard variables of local statics, virtual tables and type data, the
# reference pointers and import slots the linker fills.
COMPILER_PREFIXES = ("guard variable", "vtable", "typeinfo", ".refptr", "__imp_", "_ZGV", "_ZTV", "_ZTI", "_ZTS")


def inputs(build):
    found = []
    for archive in ARCHIVES:
        path = os.path.join(build, archive)
        if not os.path.exists(path):
            sys.exit("missing " + path)
        found.append(path)
    for folder in OBJECT_DIRS:
        objects = sorted(glob.glob(os.path.join(build, folder, "**", "*.obj"), recursive=True))
        if not objects:
            sys.exit("no objects in " + os.path.join(build, folder))
        found.extend(objects)
    return found


def mutable_objects(nm, path):
    out = subprocess.run([nm, "-C", "-A", path], check=True, capture_output=True, text=True).stdout
    objects = []
    for line in out.splitlines():
        # "archive:member:address type name" or "object:address type name"
        head, _, rest = line.partition(" ")
        kind, _, name = rest.partition(" ")
        if kind not in ("b", "B", "d", "D") or not name:
            continue
        if name.startswith(".") or name.startswith(COMPILER_PREFIXES):
            continue
        where = os.path.basename(head.rsplit(":", 2)[-2] if head.count(":") >= 2 else head.rsplit(":", 1)[0])
        objects.append((where, name))
    return objects


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--nm", default="i686-w64-mingw32-nm")
    parser.add_argument("--limit", type=int, default=5)
    args = parser.parse_args()
    found = []
    for path in inputs(args.build):
        found.extend(mutable_objects(args.nm, path))
    found.sort()
    for where, name in found:
        print(f"{where}: {name}")
    print(f"{len(found)} mutable file-scope objects (at most {args.limit})")
    return 0 if len(found) <= args.limit else 1


if __name__ == "__main__":
    sys.exit(main())
