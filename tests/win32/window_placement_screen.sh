#!/usr/bin/env bash
# Where the real dialwave.exe puts its window on a real (virtual) X screen,
# on a 9x and an NT generation: "/auto" leaves nothing on the screen; a
# second start wakes the first copy, whose window appears frameless, 500 x
# 360, centred on the screen, with its skin, and the second copy ends.
. "$DW_SOURCE_DIR/tests/e2e/lib.sh"

nothing_shown() { e2e_running && ! e2e_x_visible; }

e2e_begin screen
read -r screen_w screen_h < <(xdotool getdisplaygeometry)
for gen in win98 winxp; do
  e2e_prefix "$gen" x

  # Started from the start-up entry: nothing on the screen.
  e2e_start /auto
  e2e_stays 1 nothing_shown || fail "/auto showed a window or ended"
  e2e_shot auto
  e2e_pixel_is "$E2E_SHOT" $((screen_w / 2)) $((screen_h / 2)) 000000 "/auto drew on the screen"

  # A second start wakes it: the window appears, centred.
  rc=0
  timeout 120 "$DW_WINE" "$E2E_WORK/dialwave.exe" >/dev/null 2>&1 </dev/null || rc=$?
  [ "$rc" = 0 ] || fail "the second copy did not end cleanly (exit status $rc)"
  e2e_until 30 e2e_x_visible || fail "no window after the second start"
  window=$(xdotool search --onlyvisible --name 'Dialwave' | head -n 1)
  read -r x y w h < <(xdotool getwindowgeometry --shell "$window" |
    awk -F= '/^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2} END{print x, y, w, h}')
  [ "$w" = 500 ] && [ "$h" = 360 ] || fail "window is ${w}x${h}, not 500x360"
  cx=$(((screen_w - 500) / 2)) cy=$(((screen_h - 360) / 2))
  [ "$x" = "$cx" ] && [ "$y" = "$cy" ] || fail "window at $x,$y, not centred at $cx,$cy"
  [ "$(e2e_main_origin)" = "$x $y" ] || fail "the program puts its window at $(e2e_main_origin), X at $x $y"
  e2e_shot woken
  e2e_pixel_is "$E2E_SHOT" $((x + 10)) $((y + 10)) 000674 "the skin's title strip"
  e2e_pixel_is "$E2E_SHOT" $((x - 10)) $((y - 10)) 000000 "something drawn outside the window"
  # The skin's title in white on the strip.
  /usr/bin/convert "$E2E_SHOT" -crop "150x16+$((x + 14))+$((y + 6))" -format '%[fx:maxima.r]' info: |
    grep -q '^1' || fail "no title text in the window"

  e2e_close_program 15 || fail "dialwave.exe did not close"
  e2e_stop_all
  e2e_say ok
done
