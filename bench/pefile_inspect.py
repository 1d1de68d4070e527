#!/usr/bin/python3
"""What `snapinctl inspect --json` does, done with pefile, for timing the two
side by side: for each FILE, whether it is a snap-in and of which kind (the
module's rules) and its U.S. English, Unicode FileDescription. One JSON line
per file with "file", "check", "kind" and "description".

    pefile_inspect.py FILE...
"""
import json
import sys

import pefile

MARKER = b"InitSnapin"
VIEW_IMPORT = b"VMARegisterMDIChildWindow"


def holds(block, name):
    """FindStringInBlock: the name with its NUL, else a beginning of it at the end."""
    if block.find(name + b"\0") >= 0:
        return True
    return any(block.endswith(name[:r]) for r in range(min(len(name), len(block)), 0, -1))


def classify(pe, size):
    if pe.DOS_HEADER.e_lfarlc < 0x40 or not pe.FILE_HEADER.Characteristics & 0x2000:
        return -1, 0
    kind = 0
    table = pe.DOS_HEADER.e_lfanew + 248
    for index in range(pe.FILE_HEADER.NumberOfSections):
        header = table + 40 * index
        if header + 40 > size:
            return -1, kind
        section = pefile.SectionStructure(pe.__IMAGE_SECTION_HEADER_format__, pe=pe)
        section.__unpack__(pe.__data__[header:header + 40])
        name = section.Name.split(b"\0", 1)[0]
        if name not in (b".rdata", b".idata"):
            continue
        length = section.SizeOfRawData if section.SizeOfRawData < 0x80000000 else 0
        start = section.PointerToRawData
        if start + length > size:
            return -1, kind
        block = pe.__data__[start:start + length]
        if name == b".rdata":
            if not holds(block, MARKER):
                return -1, kind
        else:
            kind = 2 if holds(block, VIEW_IMPORT) else 1
    return 0, kind


def description(pe):
    for info in getattr(pe, "FileInfo", None) or []:
        for entry in info:
            for table in getattr(entry, "StringTable", []):
                if table.LangID.lower() == b"040904b0":
                    text = table.entries.get(b"FileDescription")
                    if text is not None:
                        return text.decode("utf-8", "replace").split("\0", 1)[0]
    return None


def inspect(path):
    try:
        pe = pefile.PE(path, fast_load=True)
    except (pefile.PEFormatError, OSError):
        return {"file": path, "check": -1, "kind": 0, "description": None}
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    check, kind = classify(pe, len(pe.__data__))
    return {"file": path, "check": check, "kind": kind, "description": description(pe)}


def main():
    out = sys.stdout
    for path in sys.argv[1:]:
        out.write(json.dumps(inspect(path)) + "\n")


if __name__ == "__main__":
    main()
