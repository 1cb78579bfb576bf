#!/usr/bin/env bash
# The notification-area icon's tip, set through the ANSI functions on a 9x
# generation and the UTF-16 ones on an NT one, as Wine's tray holds it. The
# tray exists only on a screen, so the test runs on a private Xvfb here.
set -euo pipefail
. "$DW_SOURCE_DIR/scripts/lib/wine.sh"

fail() { echo "FAIL: $*" >&2; exit 1; }
dw_screen_start
exe=$DW_BIN_DIR/dialwave_win_tests.exe
log=$DW_BUILD_ROOT/screenshots/tray-tip.log
mkdir -p "$(dirname "$log")"
for gen in win98 winxp; do
  dw_wine_prefix "$(dw_pe_arch "$exe")" "$gen" xtray
  DW_WINE_GEN=$gen timeout -k 5 120 "$DW_WINE" "$exe" --gtest_filter='UserApiOnScreen.*' \
    >"$log" 2>&1 </dev/null || fail "$gen: $(tr -d '\r' <"$log")"
  grep -q 'SKIPPED' "$log" && fail "$gen: no notification area on the screen"
  grep -q '\[  PASSED  \] 1 test' "$log" || fail "$gen: $(tr -d '\r' <"$log")"
  timeout 20 "$WINESERVER" -k >/dev/null 2>&1 || true
done
echo "ok"
