#!/usr/bin/env bash
# On a real (virtual) X screen: the agreement panel scrolled to its end and
# the about panel, each over the skin. Screenshots go to build/screenshots/.
set -euo pipefail
. "$DW_SOURCE_DIR/scripts/lib/wine.sh"

shots=$DW_BUILD_ROOT/screenshots
fail() { echo "FAIL: $*" >&2; exit 1; }
pixel_is() { [ "$(dw_pixel "$1" "$2" "$3")" = "$4" ] || fail "$5: pixel $2,$3 is $(dw_pixel "$1" "$2" "$3"), not $4"; }
# Dark pixels (text) somewhere in a WxH+X+Y area.
has_text() {
  /usr/bin/convert "$1" -crop "$2" -format '%[fx:minima.r]' info: | grep -qE '^0(\.[0-4]|$)' ||
    fail "$3: no text in $2"
}

dw_screen_start
exe=$DW_BIN_DIR/dialwave_win_tests.exe
dw_wine_prefix "$(dw_pe_arch "$exe")" winxp xpanels
mkdir -p "$shots"
hold=$shots/panels-hold
rm -f "$hold".*
DW_SCREEN_HOLD="Z:$hold" "$DW_WINE" "$exe" --gtest_filter=PanelsOnScreen.* \
  >"$shots/panels-screen.log" 2>&1 &
tests=$!
for name in agreement about; do
  for _ in $(seq 300); do [ -f "$hold.$name.ready" ] && break; sleep 0.1; done
  [ -f "$hold.$name.ready" ] || fail "the $name panel did not come up: $(cat "$shots/panels-screen.log")"
  sleep 1
  dw_screenshot "$shots/panels-$name.png"
  touch "$hold.$name.done"
done
wait "$tests" || fail "the panels test failed: $(cat "$shots/panels-screen.log")"

# Window at (100, 100); the panel at (0, 49) in it.
a=$shots/panels-agreement.png
pixel_is "$a" 115 180 FFFFFF "the scroll box is white"
has_text "$a" 460x160+115+185 "agreement text"
has_text "$a" 80x20+105+276 "heading picture"
b=$shots/panels-about.png
has_text "$b" 300x16+120+193 "product name"
has_text "$b" 300x40+120+260 "notice"
echo "ok"
