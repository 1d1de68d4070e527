#!/usr/bin/env python3
"""An independent reading of snap-in candidates, to check snapinctl against.

Written from the rules of the image format (with the project's
bounds rule: anything read must lie inside the file, else the file is not a
snap-in), not from the C++ code. Standard library only.

    independent_inspect.py inspect FILE...
        prints "check kind verdict description" per file

    independent_inspect.py compare --snapinctl SCRIPT [--batch N] DIR_OR_FILE...
        runs `SCRIPT inspect --json` over every 32-bit PE file found (in
        batches), checks that it prints exactly one valid JSON line per file
        with the keys in order, and that check, kind, the reason's verdict and
        the U.S. English FileDescription agree with this reading. Prints the
        counts per kind; exit status 1 on any disagreement.
"""
import argparse
import json
import os
import struct
import subprocess
import sys
import tempfile
import time

MARKER = b"InitSnapin"
VIEW_IMPORT = b"VMARegisterMDIChildWindow"

# The reason texts snapinctl gives for check == -1, per verdict.
REASONS = {
    "no-mz": "not an executable image (no MZ signature)",
    "dos": "DOS executable (e_lfarlc below 0x40)",
    "no-pe": "not a PE image (no PE signature)",
    "not-dll": "not a library (IMAGE_FILE_DLL not set)",
    "header-outside": "image header lies outside the file",
    "section-outside": "section lies outside the file",
    "no-marker": "a .rdata section lacks the InitSnapin marker",
}
KIND_REASONS = {0: "snap-in without import section", 1: "object snap-in", 2: "view snap-in"}


class Outside(Exception):
    pass


def field(data, fmt, offset):
    """struct.unpack_from that refuses to read past the end (or before 0)."""
    size = struct.calcsize(fmt)
    if offset < 0 or offset + size > len(data):
        raise Outside()
    return struct.unpack_from(fmt, data, offset)


def holds(block, name):
    """The marker search: at some offset i, strncmp(block + i, name, len - i) == 0."""
    n = len(name)
    start = 0
    while True:
        i = block.find(name[:1], start) if n else block.find(b"\0", start)
        if i < 0:
            return False
        rest = len(block) - i
        if rest > n:
            if block[i:i + n] == name and block[i + n] == 0:
                return True
        elif block[i:] == name[:rest]:
            return True
        start = i + 1


def inspect_image(data):
    """(check, kind, verdict) with check 0 or -1, as CheckSnapinImage gives for a mapped file."""
    kind = 0
    try:
        (magic,) = field(data, "<H", 0)
    except Outside:
        return -1, kind, "header-outside"
    if magic != 0x5A4D:
        return -1, kind, "no-mz"
    try:
        (lfarlc,) = field(data, "<H", 0x18)
    except Outside:
        return -1, kind, "header-outside"
    if lfarlc < 0x40:
        return -1, kind, "dos"
    try:
        (pe,) = field(data, "<I", 0x3C)
        (signature,) = field(data, "<H", pe)
    except Outside:
        return -1, kind, "header-outside"
    if signature != 0x4550:
        return -1, kind, "no-pe"
    try:
        (count,) = field(data, "<H", pe + 6)
        (flags,) = field(data, "<H", pe + 22)
    except Outside:
        return -1, kind, "header-outside"
    if not flags & 0x2000:
        return -1, kind, "not-dll"
    for index in range(count):
        at = pe + 248 + 40 * index
        try:
            field(data, "40s", at)  # the whole header, as the loader needs it
            name = field(data, "8s", at)[0]
            raw_size, raw_pointer = field(data, "<iI", at + 16)
        except Outside:
            return -1, kind, "section-outside"
        name = name.split(b"\0", 1)[0]
        if name not in (b".rdata", b".idata"):
            continue
        if raw_size <= 0:
            block = b""
        elif raw_pointer + raw_size > len(data):
            return -1, kind, "section-outside"
        else:
            block = data[raw_pointer:raw_pointer + raw_size]
        if name == b".rdata":
            if not holds(block, MARKER):
                return -1, kind, "no-marker"
        else:
            kind = 2 if holds(block, VIEW_IMPORT) else 1
    return 0, kind, "snap-in"


# ---- Version resource: \StringFileInfo\040904B0\FileDescription -----------

def rva_to_offset(data, sections, rva):
    for virtual_address, virtual_size, raw_size, raw_pointer in sections:
        if virtual_address <= rva < virtual_address + max(virtual_size, raw_size):
            offset = raw_pointer + (rva - virtual_address)
            return offset if offset < len(data) else None
    return None


def version_block(data):
    """Bytes of the first RT_VERSION resource (type 16, id 1 when present), or None."""
    try:
        (pe,) = field(data, "<I", 0x3C)
        if field(data, "<I", pe)[0] != 0x4550:
            return None
        count, = field(data, "<H", pe + 6)
        optional_size, = field(data, "<H", pe + 20)
        optional = pe + 24
        magic, = field(data, "<H", optional)
        directories = optional + (96 if magic == 0x10B else 112)
        number_of_directories, = field(data, "<I", directories - 4)
        if number_of_directories < 3:
            return None
        resource_rva, resource_size = field(data, "<II", directories + 16)
        if not resource_rva:
            return None
        sections = []
        table = optional + optional_size
        for index in range(count):
            at = table + 40 * index
            virtual_size, virtual_address, raw_size, raw_pointer = field(data, "<IIII", at + 8)
            sections.append((virtual_address, virtual_size, raw_size, raw_pointer))
        root = rva_to_offset(data, sections, resource_rva)
        if root is None:
            return None

        def entries(directory):
            named, numbered = field(data, "<HH", directory + 12)
            for k in range(named + numbered):
                ident, target = field(data, "<II", directory + 16 + 8 * k)
                yield ident, target

        def pick(directory, wanted):
            found = list(entries(directory))
            numbered = [e for e in found if not e[0] & 0x80000000]
            for ident, target in numbered:
                if wanted is not None and ident == wanted:
                    return target
            return (numbered or found)[0][1] if found else None

        level = pick(root, 16)
        if level is None or not level & 0x80000000:
            return None
        level = pick(root + (level & 0x7FFFFFFF), 1)
        if level is None or not level & 0x80000000:
            return None
        language_dir = root + (level & 0x7FFFFFFF)
        languages = list(entries(language_dir))
        if not languages:
            return None
        # Language neutral first, then U.S. English, then whatever comes first.
        by_id = {ident: target for ident, target in languages}
        target = by_id.get(0, by_id.get(0x409, languages[0][1]))
        if target & 0x80000000:
            return None
        data_rva, data_size = field(data, "<II", root + target)
        offset = rva_to_offset(data, sections, data_rva)
        if offset is None or offset + data_size > len(data):
            return None
        return data[offset:offset + data_size]
    except Outside:
        return None


def version_children(block, start, end):
    """(key, value bytes, value type, children start, node end) for each node in [start, end)."""
    at = start
    while at + 6 <= end:
        length, value_length, value_type = struct.unpack_from("<HHH", block, at)
        if length == 0:
            break
        node_end = min(at + length, end)
        key_end = at + 6
        while key_end + 1 < node_end and block[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        key = block[at + 6:key_end].decode("utf-16-le", "replace")
        value_at = (key_end + 2 + 3) & ~3
        value_bytes = value_length * 2 if value_type == 1 else value_length
        value = block[value_at:min(value_at + value_bytes, node_end)]
        children = (value_at + value_bytes + 3) & ~3
        yield key, value, value_type, children, node_end
        at = (at + length + 3) & ~3


def file_description(data):
    """The U.S. English Unicode FileDescription as text, or None."""
    block = version_block(data)
    if not block or len(block) < 6:
        return None
    for key, _, _, children, end in version_children(block, 0, min(len(block), struct.unpack_from("<H", block)[0])):
        if key != "VS_VERSION_INFO":
            return None
        for key2, _, _, children2, end2 in version_children(block, children, end):
            if key2.lower() != "stringfileinfo":
                continue
            for key3, _, _, children3, end3 in version_children(block, children2, end2):
                if key3.lower() != "040904b0":
                    continue
                for key4, value, value_type, _, _ in version_children(block, children3, end3):
                    if key4.lower() == "filedescription":
                        text = value.decode("utf-16-le", "replace") if value_type == 1 else value.decode("latin-1")
                        return text.split("\0", 1)[0]
    return None


# ---- Files -----------------------------------------------------------------

def is_pe32(path):
    """A 32-bit (i386) PE image by its headers."""
    try:
        with open(path, "rb") as f:
            head = f.read(4096)
            if head[:2] != b"MZ" or len(head) < 0x40:
                return False
            (pe,) = struct.unpack_from("<I", head, 0x3C)
            f.seek(pe)
            header = f.read(6)
            return len(header) == 6 and header[:4] == b"PE\0\0" and struct.unpack_from("<H", header, 4)[0] == 0x14C
    except OSError:
        return False


def collect(paths):
    files = []
    for path in paths:
        if os.path.isdir(path):
            for name in sorted(os.listdir(path)):
                full = os.path.join(path, name)
                if os.path.isfile(full) and is_pe32(full):
                    files.append(full)
        elif is_pe32(path):
            files.append(path)
    return files


def windows_path(path):
    """What scripts/snapinctl hands snapinctl.exe for a Linux path."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run_snapinctl(script, files, batch):
    lines = []
    for start in range(0, len(files), batch):
        chunk = files[start:start + batch]
        # Output to files, not pipes: Wine service processes that the run may
        # start inherit the handles and would keep a pipe open.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            returncode = subprocess.run([script, "inspect", "--json", "--", *chunk], stdin=subprocess.DEVNULL,
                                        stdout=out, stderr=err).returncode
            out.seek(0)
            err.seek(0)
            stdout, stderr = out.read(), err.read()
        if returncode != 0:
            raise SystemExit(f"snapinctl exited with {returncode}: {stderr.decode(errors='replace')}")
        text = stdout.decode("utf-8")  # must be UTF-8
        chunk_lines = text.split("\n")
        if chunk_lines[-1] != "":
            raise SystemExit("snapinctl output does not end with a newline")
        chunk_lines.pop()
        if len(chunk_lines) != len(chunk):
            raise SystemExit(f"snapinctl printed {len(chunk_lines)} lines for {len(chunk)} files")
        lines.extend(chunk_lines)
    return lines


def compare(args):
    files = collect(args.paths)
    if not files:
        print("no 32-bit PE files found", file=sys.stderr)
        return 1
    began = time.time()
    lines = run_snapinctl(args.snapinctl, files, args.batch)
    elapsed = time.time() - began
    problems = []
    counts = {}
    described = 0
    keys = ["file", "name", "list", "check", "kind", "state", "reason", "descriptionCode", "description",
            "descriptionReason", "signature", "signer", "thumbprint", "trustedPublisher"]
    for path, line in zip(files, lines):
        try:
            got = json.loads(line)
        except ValueError as error:
            problems.append(f"{path}: not valid JSON ({error}): {line!r}")
            continue
        if not isinstance(got, dict) or list(got) != keys:
            problems.append(f"{path}: keys {list(got) if isinstance(got, dict) else got!r}, expected {keys}")
            continue
        with open(path, "rb") as f:
            data = f.read()
        check, kind, verdict = inspect_image(data)
        description = file_description(data)
        expected_reason = KIND_REASONS.get(kind) if check == 0 else REASONS[verdict]
        if got["file"] != windows_path(path):
            problems.append(f"{path}: file {got['file']!r}, expected {windows_path(path)!r}")
        if (got["check"], got["kind"], got["reason"]) != (check, kind if check == 0 else None, expected_reason):
            problems.append(f"{path}: snapinctl check {got['check']} kind {got['kind']} ({got['reason']}), "
                            f"independent reading {check} kind {kind} ({expected_reason})")
        if description is None:
            if got["descriptionCode"] == 0:
                problems.append(f"{path}: snapinctl found description {got['description']!r}, independent reading none")
        elif got["descriptionCode"] != 0 or got["description"] != description:
            problems.append(f"{path}: description {got['descriptionCode']} {got['description']!r}, "
                            f"independent reading {description!r}")
        if (got["descriptionCode"] == 0) != isinstance(got["description"], str):
            problems.append(f"{path}: description {got['description']!r} with code {got['descriptionCode']}")
        described += got["descriptionCode"] == 0
        label = {0: "kind 0 (no import section)", 1: "object snap-in", 2: "view snap-in"}[kind] if check == 0 \
            else f"not a snap-in: {verdict}"
        counts[label] = counts.get(label, 0) + 1
    print(f"{len(files)} PE32 files, {len(lines)} JSON lines in {elapsed:.1f} s")
    for label in sorted(counts):
        print(f"  {counts[label]:5d}  {label}")
    print(f"  {described:5d}  with a U.S. English description")
    for problem in problems:
        print("MISMATCH " + problem)
    print(f"{len(problems)} mismatch(es)")
    return 1 if problems else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    commands = parser.add_subparsers(dest="command", required=True)
    one = commands.add_parser("inspect")
    one.add_argument("files", nargs="+")
    many = commands.add_parser("compare")
    many.add_argument("--snapinctl", required=True)
    many.add_argument("--batch", type=int, default=100)
    many.add_argument("paths", nargs="+")
    args = parser.parse_args()
    if args.command == "inspect":
        for path in args.files:
            with open(path, "rb") as f:
                data = f.read()
            check, kind, verdict = inspect_image(data)
            print(f"{path}: check {check} kind {kind} {verdict} description {file_description(data)!r}")
        return 0
    return compare(args)


if __name__ == "__main__":
    sys.exit(main())
