#!/usr/bin/env bash
# The progress dialog while dialling, its error reports, the message box and
# the connection-break question on a real (virtual) X screen. Each is cut out
# of the screen into build/screenshots/dialogs-*.png and checked for text.
set -euo pipefail
. "$DW_SOURCE_DIR/scripts/lib/wine.sh"

shots=$DW_BUILD_ROOT/screenshots
fail() { echo "FAIL: $*" >&2; exit 1; }

# Dark pixels (text) in a part of a picture: "W H X Y" of the part.
dark_pixels() {
  /usr/bin/convert "$1" -crop "$2" +repage -colorspace Gray -threshold 40% -negate \
    -format '%[fx:int(mean*w*h+0.5)]' info:
}

dw_screen_start
exe=$DW_BIN_DIR/dialwave_win_tests.exe
dw_wine_prefix "$(dw_pe_arch "$exe")" winxp xdialogs
# No window manager runs here: Wine draws the title bars itself, so the
# dialogs' captions are in the screenshots too.
"$DW_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
mkdir -p "$shots"
hold=$shots/dialogs-hold
rm -f "$hold".*

DW_SCREEN_HOLD="Z:$hold" "$DW_WINE" "$exe" --gtest_filter='DialogsOnScreen.*' \
  >"$shots/dialogs-screen.log" 2>&1 &
tests=$!

# name, then the label's area inside the window as "W H X Y" offsets from
# the window's client-side left edge and top (title bar included in Y).
for name in progress-dialling progress-error-691 progress-error-734 progress-error-none \
  msg-confirm conn-break; do
  for _ in $(seq 300); do [ -f "$hold.$name.ready" ] && break; sleep 0.1; done
  [ -f "$hold.$name.ready" ] || fail "$name did not come up: $(cat "$shots/dialogs-screen.log")"
  sleep 0.7
  read -r x y w h <"$hold.$name.ready"
  whole=$shots/dialogs-screen-all.png
  dw_screenshot "$whole"
  shot=$shots/dialogs-$name.png
  /usr/bin/convert "$whole" -crop "${w}x${h}+${x}+${y}" +repage "$shot"
  touch "$hold.$name.done"
  # The window's lower part (below the title bar) must carry text.
  n=$(dark_pixels "$shot" "$((w - 8))x$((h - 30))+4+26")
  [ "$n" -gt 40 ] || fail "$name shows no text ($n dark pixels)"
  echo "$name: ${w}x${h} at $x,$y, $n dark pixels"
done
wait "$tests" || fail "the dialog test failed: $(cat "$shots/dialogs-screen.log")"
rm -f "$shots/dialogs-screen-all.png" "$hold".*
echo ok
