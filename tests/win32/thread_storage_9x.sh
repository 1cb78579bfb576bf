#!/usr/bin/env bash
# What 1000 starts and ends of the program's own threads (each throwing and
# catching an exception, as a worker does) leave in the C runtime's heap on
# the 9x path. The 9x loader calls no TLS callbacks; Wine's loader calls
# them whatever version it plays. So the measurement runs in a copy of the
# Windows test program whose header names no TLS directory: Wine's loader
# then calls none of its callbacks, not even at the process's start, as 98
# and ME do not. The copy prints its figures (thread_storage_win_test.cpp);
# a bare _beginthreadex thread, which is what the program's threads were,
# must show the leak, and the program's threads must leave nothing.
. "$DW_SOURCE_DIR/tests/e2e/lib.sh"

tests=$E2E_BIN/dialwave_win_tests.exe
e2e_begin
for gen in win98 winme; do
  e2e_prefix "$gen" tls
  copy=$E2E_WORK/no-tls-callbacks.exe
  python3 - "$tests" "$copy" <<'PY' || fail "$gen: no TLS directory to remove in $tests"
import struct, sys
image = bytearray(open(sys.argv[1], "rb").read())
pe = struct.unpack_from("<I", image, 0x3C)[0]
optional = pe + 24
magic = struct.unpack_from("<H", image, optional)[0]
tls = optional + (112 if magic == 0x20B else 96) + 9 * 8  # IMAGE_DIRECTORY_ENTRY_TLS
if struct.unpack_from("<I", image, tls)[0] == 0:
    sys.exit(1)
image[tls:tls + 8] = bytes(8)
open(sys.argv[2], "wb").write(image)
PY
  out=$(timeout -k 5 300 "$DW_WINE" "$copy" --gtest_also_run_disabled_tests \
    --gtest_filter='ThreadStorageWithoutTlsCallbacks.DISABLED_Measure' </dev/null 2>>"$E2E_WINE_ERR" |
    tr -d '\r') || fail "$gen: the measurement failed: $out"
  value() { sed -n "s/^thread-storage $1=//p" <<<"$out"; }
  cleans=$(value program-cleans-up)
  program=$(value program-thread)
  raw=$(value raw-thread)
  [ -n "$program" ] && [ -n "$raw" ] || fail "$gen: no figures: $out"
  echo "$gen: per thread without TLS callbacks: a bare thread leaves $raw bytes, the program's $program"
  [ "$cleans" = 1 ] || fail "$gen: the copy was told of its start by a TLS callback"
  awk -v r="$raw" 'BEGIN { exit !(r > 16) }' || fail "$gen: a bare thread left only $raw bytes: no 9x condition"
  awk -v p="$program" 'BEGIN { exit !(p <= 4) }' || fail "$gen: the program's threads leave $program bytes each"
  e2e_stop_all
done
echo ok
