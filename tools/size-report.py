#!/usr/bin/env python3
"""Prints a program's size and its biggest contributors by object file, from the linker map.

    size-report.py PROGRAM.exe PROGRAM.map [COUNT]

Sizes are the input sections the linker kept (after --gc-sections), summed per object file;
their total is close to, but not the same as, the file size (headers, alignment).
"""
import os
import re
import sys
from collections import defaultdict


def kept_sections(map_path):
    """Yields (section, size, object) for every input section the linker kept."""
    with open(map_path, encoding="utf-8", errors="replace") as f:
        lines = f.read().splitlines()
    try:
        start = lines.index("Linker script and memory map") + 1
    except ValueError:
        start = 0
    pending = None
    for line in lines[start:]:
        fields = line.split()
        if not fields:
            pending = None
            continue
        # A long section name stands alone; its address, size and object follow on the next line.
        if len(fields) == 1 and line.startswith(" .") :
            pending = fields[0]
            continue
        if pending and len(fields) >= 3 and fields[0].startswith("0x") and fields[1].startswith("0x"):
            sect, size, obj = pending, fields[1], " ".join(fields[2:])
        elif line.startswith(" .") and len(fields) >= 4 and fields[1].startswith("0x") and fields[2].startswith("0x"):
            sect, size, obj = fields[0], fields[2], " ".join(fields[3:])
        else:
            pending = None
            continue
        pending = None
        if obj.startswith("0x") or sect.startswith((".debug", ".stab", ".comment")):
            continue
        yield sect, int(size, 16), obj


def short_name(obj):
    # "/usr/lib/gcc/.../libgcc.a(_udivdi3.o)" -> "libgcc.a(_udivdi3.o)"; "CMakeFiles/x.dir/a.cpp.obj" -> "a.cpp.obj"
    m = re.match(r"(.*/)?([^/(]+\.a)\((.*)\)$", obj)
    if m:
        return "%s(%s)" % (m.group(2), os.path.basename(m.group(3)))
    return os.path.basename(obj)


def main():
    exe, map_path = sys.argv[1], sys.argv[2]
    count = int(sys.argv[3]) if len(sys.argv) > 3 else 25
    size = os.path.getsize(exe)
    print("%s: %d bytes (%.1f KB)" % (os.path.basename(exe), size, size / 1024.0))
    per_obj = defaultdict(int)
    for _sect, n, obj in kept_sections(map_path):
        per_obj[short_name(obj)] += n
    total = sum(per_obj.values())
    print("Top %d contributors (bytes of kept sections, %d in all):" % (count, total))
    for obj, n in sorted(per_obj.items(), key=lambda kv: -kv[1])[:count]:
        print("%8d  %5.1f%%  %s" % (n, 100.0 * n / total if total else 0, obj))


if __name__ == "__main__":
    main()
