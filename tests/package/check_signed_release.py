#!/usr/bin/env python3
"""check_signed_release.py SOURCE_DIR SCRATCH_DIR BIN_DIR: the tested binaries packaged by scripts/package,
signed by a throwaway publisher, in a scratch tree. As the tested snapinctl inspect reads them with Wine's
WinVerifyTrust, the shipped binaries and the installer are signed, a byte changed in the code is not, and
BIN_DIR's module carries no signature."""
import glob, json, os, shutil, struct, subprocess, sys, zipfile

top, scratch, bin_dir = sys.argv[1:]
publisher, shipped = f"{scratch}/publisher", f"{scratch}/shipped"
subprocess.run([f"{top}/scripts/make-publisher", publisher], check=True)
shutil.rmtree(f"{scratch}/package", ignore_errors=True)  # packages of an older version
subprocess.run([f"{top}/scripts/package", bin_dir], check=True, env=dict(
    os.environ, BUILD_DIR=scratch,
    PLUGWARD_SIGN_CERT=f"{publisher}/publisher.pem", PLUGWARD_SIGN_KEY=f"{publisher}/publisher.key"))
[archive], [setup] = glob.glob(f"{scratch}/package/*.zip"), glob.glob(f"{scratch}/package/*-setup.exe")
zipfile.ZipFile(archive).extractall(shipped, ["PLUGWARD.DLL", "snapinctl.exe"])

image = bytearray(open(f"{shipped}/PLUGWARD.DLL", "rb").read())
pe = struct.unpack_from("<I", image, 0x3C)[0]
sections, optional_size = struct.unpack_from("<H12xH", image, pe + 6)
headers = (struct.unpack_from("<16xII12xI", image, pe + 24 + optional_size + 40 * i) for i in range(sections))
size, offset = next((size, offset) for size, offset, flags in headers if flags & 0x20)  # IMAGE_SCN_CNT_CODE
image[offset + size // 2] ^= 0xFF
open(f"{scratch}/CHANGED.DLL", "wb").write(image)

expected = {f"{shipped}/PLUGWARD.DLL": "signed", f"{shipped}/snapinctl.exe": "signed", setup: "signed",
            f"{scratch}/CHANGED.DLL": "changed after signing", f"{bin_dir}/PLUGWARD.DLL": "not signed"}
output = subprocess.run([f"{top}/scripts/wine-run", f"{bin_dir}/snapinctl.exe", "inspect", "--json",
                         *("Z:" + p.replace("/", "\\") for p in expected)], capture_output=True, text=True).stdout
got = dict(zip(expected, (json.loads(line)["signature"] for line in output.splitlines())))
for path, want in expected.items():
    print(f"{path}: expected {want}, got {got.get(path, 'no verdict')}")
sys.exit(0 if got == expected else 1)
