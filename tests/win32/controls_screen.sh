#!/usr/bin/env bash
# On a real (virtual) X screen: dialwave.exe shows its cut top corners, and a
# skinned window with the three buttons and the graph looks as the form sets
# them. Screenshots go to build/screenshots/.
set -euo pipefail
. "$DW_SOURCE_DIR/scripts/lib/wine.sh"

shots=$DW_BUILD_ROOT/screenshots
fail() { echo "FAIL: $*" >&2; exit 1; }
pixel_is() { [ "$(dw_pixel "$1" "$2" "$3")" = "$4" ] || fail "$5: pixel $2,$3 is $(dw_pixel "$1" "$2" "$3"), not $4"; }

dw_screen_start
exe=$DW_BIN_DIR/dialwave.exe
dw_wine_prefix "$(dw_pe_arch "$exe")" winxp xcontrols

# The program's own window, centred at (150, 120) on the 800 x 600 screen.
"$DW_WINE" "$exe" 2>/dev/null &
program=$!
dw_wait_visible_window 'Dialwave' 30 >/dev/null || fail "no main window"
sleep 1
shot=$shots/controls-main-window-shape.png
dw_screenshot "$shot"
pixel_is "$shot" 150 120 000000 "corner (0,0) is cut"
pixel_is "$shot" 151 121 000000 "corner (1,1) is cut"
pixel_is "$shot" 649 121 000000 "corner (499,1) is cut"
pixel_is "$shot" 156 120 000674 "(6,0) belongs to the window"
pixel_is "$shot" 153 220 FFFFFF "(3,100) belongs to the window"
pixel_is "$shot" 400 220 FFFFFF "(250,100) belongs to the window"
pixel_is "$shot" 300 479 000000 "row 359 lies below the polygon"
"$DW_WINE" taskkill /im dialwave.exe >/dev/null 2>&1 || true
for _ in $(seq 50); do kill -0 "$program" 2>/dev/null || break; sleep 0.2; done

# The controls, from the Windows test program, held on the screen.
hold=$DW_BUILD_ROOT/screenshots/controls-hold
rm -f "$hold.ready" "$hold.done"
mkdir -p "$shots"
DW_SCREEN_HOLD="Z:$hold" "$DW_WINE" "$DW_BIN_DIR/dialwave_win_tests.exe" \
  --gtest_filter=ControlsOnScreen.* >"$shots/controls-screen.log" 2>&1 &
tests=$!
for _ in $(seq 300); do [ -f "$hold.ready" ] && break; sleep 0.1; done
[ -f "$hold.ready" ] || fail "the controls window did not come up"
sleep 1
shot=$shots/controls-skinned.png
dw_screenshot "$shot"
touch "$hold.done"
wait "$tests" || fail "the controls test failed: $(cat "$shots/controls-screen.log")"
# Window at (100, 100): cut corners and the skin's title strip.
pixel_is "$shot" 100 100 000000 "skinned window corner (0,0) is cut"
pixel_is "$shot" 110 110 000674 "title strip"
pixel_is "$shot" 584 113 FFFFFF "close mark"
# btnConnect at (20, 200): background, ring, outline, face.
pixel_is "$shot" 120 315 FFFFFF "connect button background corner"
pixel_is "$shot" 121 315 CDD8E2 "connect button ring"
pixel_is "$shot" 122 315 000674 "connect button outline"
pixel_is "$shot" 126 315 F4F4F0 "connect button face"
/usr/bin/convert "$shot" -crop 120x18+156+306 -format '%[fx:minima.r]' info: | grep -qE '^0(\.[0-2]|$)' ||
  fail "no caption on the connect button"
# btnAgree and btnDisagree at (20, 250) and (120, 250).
pixel_is "$shot" 120 362 000674 "agree button outline"
pixel_is "$shot" 124 362 F4F4F0 "agree button face"
pixel_is "$shot" 224 362 F4F4F0 "disagree button face"
# The graph at (250, 200): first bar at the maximum, in two colours.
pixel_is "$shot" 351 302 2C9F16 "graph bar, upper colour"
pixel_is "$shot" 351 340 9AD193 "graph bar, lower colour"
pixel_is "$shot" 351 301 FFFFFF "graph top margin"
pixel_is "$shot" 356 340 FFFFFF "gap of a zero sample"
echo "ok"
