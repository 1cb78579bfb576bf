#!/usr/bin/env bash
# The notification-area icon's tip, set through the ANSI functions on a 9x
# generation and the UTF-16 ones on an NT one, as Wine's tray holds it, and
# the main window's icon back in a tray that starts again. The tray exists
# only on a screen, so the tests run on a private Xvfb here.
. "$DW_SOURCE_DIR/tests/e2e/lib.sh"

exe=$E2E_BIN/dialwave_win_tests.exe
e2e_begin screen
for gen in win98 winxp; do
  e2e_prefix "$gen" xtray
  log=$E2E_WORK/tray-tip.log
  DW_WINE_GEN=$gen timeout -k 5 120 "$DW_WINE" "$exe" \
    --gtest_filter='UserApiOnScreen.*:MainWindowTest.OnScreen*' \
    >"$log" 2>&1 </dev/null || fail "$gen: $(tr -d '\r' <"$log")"
  grep -q 'SKIPPED' "$log" && fail "$gen: no notification area on the screen"
  grep -q '\[  PASSED  \] 2 tests' "$log" || fail "$gen: $(tr -d '\r' <"$log")"
  e2e_stop_all
done
echo "ok"
