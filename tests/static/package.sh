#!/usr/bin/env bash
# The download: scripts/package packs the very dialwave.exe the tests ran (byte
# for byte), with imports every target has, small enough for GPRS.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
exe=$source_dir/build/win32/bin/dialwave.exe
support=$source_dir/build/win32/bin/dialwave-support.exe
limit=$((600 * 1024))
zip_limit=$((250 * 1000))  # about 50 seconds at GPRS's 5 KB/s

out=$("$source_dir/scripts/package" --no-build)
echo "$out"
zip=$(tail -n 1 <<<"$out")
[ -f "$zip" ] || { echo "FAIL: no zip at $zip" >&2; exit 1; }
python3 - "$zip" "$exe" "$limit" "$support" "$zip_limit" <<'PY'
import os, struct, sys, zipfile
zip_path, exe_path, limit, support_path = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
zip_limit = int(sys.argv[5])


def pe_sections(image):
    """(section names, whether a COFF symbol table is left, resource types)."""
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        sys.exit("FAIL: not a PE image")
    sections, optional_size = struct.unpack_from("<H12xH", image, pe + 6)
    symbols = struct.unpack_from("<I", image, pe + 12)[0]
    optional = pe + 24
    magic = struct.unpack_from("<H", image, optional)[0]
    directories = optional + (112 if magic == 0x20B else 96)
    resource_rva = struct.unpack_from("<I", image, directories + 2 * 8)[0]
    table = optional + optional_size
    names, rsrc = [], None
    for i in range(sections):
        at = table + 40 * i
        name = image[at:at + 8].rstrip(b"\0").decode("latin-1")
        size, rva, raw_size, raw = struct.unpack_from("<IIII", image, at + 8)
        names.append(name)
        if resource_rva and rva <= resource_rva < rva + max(size, raw_size):
            rsrc = raw + resource_rva - rva
    types = []
    if rsrc is not None:
        named, ids = struct.unpack_from("<HH", image, rsrc + 12)
        for e in range(named + ids):
            ident = struct.unpack_from("<I", image, rsrc + 16 + 8 * e)[0]
            if not ident & 0x80000000:
                types.append(ident)
    return names, symbols != 0, types


def check_stripped(path, what):
    names, has_symbols, _ = pe_sections(open(path, "rb").read())
    # Long section names (".debug_info") are "/N" references into the symbol
    # string table; a stripped image has neither.
    debug = [n for n in names if n.startswith(".debug") or n.startswith("/")]
    if debug or has_symbols:
        sys.exit(f"FAIL: {what} carries debugging sections or symbols: not stripped ({names})")

with zipfile.ZipFile(zip_path) as z:
    names = z.namelist()
    if names != ["dialwave.exe"]:
        sys.exit(f"FAIL: the zip holds {names}, not dialwave.exe alone")
    packed = z.read("dialwave.exe")
built = open(exe_path, "rb").read()
if packed != built:
    sys.exit("FAIL: the packed dialwave.exe is not the one the tests ran")
if b".debug_info" in built or b".symtab" in built:
    sys.exit("FAIL: dialwave.exe carries debugging sections: not stripped")
check_stripped(exe_path, "dialwave.exe")
check_stripped(support_path, "dialwave-support.exe")
# No manifest (resource type 24): one naming an execution level would end
# the registry virtualisation the settings rely on from Vista on.
if 24 in pe_sections(built)[2]:
    sys.exit("FAIL: dialwave.exe carries a manifest")
if len(built) > limit:
    sys.exit(f"FAIL: dialwave.exe is {len(built)} bytes, over {limit}")
if os.path.getsize(zip_path) > zip_limit:
    sys.exit(f"FAIL: the zip is {os.path.getsize(zip_path)} bytes, over {zip_limit}")
print(f"ok: {len(built)} bytes packed, at most {limit}; zip {os.path.getsize(zip_path)} bytes, at most {zip_limit}")
PY
