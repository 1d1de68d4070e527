#!/usr/bin/env python3
"""What the shipped binaries weigh, and whether they stay within their limits.

footprint.py OBJDUMP BINARY...                 report: size, imports per DLL,
                                               the ten largest contributors
footprint.py --limits FILE OBJDUMP BINARY...   fails when a binary is over
                                               its limits in FILE

Each BINARY is a stripped release binary with its linker map, BINARY.map,
beside it. The limits file has one line per binary: file name, the most
bytes, the most imported functions, tab-separated.
"""
import collections
import os
import re
import sys

from check_shipped import imports_of, objdump

# Input sections of the image; debug information is split off before shipping.
NOT_SHIPPED = re.compile(r"\.(z?debug|stab)")
INPUT_SECTION = re.compile(r"^\s+(?:\S+\s+)?0x[0-9a-f]+\s+0x([0-9a-f]+) (\S.*)$")


def imports_per_dll(tool, path):
    counts = collections.Counter(dll for dll, _ in imports_of(objdump(tool, "-p", path)))
    return dict(sorted(counts.items()))


def contributor(input_file):
    """libstdc++.a(string-inst.o) for an archive member, the path otherwise."""
    member = re.match(r"(.*/)?([^/]+\.a\(.*\))$", input_file)
    return member.group(2) if member else input_file


def contributions(map_path):
    """Bytes of shipped input sections per archive member or object file."""
    sizes = collections.Counter()
    in_layout, shipped = False, False
    for line in open(map_path, encoding="utf-8", errors="replace"):
        if line.startswith("Linker script and memory map"):
            in_layout = True
        elif not in_layout:
            continue
        elif line[:1] == ".":
            shipped = not NOT_SHIPPED.match(line)
        elif shipped:
            section = INPUT_SECTION.match(line.rstrip("\n"))
            if section and not line.startswith(" *fill*"):
                sizes[contributor(section.group(2).strip())] += int(section.group(1), 16)
    return sizes


def read_limits(path):
    limits = {}
    for line in open(path, encoding="utf-8"):
        if line.startswith("#") or not line.strip():
            continue
        name, size, imports = line.rstrip("\n").split("\t")
        limits[name] = (int(size), int(imports))
    return limits


def report(tool, path):
    imports = imports_per_dll(tool, path)
    print(f"{os.path.basename(path)}: {os.path.getsize(path):,} bytes stripped, "
          f"{sum(imports.values())} imports")
    for dll, count in imports.items():
        print(f"  {dll:16} {count:4}")
    print("  largest contributors (bytes of sections, from the linker map):")
    for name, size in contributions(path + ".map").most_common(10):
        print(f"  {size:9,}  {name}")


def over_limits(tool, path, limits):
    name = os.path.basename(path)
    if name not in limits:
        return [f"{name}: no limits given"]
    max_size, max_imports = limits[name]
    size, imports = os.path.getsize(path), sum(imports_per_dll(tool, path).values())
    problems = []
    if size > max_size:
        problems.append(f"{name}: {size:,} bytes stripped, {size - max_size:,} over the limit of {max_size:,}")
    if imports > max_imports:
        problems.append(f"{name}: {imports} imported functions, {imports - max_imports} over the limit of {max_imports}")
    print(f"{name}: {size:,} of {max_size:,} bytes, {imports} of {max_imports} imports")
    return problems


def main(argv):
    if len(argv) >= 4 and argv[0] == "--limits":
        limits = read_limits(argv[1])
        problems = [p for path in argv[3:] for p in over_limits(argv[2], path, limits)]
        for problem in problems:
            print(problem)
        return 1 if problems else 0
    if len(argv) < 2 or argv[0].startswith("-"):
        sys.exit(__doc__)
    for path in argv[1:]:
        report(argv[0], path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
