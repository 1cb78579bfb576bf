#!/usr/bin/env bash
# The progress dialog of a real dial on a real (virtual) X screen: while
# dialling, and each error report OpenConnection turns it into (734 without
# details, 691 with its description opened, a cancelled dial), the dial going
# through the simulator's rasapi32.dll. Each is cut out of the screen into
# build/screenshots/dial-*.png and checked for text and, while dialling, for
# the bar.
. "$DW_SOURCE_DIR/tests/e2e/lib.sh"

shots=$DW_BUILD_ROOT/screenshots

# Pixels of a part of a picture ("W H X Y" of the part) that pass an fx test.
count_pixels() {
  /usr/bin/convert "$1" -crop "$2" +repage -fx "$3" -colorspace Gray \
    -format '%[fx:int(mean*w*h+0.5)]' info:
}
# The bar's chunks: a saturated colour, not the grey of the dialog.
bar_pixels() { count_pixels "$1" "$2" 'b - r > 0.25 ? 1 : 0'; }

e2e_begin screen
e2e_prefix winxp xdial
exe=$E2E_BIN/dialwave_win_tests.exe
# No window manager runs here: Wine draws the title bars itself.
e2e_regedit '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"'
mkdir -p "$shots"
hold=$E2E_WORK/dial-hold

# The hooks come in the order gtest runs the cases: 734, 691, then the
# cancel case (dialling, then its report).
filter='OpenConnectionWine.Error734*:OpenConnectionWine.Error691*:OpenConnectionWine.CancelDuringTheWait*'
log=$E2E_WORK/dial-screen.log
DW_SCREEN_HOLD="$(e2e_winpath "$hold")" "$DW_WINE" "$exe" --gtest_filter="$filter" >"$log" 2>&1 &
tests=$!

for name in error-734 error-691 dialling cancelled; do
  e2e_until 60 test -s "$hold.$name.ready" || fail "$name did not come up: $(cat "$log")"
  read -r x y w h <"$hold.$name.ready"
  whole=$E2E_WORK/dial-screen-all.png
  e2e_screenshot "$whole"
  shot=$shots/dial-$name.png
  /usr/bin/convert "$whole" -crop "${w}x${h}+${x}+${y}" +repage "$shot"
  touch "$hold.$name.done"
  # Below the title bar the dialog carries text (the caption, the buttons).
  n=$(e2e_dark_pixels "$shot" "$((w - 8))x$((h - 30))+4+26")
  [ "$n" -gt 60 ] || fail "$name shows no text ($n dark pixels)"
  # While dialling the bar (client 52,44, 269x17, below a frame of about
  # 3 and a title bar of about 22 pixels) has moved on; a report hides it.
  bar=$(bar_pixels "$shot" "260x12+58+72")
  if [ "$name" = dialling ]; then
    [ "$bar" -gt 20 ] || fail "dialling shows no progress ($bar bar pixels)"
  else
    [ "$bar" -lt 20 ] || fail "$name still shows the bar ($bar bar pixels)"
  fi
  echo "$name: ${w}x${h} at $x,$y, $n dark pixels, $bar bar pixels"
done
# The 691 report opens its details: the system's one-line description
# wraps into two rows of 16 pixels, and the pane (10 more) shows both.
h734=$(/usr/bin/identify -format '%h' "$shots/dial-error-734.png")
h691=$(/usr/bin/identify -format '%h' "$shots/dial-error-691.png")
[ "$h691" -ge $((h734 + 42)) ] || fail "the 691 details do not show the whole description ($h691 vs $h734)"
wait "$tests" || fail "the dial test failed: $(cat "$log")"
echo ok
