#!/usr/bin/env python3
"""Lists, per object linked into a DLL, the clock reads it references, and fails when an object
outside the allowed list makes one.

A call of the host into the plug-in (a tick, start-up, a menu command) reads the clock once and
hands that moment down; everything below it works on the moment it is given, so that one call
never sees two presents. A clock read is an import that reads the clock or the zone, or a call of
one of the product's own reading functions (which themselves live in allowed objects).

usage: scripts/clock-reads.py NM MAP BUILD_DIR
  NM         the toolchain's nm
  MAP        the DLL's GNU ld link map (its inputs name the objects and archive members linked)
  BUILD_DIR  the folder the map's relative paths start from
"""
import re
import subprocess
import sys
from collections import defaultdict

CLOCK_IMPORTS = (
    "GetLocalTime", "GetSystemTime", "GetSystemTimeAsFileTime", "GetSystemTimePreciseAsFileTime",
    "GetTimeZoneInformation", "GetDynamicTimeZoneInformation", "GetTimeZoneInformationForYear",
    "GetTickCount", "GetTickCount64", "QueryUnbiasedInterruptTime", "timeGetTime", "NtQuerySystemTime",
    "time", "_time32", "_time64", "_ftime", "_ftime32", "_ftime64", "clock", "_getsystime",
)
IMPORT = re.compile(r"^_{0,2}(?:imp_{1,2})?(" + "|".join(map(re.escape, CLOCK_IMPORTS)) + r")(?:@\d+)?$")
# The product's own functions that read the clock, as nm -C shows them.
READERS = ("ReadClock()", "CurrentTime32()", "CurrentMinute32()", "PresentMinute()")

# The objects that may read the clock, and why.
ALLOWED = {
    "EntryPoints.cpp.obj": "the host's calls start-up and settings-taken each read the present once",
    "Chronel.cpp.obj": "the host's callbacks (the tick, the schedule item's command) and start-up each read "
                       "the present once and hand it down",
    "Scheduler.cpp.obj": "defines PresentMinute, the host calls' reading of the local minute; its callers are "
                         "checked",
    "Reserve.cpp.obj": "the reservation command reads the present once, at its top",
    "ReserveDialog.cpp.obj": "the dialog's set button compares the moment chosen with the clock when it is "
                             "pressed, which may be minutes after the command opened the dialog",
    "SntpClient.cpp.obj": "the clock adjustment's thread, which reads and sets the clock it adjusts",
    "SntpExchange.cpp.obj": "the same thread: it times the exchange and reads the clock it corrects",
    "ActivityLog.cpp.obj": "each log line's timestamp is the moment it is written",
    "Time32.cpp.obj": "defines the reading functions; their callers are checked",
}

# Objects that still read the clock below a call of the host, listed without failing the check
# until the read moves up; each row goes once its object takes the moment from its caller.
OPEN = {}

INPUT = re.compile(r"(?<![\w/.-])((?:[\w.+-]+/)*[\w.+-]+\.(?:a|lib))\(([^)\s]+\.obj)\)|(?<![\w/.(-])((?:[\w.+-]+/)+[\w.+-]+\.obj)\b")


def linked_inputs(map_text):
    """The project's objects and archive members the map names (relative paths only: the
    toolchain's own libraries are named by absolute paths)."""
    members = defaultdict(set)
    objects = set()
    for m in INPUT.finditer(map_text):
        if m.group(1):
            members[m.group(1)].add(m.group(2))
        else:
            objects.add(m.group(3))
    return members, objects


def undefined(nm, path, build_dir):
    """{member or object name: [undefined symbols]} for an archive or an object."""
    out = subprocess.run([nm, "-u", "-C", path], cwd=build_dir, check=True, capture_output=True,
                         text=True).stdout
    symbols = defaultdict(list)
    current = path.rsplit("/", 1)[-1]
    for line in out.splitlines():
        if line.endswith(":") and not line.startswith(" "):
            current = line[:-1]
        elif line.strip().startswith("U "):
            symbols[current].append(line.strip()[2:])
    return symbols


def clock_reads(symbols):
    return sorted({s for s in symbols if IMPORT.match(s) or s in READERS})


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    nm, map_path, build_dir = sys.argv[1:]
    members, objects = linked_inputs(open(map_path, encoding="utf-8", errors="replace").read())
    reads = {}
    for archive, names in members.items():
        for member, symbols in undefined(nm, archive, build_dir).items():
            if member in names:
                reads[archive + "(" + member + ")"] = (member, clock_reads(symbols))
    for obj in objects:
        for _, symbols in undefined(nm, obj, build_dir).items():
            reads[obj] = (obj.rsplit("/", 1)[-1], clock_reads(symbols))
    if not reads:
        print("no objects found in the map")
        return 1
    failed = 0
    for path in sorted(reads):
        name, found = reads[path]
        if not found:
            continue
        reason = ALLOWED.get(name) or OPEN.get(name)
        print(("allowed " if name in ALLOWED else "OPEN    " if reason else "FAIL    ") + path + ": " +
              ", ".join(found))
        if reason:
            print("        " + reason)
        else:
            failed += 1
    print(f"{len(reads)} objects, {failed} reading the clock below a call of the host")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
