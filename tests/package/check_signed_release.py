#!/usr/bin/env python3
"""check_signed_release.py SOURCE_DIR SCRATCH_DIR BIN_DIR TRUST_CHECK_EXE: the tested binaries packaged
by scripts/package, signed by a throwaway publisher, in a scratch tree. Under Wine's WinVerifyTrust
the shipped binaries and the installer hold, a byte changed in the code does not, and BIN_DIR's
module carries no signature."""
import glob, os, shutil, struct, subprocess, sys, zipfile

top, scratch, bin_dir, trust_check = sys.argv[1:]
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

TRUST_E_BAD_DIGEST, TRUST_E_NOSIGNATURE = 0x80096010, 0x800B0100
expected = {f"{shipped}/PLUGWARD.DLL": 0, f"{shipped}/snapinctl.exe": 0, setup: 0,
            f"{scratch}/CHANGED.DLL": TRUST_E_BAD_DIGEST, f"{bin_dir}/PLUGWARD.DLL": TRUST_E_NOSIGNATURE}
output = subprocess.run([f"{top}/scripts/wine-run", trust_check, *("Z:" + p.replace("/", "\\") for p in expected)],
                        check=True, capture_output=True, text=True).stdout
got = dict(zip(expected, (int(line.split()[0], 16) for line in output.splitlines())))
for path, want in expected.items():
    print(f"{path}: expected 0x{want:08X}, got {f'0x{got[path]:08X}' if path in got else 'no verdict'}")
sys.exit(0 if got == expected else 1)
