#!/usr/bin/env bash
# On a real (virtual) X screen: dialwave.exe shows its cut top corners, and a
# skinned window with the three buttons and the graph looks as the form sets
# them. Screenshots: build/screenshots/e2e/controls_screen-winxp-*.png.
. "$DW_SOURCE_DIR/tests/e2e/lib.sh"

e2e_begin screen
e2e_prefix winxp xcontrols

# The program's own window, found on the screen; points in its coordinates.
e2e_start
read -r x y < <(e2e_main_origin)
e2e_shot main-window-shape
shot=$E2E_SHOT
e2e_pixel_is "$shot" "$x" "$y" 000000 "corner (0,0) is cut"
e2e_pixel_is "$shot" $((x + 1)) $((y + 1)) 000000 "corner (1,1) is cut"
e2e_pixel_is "$shot" $((x + 499)) $((y + 1)) 000000 "corner (499,1) is cut"
e2e_pixel_is "$shot" $((x + 6)) "$y" 000674 "(6,0) belongs to the window"
e2e_pixel_is "$shot" $((x + 3)) $((y + 100)) FFFFFF "(3,100) belongs to the window"
e2e_pixel_is "$shot" $((x + 250)) $((y + 100)) FFFFFF "(250,100) belongs to the window"
e2e_pixel_is "$shot" $((x + 150)) $((y + 359)) 000000 "row 359 lies below the polygon"
e2e_close_program 10 || fail "dialwave.exe did not close"

# The controls, from the Windows test program, held on the screen.
hold=$E2E_WORK/controls-hold
DW_SCREEN_HOLD="$(e2e_winpath "$hold")" "$DW_WINE" "$E2E_BIN/dialwave_win_tests.exe" \
  --gtest_filter=ControlsOnScreen.* >"$E2E_WORK/controls-screen.log" 2>&1 &
tests=$!
e2e_until 60 test -f "$hold.ready" || fail "the controls window did not come up: $(cat "$E2E_WORK/controls-screen.log")"
e2e_until 10 e2e_shown DwControlsScreen || fail "the controls window is not on the screen"
read -r x y r b < <(e2e_window_rect DwControlsScreen)
e2e_shot skinned
shot=$E2E_SHOT
touch "$hold.done"
wait "$tests" || fail "the controls test failed: $(cat "$E2E_WORK/controls-screen.log")"
# The window: cut corners and the skin's title strip.
e2e_pixel_is "$shot" "$x" "$y" 000000 "skinned window corner (0,0) is cut"
e2e_pixel_is "$shot" $((x + 10)) $((y + 10)) 000674 "title strip"
e2e_pixel_is "$shot" $((x + 484)) $((y + 13)) FFFFFF "close mark"
# btnConnect at (20, 200) of the window: background, ring, outline, face.
e2e_pixel_is "$shot" $((x + 20)) $((y + 215)) FFFFFF "connect button background corner"
e2e_pixel_is "$shot" $((x + 21)) $((y + 215)) CDD8E2 "connect button ring"
e2e_pixel_is "$shot" $((x + 22)) $((y + 215)) 000674 "connect button outline"
e2e_pixel_is "$shot" $((x + 26)) $((y + 215)) F4F4F0 "connect button face"
[ "$(e2e_darkest "$shot" "120x18+$((x + 56))+$((y + 206))")" -lt 30 ] || fail "no caption on the connect button"
# btnAgree and btnDisagree at (20, 250) and (120, 250).
e2e_pixel_is "$shot" $((x + 20)) $((y + 262)) 000674 "agree button outline"
e2e_pixel_is "$shot" $((x + 24)) $((y + 262)) F4F4F0 "agree button face"
e2e_pixel_is "$shot" $((x + 124)) $((y + 262)) F4F4F0 "disagree button face"
# The graph at (250, 200): first bar at the maximum, in two colours.
e2e_pixel_is "$shot" $((x + 251)) $((y + 202)) 2C9F16 "graph bar, upper colour"
e2e_pixel_is "$shot" $((x + 251)) $((y + 240)) 9AD193 "graph bar, lower colour"
e2e_pixel_is "$shot" $((x + 251)) $((y + 201)) FFFFFF "graph top margin"
e2e_pixel_is "$shot" $((x + 256)) $((y + 240)) FFFFFF "gap of a zero sample"
echo "ok"
