#!/usr/bin/env python3
"""Checks that the shipped binaries load on Windows 95 and NT 4.0 onwards.

check_shipped.py OBJDUMP IMPORT_LIST BINARY...
check_shipped.py --draft OBJDUMP IMPORT_LIST BINARY...


- every static import is in the reviewed list, and the list names none that
  no binary imports;
- every import exists on Windows 95 (at least as a stub) and NT 4.0, unless
  the list says it is resolved at run time;
- the headers ask for no newer Windows (OS and subsystem version 4.0), and a
  DLL names the GUI subsystem;
- no code reads the thread's implicit TLS array (fs:[0x2C]), which a DLL
  loaded with LoadLibrary before Windows Vista does not get.

--draft prints the list as the binaries' import tables give it instead: the
reviewed lines of what is still imported, the run-time entries, and "?" in
the three review columns of every new import, which the check refuses until
someone has looked the function up.
"""
import re
import subprocess
import sys

OLD_ENOUGH_9X = {"95", "95-stub"}
OLD_ENOUGH_NT = {"3.1", "3.5", "3.51", "4.0"}


def read_list(path):
    entries = {}
    for number, line in enumerate(open(path, encoding="utf-8"), 1):
        if line.startswith("#") or not line.strip():
            continue
        fields = line.rstrip("\n").split("\t")
        if len(fields) != 5:
            sys.exit(f"{path}:{number}: expected 5 tab-separated fields, got {len(fields)}")
        dll, function, win9x, winnt, source = fields
        entries[(dll.upper(), function)] = (win9x, winnt, source)
    return entries


def objdump(tool, *args):
    return subprocess.run([tool, *args], check=True, capture_output=True, text=True).stdout


def imports_of(private_headers):
    found, dll = set(), None
    for line in private_headers.splitlines():
        named = re.match(r"\s*DLL Name: (\S+)", line)
        if named:
            dll = named.group(1).upper()
            continue
        entry = re.match(r"\t[0-9a-f]+\t +(\d+)  (\S+)", line)
        if dll and entry:
            ordinal, name = entry.groups()
            found.add((dll, "#" + ordinal if name == "<none>" else name))
    return found


def header_field(private_headers, name):
    match = re.search(rf"^{name}\s+(\S+)", private_headers, re.MULTILINE)
    return match.group(1) if match else None


def check_binary(tool, path, reviewed, problems):
    headers = objdump(tool, "-p", path)
    imports = imports_of(headers)
    if not imports:
        problems.append(f"{path}: no imports read; objdump output not understood")
    for key in sorted(imports):
        entry = reviewed.get(key)
        if entry is None:
            problems.append(f"{path}: {key[0]} {key[1]} is imported but not in the reviewed list")
            continue
        win9x, winnt, source = entry
        if source == "runtime":
            problems.append(f"{path}: {key[0]} {key[1]} is listed as resolved at run time but imported statically")
        elif source != "host" and (win9x not in OLD_ENOUGH_9X or winnt not in OLD_ENOUGH_NT):
            problems.append(f"{path}: {key[0]} {key[1]} needs Windows {win9x} / NT {winnt}")
    for name in ("MajorOSystemVersion", "MajorSubsystemVersion"):
        if header_field(headers, name) != "4":
            problems.append(f"{path}: {name} is {header_field(headers, name)}, expected 4")
    for name in ("MinorOSystemVersion", "MinorSubsystemVersion"):
        if header_field(headers, name) != "0":
            problems.append(f"{path}: {name} is {header_field(headers, name)}, expected 0")
    if path.upper().endswith(".DLL") and header_field(headers, "Subsystem") != "00000002":
        problems.append(f"{path}: subsystem {header_field(headers, 'Subsystem')}, expected 2 (Windows GUI)")
    if re.search(r"%fs:0x2c\b", objdump(tool, "-d", path)):
        problems.append(f"{path}: code reads the implicit TLS array at fs:[0x2C]")
    return imports


def print_draft(tool, list_path, binaries, reviewed):
    imported = set()
    for path in binaries:
        imported |= imports_of(objdump(tool, "-p", path))
    kept = {key for key, (_, _, source) in reviewed.items() if source == "runtime"}
    with open(list_path, encoding="utf-8") as f:
        print("".join(line for line in f if line.startswith("#")), end="")
    for key in sorted(imported | kept, key=lambda key: (key[0], key[1].lower())):
        print("\t".join((*key, *reviewed.get(key, ("?", "?", "?")))))
    return 0


def main():
    draft = sys.argv[1:2] == ["--draft"]
    args = sys.argv[2:] if draft else sys.argv[1:]
    if len(args) < 3:
        sys.exit(__doc__)
    tool, list_path, binaries = args[0], args[1], args[2:]
    reviewed = read_list(list_path)
    if draft:
        return print_draft(tool, list_path, binaries, reviewed)
    problems, imported = [], set()
    for path in binaries:
        imported |= check_binary(tool, path, reviewed, problems)
    for key, (_, _, source) in sorted(reviewed.items()):
        if key not in imported and source != "runtime":
            problems.append(f"{list_path}: {key[0]} {key[1]} is imported by no binary; remove it from the list")
    for problem in problems:
        print(problem)
    print(f"{len(imported)} imports of {len(binaries)} binaries checked, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
