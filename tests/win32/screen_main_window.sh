#!/usr/bin/env bash
# The real dialwave.exe on a real (virtual) X screen: the window is drawn
# where it should be, frameless and centred, with its skin; "/auto"
# leaves nothing on the screen; a second start brings the window up.
# Screenshots go to build/screenshots/.
set -euo pipefail
. "$DW_SOURCE_DIR/scripts/lib/wine.sh"

exe=$DW_BIN_DIR/dialwave.exe
shots=$DW_BUILD_ROOT/screenshots
fail() { echo "FAIL: $*" >&2; exit 1; }

dw_screen_start
for gen in win98 winxp; do
  dw_wine_prefix "$(dw_pe_arch "$exe")" "$gen" x

  # Started from the start-up entry: nothing on the screen.
  "$DW_WINE" "$exe" /auto 2>/dev/null &
  first=$!
  # Wait until its (hidden) main window exists: a busy machine may take a while.
  for _ in $(seq 150); do
    "$DW_WINE" "$DW_BIN_DIR/dialwave-probe.exe" windows 2>/dev/null | grep -q 'class=TfrmGprsMain' && break
    sleep 0.2
  done
  sleep 1
  kill -0 "$first" || fail "$gen: dialwave.exe /auto ended"
  if xdotool search --onlyvisible --name 'Dialwave' >/dev/null 2>&1; then
    fail "$gen: /auto showed a window"
  fi
  dw_screenshot "$shots/screen-$gen-auto.png"
  [ "$(dw_pixel "$shots/screen-$gen-auto.png" 400 300)" = 000000 ] || fail "$gen: /auto drew on the screen"

  # A second start wakes it: the window appears, centred on the 800x600 screen.
  rc=0
  timeout 120 "$DW_WINE" "$exe" 2>/dev/null || rc=$?
  [ "$rc" = 0 ] || fail "$gen: the second copy did not end cleanly (exit status $rc)"
  window=$(dw_wait_visible_window 'Dialwave' 30) || fail "$gen: no window after the second start"
  sleep 1
  read -r x y w h < <(xdotool getwindowgeometry --shell "$window" |
    awk -F= '/^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2} END{print x, y, w, h}')
  [ "$w" = 500 ] && [ "$h" = 360 ] || fail "$gen: window is ${w}x${h}, not 500x360"
  [ "$x" = 150 ] && [ "$y" = 120 ] || fail "$gen: window at $x,$y, not centred at 150,120"
  shot=$shots/screen-$gen-woken.png
  dw_screenshot "$shot"
  [ "$(dw_pixel "$shot" 160 130)" = 000674 ] || fail "$gen: the skin's title strip missing at 160,130"
  [ "$(dw_pixel "$shot" 140 110)" = 000000 ] || fail "$gen: something drawn outside the window"
  # The skin's title in white on the strip.
  /usr/bin/convert "$shot" -crop 150x16+164+126 -format '%[fx:maxima.r]' info: | grep -q '^1' ||
    fail "$gen: no title text in the window"

  "$DW_WINE" taskkill /im dialwave.exe >/dev/null 2>&1 || true
  for _ in $(seq 50); do kill -0 "$first" 2>/dev/null || break; sleep 0.2; done
  kill -0 "$first" 2>/dev/null && fail "$gen: dialwave.exe did not close"
  timeout 20 "$WINESERVER" -k >/dev/null 2>&1 || true
  echo "$gen: ok"
done
