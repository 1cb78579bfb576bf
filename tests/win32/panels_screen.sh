#!/usr/bin/env bash
# On a real (virtual) X screen: the agreement panel scrolled to its end and
# the about panel, each over the skin, held on the screen by the Windows
# test program. Screenshots: build/screenshots/e2e/panels_screen-winxp-*.png.
. "$DW_SOURCE_DIR/tests/e2e/lib.sh"

# has_text FILE WxH+X+Y WHAT: dark pixels (text) somewhere in that area.
has_text() { [ "$(e2e_darkest "$1" "$2")" -lt 50 ] || fail "$3: no text in $2"; }

e2e_begin screen
e2e_prefix winxp xpanels
hold=$E2E_WORK/panels-hold
DW_SCREEN_HOLD="$(e2e_winpath "$hold")" "$DW_WINE" "$E2E_BIN/dialwave_win_tests.exe" \
  --gtest_filter=PanelsOnScreen.* >"$E2E_WORK/panels-screen.log" 2>&1 &
tests=$!
# Each window's place on the screen, "X Y"; the panel sits at (0, 49) in it.
declare -A shot place
for name in agreement about; do
  e2e_until 60 test -f "$hold.$name.ready" ||
    fail "the $name panel did not come up: $(cat "$E2E_WORK/panels-screen.log")"
  e2e_until 10 e2e_shown DwPanelsTestSkin || fail "the $name panel is not on the screen"
  read -r x y _ < <(e2e_window_rect DwPanelsTestSkin)
  place[$name]="$x $y"
  e2e_shot "$name"
  shot[$name]=$E2E_SHOT
  touch "$hold.$name.done"
  e2e_until 10 e2e_not e2e_shown DwPanelsTestSkin || fail "the $name panel stayed on the screen"
done
wait "$tests" || fail "the panels test failed: $(cat "$E2E_WORK/panels-screen.log")"

read -r x y <<<"${place[agreement]}"
e2e_pixel_is "${shot[agreement]}" $((x + 15)) $((y + 80)) FFFFFF "the scroll box is white"
has_text "${shot[agreement]}" "460x160+$((x + 15))+$((y + 85))" "agreement text"
has_text "${shot[agreement]}" "80x20+$((x + 5))+$((y + 176))" "heading picture"
read -r x y <<<"${place[about]}"
has_text "${shot[about]}" "300x16+$((x + 20))+$((y + 93))" "product name"
has_text "${shot[about]}" "300x40+$((x + 20))+$((y + 160))" "notice"
echo "ok"
