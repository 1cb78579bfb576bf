#!/usr/bin/env bash
# The real dialwave.exe driven by real mouse input on a virtual X screen:
# through the agreement (scrolled to its end) and the installation step to
# the main panel; the title strip's tooltip above the pointer and gone after
# about 2.5 s; dragging by the skin; minimising to the notification area, a
# single click on the icon doing nothing there and a double-click bringing
# the window back; closing by the close zone. Screenshots go to
# build/screenshots/.
set -euo pipefail
. "$DW_SOURCE_DIR/scripts/lib/wine.sh"

exe=$DW_BIN_DIR/dialwave.exe
probe=$DW_BIN_DIR/dialwave-probe.exe
shots=$DW_BUILD_ROOT/screenshots
fail() { echo "FAIL: $*" >&2; exit 1; }
pixel_is() { [ "$(dw_pixel "$1" "$2" "$3")" = "$4" ] || fail "$5: pixel $2,$3 is $(dw_pixel "$1" "$2" "$3"), not $4"; }
windows() { "$DW_WINE" "$probe" windows 2>/dev/null | tr -d '\r'; }
main_line() { windows | grep 'class=TfrmGprsMain' || true; }
# The main window's "visible" flag as the program sees it.
main_visible() { main_line | sed -n 's/.* visible=\([01]\) .*/\1/p'; }
main_rect() { main_line | sed -n 's/.* rect=\([-0-9,]*\).*/\1/p'; }
wait_visible() {
  for _ in $(seq 50); do [ "$(main_visible)" = "$1" ] && return 0; sleep 0.2; done
  return 1
}
# Pixels of the program icon's blue in Wine's notification area (top left).
icon_pixels() {
  /usr/bin/convert "$1" -crop 24x24+2+22 -format '%c' histogram:info: |
    awk '/#1E4B8C/ {n += $1} END {print n + 0}'
}
click() { xdotool mousemove "$1" "$2" sleep 0.2 click 1; sleep 0.5; }

dw_screen_start
dw_wine_prefix "$(dw_pe_arch "$exe")" winxp xmainwin
# A fresh start: no settings from an earlier run of this test.
"$DW_WINE" reg delete 'HKLM\Software\Korvana\Dialwave' /f >/dev/null 2>&1 || true
"$DW_WINE" "$DW_BIN_DIR/rassim.exe" install >/dev/null 2>&1 || fail "rassim install"

"$DW_WINE" "$exe" 2>/dev/null &
program=$!
dw_wait_visible_window 'Dialwave' 60 >/dev/null || fail "no main window"
sleep 1
# The window at (150, 120); the agreement comes first.
dw_screenshot "$shots/mainwin-agreement.png"
pixel_is "$shots/mainwin-agreement.png" 160 130 000674 "title strip"

# The scroll bar's trough, page by page to the end, then "Согласен".
for _ in $(seq 8); do click 630 355; done
click 585 407
# "Далее" on the installation look.
sleep 0.5
click 585 409
sleep 1
shot=$shots/main-panel-winxp.png
dw_screenshot "$shot"
# The connect button at (20, 166) of the main panel: ring, outline, face.
pixel_is "$shot" 171 350 CDD8E2 "connect button ring"
pixel_is "$shot" 172 350 000674 "connect button outline"
pixel_is "$shot" 176 350 F4F4F0 "connect button face"
# The graph's white face at (20, 56) of the panel.
pixel_is "$shot" 200 250 FFFFFF "graph"

# The close zone's tooltip, 25 pixels above the pointer (above the window).
xdotool mousemove 630 135 sleep 0.2 mousemove 631 136
sleep 0.8
tips=$(windows | grep 'class=tooltips_class32' | grep 'visible=1' || true)
[ -n "$tips" ] || fail "no tooltip over the close zone"
top=$(echo "$tips" | head -n 1 | sed -n 's/.* rect=[-0-9]*,\([-0-9]*\),.*/\1/p')
[ "$top" -ge 105 ] && [ "$top" -le 115 ] || fail "tooltip top at $top, not 25 pixels above the pointer (111)"
dw_screenshot "$shots/mainwin-close-tooltip.png"
sleep 3.5
[ -z "$(windows | grep 'class=tooltips_class32' | grep 'visible=1' || true)" ] ||
  fail "the tooltip is still there after 2.5 s"

# Dragging by the skin's title strip moves the window with the pointer.
xdotool mousemove 300 128 sleep 0.2 mousedown 1 sleep 0.2 mousemove 320 140 sleep 0.2 \
  mousemove 350 178 sleep 0.2 mouseup 1
sleep 0.5
[ "$(main_rect)" = "200,170,700,530" ] || fail "dragged window at $(main_rect), not 200,170"
xdotool mousemove 350 178 sleep 0.2 mousedown 1 sleep 0.2 mousemove 320 140 sleep 0.2 \
  mousemove 300 128 sleep 0.2 mouseup 1
sleep 0.5
[ "$(main_rect)" = "150,120,650,480" ] || fail "window not dragged back: $(main_rect)"

# The gap between the zones does nothing.
click 623 130
[ "$(main_visible)" = 1 ] || fail "a click between the zones hid the window"
# Minimise zone: only the notification-area icon is left.
click 612 130
wait_visible 0 || fail "the minimise zone did not hide the window"
gone=
for _ in $(seq 25); do
  xdotool search --onlyvisible --name 'Dialwave' >/dev/null 2>&1 || { gone=1; break; }
  sleep 0.2
done
[ -n "$gone" ] || { dw_screenshot "$shots/mainwin-not-hidden.png"; fail "a Dialwave window is still on the screen"; }
shot=$shots/mainwin-tray.png
dw_screenshot "$shot"
[ "$(icon_pixels "$shot")" -gt 50 ] || fail "no notification-area icon"
# One click on the icon does nothing while the window is hidden.
click 12 32
sleep 1
[ "$(main_visible)" = 0 ] || fail "a single click on the icon brought the window back"
# A double-click restores it.
xdotool mousemove 12 32 sleep 0.2 click --repeat 2 --delay 80 1
wait_visible 1 || fail "a double-click on the icon did not restore the window"
dw_wait_visible_window 'Dialwave' 20 >/dev/null || fail "the restored window is not on the screen"

# The close zone ends the program (no connection: no question).
sleep 0.5
click 637 130
for _ in $(seq 50); do kill -0 "$program" 2>/dev/null || break; sleep 0.2; done
kill -0 "$program" 2>/dev/null && fail "the close zone did not end the program"
# The icon went with the program.
sleep 1
shot=$shots/mainwin-closed.png
dw_screenshot "$shot"
[ "$(icon_pixels "$shot")" -lt 5 ] || fail "the notification-area icon outlived the program"
echo ok
