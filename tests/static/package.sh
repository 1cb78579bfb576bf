#!/usr/bin/env bash
# The download: scripts/package packs the very dialwave.exe the tests ran (byte
# for byte), with imports every target has, small enough for GPRS.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
exe=$source_dir/build/win32/bin/dialwave.exe
limit=$((600 * 1024))
zip_limit=$((250 * 1000))  # about 50 seconds at GPRS's 5 KB/s

out=$("$source_dir/scripts/package" --no-build)
echo "$out"
zip=$(tail -n 1 <<<"$out")
[ -f "$zip" ] || { echo "FAIL: no zip at $zip" >&2; exit 1; }
python3 - "$zip" "$exe" "$limit" "$zip_limit" <<'PY'
import os, sys, zipfile
zip_path, exe_path, limit, zip_limit = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
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
if len(built) > limit:
    sys.exit(f"FAIL: dialwave.exe is {len(built)} bytes, over {limit}")
if os.path.getsize(zip_path) > zip_limit:
    sys.exit(f"FAIL: the zip is {os.path.getsize(zip_path)} bytes, over {zip_limit}")
print(f"ok: {len(built)} bytes packed, at most {limit}; zip {os.path.getsize(zip_path)} bytes, at most {zip_limit}")
PY
