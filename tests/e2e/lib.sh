# Journeys: the real dialwave.exe under Wine on a private Xvfb, with the RAS
# simulator, driven by real X input (xdotool) only, and checked through what
# the user sees (screenshots, the windows' texts as dialwave-probe reads
# them) and what support sees (the log written with "/l /n", the registry,
# the simulator's state).
#
# A journey script defines one function and hands it to e2e_main:
#   . "$(dirname "$0")/lib.sh"
#   journey() { ...; }          # runs once per generation, $E2E_GEN set
#   e2e_main "$@"
# Generations: the arguments, else $DW_E2E_GEN (CTest gives one), else all
# six. Screenshots: build/screenshots/e2e/<journey>-<gen>-<step>.png.
#
# The screen and program scripts of tests/win32 use the same library without
# e2e_main: e2e_begin [screen], then e2e_prefix GEN KIND for each prefix.
#
# Nothing here waits blindly: every wait is for something the program, the
# screen or the simulator shows, with a limit (e2e_until), and a check that
# something does not happen watches for it over a span (e2e_stays).
set -euo pipefail
# CTest says where the sources are; by hand the script is found in them.
. "${DW_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}/scripts/lib/wine.sh"

E2E_NAME=$(basename "$0" .sh)
E2E_BIN=${DW_BIN_DIR:-$DW_BUILD_ROOT/$(dw_runnable_build)/bin}
E2E_SHOTS=$DW_BUILD_ROOT/screenshots/e2e
E2E_ALL_GENS="win98 winme win2k winxp win7 win10"
E2E_MODEM="Korvana GPRS Modem"
E2E_PID=
E2E_SERVER_PID=
# A journey may take a prefix of its own (a kind, see dw_wine_prefix) and
# start the program with its own Wine debug channels, Wine's stderr then
# appended to E2E_TRACE.
E2E_KIND=${E2E_KIND:-xe2e}
E2E_WINEDEBUG=${E2E_WINEDEBUG:-}
E2E_TRACE=${E2E_TRACE:-}
E2E_STEP=0

e2e_say() { echo "[$E2E_NAME ${E2E_GEN:-}] $*"; }

# Milliseconds of a duration in seconds ("2", "0.5", "2.25").
e2e_ms_of() {
  local whole=${1%%.*} frac=
  [[ $1 == *.* ]] && frac=${1#*.}
  frac=${frac}000
  echo $((10#${whole:-0} * 1000 + 10#${frac:0:3}))
}
e2e_now_ms() { local t=${EPOCHREALTIME//[.,]/}; echo $((t / 1000)); }

# e2e_until SECONDS COMMAND...: until COMMAND succeeds; 1 when SECONDS pass
# first. The one place that polls.
e2e_until() {
  local end=$(($(e2e_now_ms) + $(e2e_ms_of "$1")))
  shift
  until "$@"; do
    [ "$(e2e_now_ms)" -lt "$end" ] || return 1
    sleep 0.2
  done
}

# e2e_stays SECONDS COMMAND...: COMMAND keeps succeeding for SECONDS (1 at
# the first time it does not): "nothing happens" watched over a span.
e2e_stays() {
  local end=$(($(e2e_now_ms) + $(e2e_ms_of "$1")))
  shift
  while [ "$(e2e_now_ms)" -lt "$end" ]; do
    "$@" || return 1
    sleep 0.2
  done
  "$@"
}

# e2e_is WANT COMMAND...: whether COMMAND prints WANT; what it printed is
# left in E2E_LAST for the failure message.
E2E_LAST=
e2e_is() {
  local want=$1
  shift
  E2E_LAST=$("$@")
  [ "$E2E_LAST" = "$want" ]
}
# e2e_not COMMAND...: the opposite of COMMAND, for e2e_until and e2e_stays.
e2e_not() { ! "$@"; }

# Everything a failure report needs: where it stopped, what was on the
# screen, which windows there were, the log.
fail() {
  echo "FAIL [$E2E_NAME ${E2E_GEN:-} $(dw_pe_arch "$E2E_BIN/dialwave.exe" 2>/dev/null || true)]: $*" >&2
  if [ -n "${DISPLAY:-}" ] && [ -n "${E2E_GEN:-}" ]; then
    e2e_shot failure 2>/dev/null || true
    echo "-- screenshot: $E2E_SHOTS/$E2E_NAME-$E2E_GEN-failure.png" >&2
    e2e_windows 2>/dev/null | grep 'visible=1' >&2 || true
  fi
  if [ -n "${E2E_WORK:-}" ] && [ -f "$E2E_WORK/GPRSlog.log" ]; then
    echo "-- log:" >&2
    e2e_log | tail -n 40 >&2 || true
  fi
  if [ -s "${E2E_WINE_ERR:-}" ]; then
    echo "-- stderr of the journey's Wine programs:" >&2
    tail -n 20 "$E2E_WINE_ERR" >&2
  fi
  exit 1
}

# A command that stops the script through `set -e` (a `read` of nothing, a
# helper's failure) reports like fail() instead of ending the test without a
# word. Command substitutions run without -e: their failures are not ours.
e2e_unexpected() {
  local rc=$1 command=$2 where=$3
  case $- in *e*) ;; *) return 0 ;; esac
  trap - ERR
  fail "stopped at $where: '$command' returned $rc"
}
set -E
trap 'e2e_unexpected $? "$BASH_COMMAND" "${BASH_SOURCE[0]##*/}:$LINENO"' ERR

# Programs of the prefix, their console output as plain lines.
# What Wine and the programs say on stderr goes to the journey's folder, for
# the failure report.
e2e_wine() { timeout -k 5 60 "$DW_WINE" "$@" 2>>"${E2E_WINE_ERR:-/dev/null}" </dev/null | tr -d '\r'; }
e2e_rassim() { e2e_wine "$E2E_BIN/rassim.exe" "$@"; }
e2e_probe() { e2e_wine "$E2E_BIN/dialwave-probe.exe" "$@"; }
e2e_windows() { e2e_probe windows; }
# The child windows of the top-level window of class $1 (see probe_win.cpp).
e2e_children() { e2e_probe children "$1" || true; }

# e2e_state KEY: one value of `rassim state` (empty when absent).
e2e_state() { e2e_rassim state | sed -n "s/^$1=//p" | head -n 1; }
# The connections that are up (state 8192, not hung up).
e2e_live_connections() {
  local state n i c=0
  state=$(e2e_rassim state)
  n=$(sed -n 's/^connections=//p' <<<"$state")
  for i in $(seq 1 "${n:-0}"); do
    if grep -qx "connection.$i.state=8192" <<<"$state" && grep -qx "connection.$i.hung-up=0" <<<"$state"; then
      c=$((c + 1))
    fi
  done
  echo "$c"
}

# e2e_reg_value KEY NAME: a registry value as `wine reg query` shows it
# (texts in the ANSI code page of the prefix; fine for ASCII and hex).
e2e_reg_value() {
  e2e_wine reg query "$1" /v "$2" | sed -n "s/^ *$2 *REG_[A-Z_]* *//p" | head -n 1 || true
}

# The log as UTF-8 (the program writes code page 1251).
e2e_log() { iconv -f cp1251 -t utf-8 "$E2E_WORK/GPRSlog.log" | tr -d '\r'; }
# Settings as support reads them (decrypted), one Name=value a line.
e2e_settings() { e2e_wine "$E2E_BIN/dialwave-support.exe" settings; }

# e2e_screenshot FILE: the whole screen once what was drawn has reached it:
# two pictures in a row alike (at most 3 s; a screen that keeps changing, a
# moving bar, is taken as it is then).
e2e_screenshot() {
  local end=$(($(e2e_now_ms) + 3000)) before= now
  while :; do
    dw_screenshot "$1"
    now=$(identify -format '%#' "$1" 2>/dev/null || true)
    [ -n "$now" ] && [ "$now" = "$before" ] && return 0
    [ "$(e2e_now_ms)" -lt "$end" ] || return 0
    before=$now
  done
}

# e2e_shot STEP: the whole screen, numbered in the order of the steps;
# the file is left in E2E_SHOT.
e2e_shot() {
  E2E_STEP=$((E2E_STEP + 1))
  E2E_SHOT=$E2E_SHOTS/$E2E_NAME-$E2E_GEN-$(printf %02d "$E2E_STEP")-$1.png
  [ "$1" = failure ] && E2E_SHOT=$E2E_SHOTS/$E2E_NAME-$E2E_GEN-failure.png
  e2e_screenshot "$E2E_SHOT"
}

# e2e_pixel_is FILE X Y RRGGBB WHAT: one pixel of a screenshot.
e2e_pixel_is() {
  local got
  got=$(dw_pixel "$1" "$2" "$3")
  [ "$got" = "$4" ] || fail "$5: pixel $2,$3 is $got, not $4"
}

# e2e_darkest FILE WxH+X+Y: the darkest red level in that part of a
# screenshot, in percent (text on a light ground is near 0).
e2e_darkest() {
  /usr/bin/convert "$1" -crop "$2" +repage -format '%[fx:int(minima.r*100)]' info:
}
# e2e_dark_pixels FILE WxH+X+Y: how many pixels of that part are dark
# (under 40 % grey): the amount of text in it.
e2e_dark_pixels() {
  /usr/bin/convert "$1" -crop "$2" +repage -colorspace Gray -threshold 40% -negate \
    -format '%[fx:int(mean*w*h+0.5)]' info:
}

# Any window of the program's title on the X screen (what X shows, whatever
# the program believes).
e2e_x_visible() { xdotool search --onlyvisible --name "${1:-Dialwave}" >/dev/null 2>&1; }
# The tooltip on the screen, its probe line.
e2e_tooltip_line() { e2e_windows | grep 'class=tooltips_class32' | grep 'visible=1' | head -n 1; }
e2e_tooltip_shown() { [ -n "$(e2e_tooltip_line)" ]; }

# Top-level windows of a class that are on the screen.
e2e_visible() { e2e_windows | grep "class=$1 " | grep -c ' visible=1 ' || true; }
e2e_shown() { [ "$(e2e_visible "$1")" -gt 0 ]; }

# e2e_wait_window CLASS SECONDS: until a window of that class is on the screen.
e2e_wait_window() { e2e_until "$2" e2e_shown "$1"; }

# e2e_wait_gone CLASS SECONDS: until no window of that class is on the
# screen, for the program and for X: Wine without a window manager can leave
# a hidden window's X window up for a while, and a click there is lost.
e2e_wait_gone() {
  local ids id
  ids=$(e2e_windows | grep "class=$1 " | e2e_field xwin | grep -v '^0x0$' || true)
  e2e_until "$2" e2e_not e2e_shown "$1" || return 1
  for id in $ids; do e2e_until "$2" e2e_not e2e_x_mapped "$id" || return 1; done
}
# e2e_x_mapped ID: whether that X window is on the screen.
e2e_x_mapped() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }

# e2e_exists CLASS: a top-level window of that class, shown or not.
e2e_exists() { e2e_windows | grep -q "class=$1 "; }

# e2e_has_text CLASS TEXT: whether a visible child of that window reads exactly TEXT.
e2e_has_text() { e2e_children "$1" | grep -q "^child .* visible=1 .* text=$2\$"; }

# e2e_wait_text CLASS TEXT SECONDS
e2e_wait_text() { e2e_until "$3" e2e_has_text "$1" "$2"; }

# e2e_control CLASS CONTROL TEXT: the line of the visible child of window
# CLASS whose class is CONTROL and whose text is exactly TEXT (a fixed string).
e2e_control() {
  e2e_children "$1" | grep " class=$2 visible=1 " |
    awk -v t=" text=$3" 'substr($0, length($0) - length(t) + 1) == t' | head -n 1
}
# Fields of a probe line: e2e_field NAME, the rect as "l t r b".
e2e_field() { sed -n "s/.* $1=\([^ ]*\).*/\1/p"; }
e2e_rect_of() { e2e_field rect | tr ',' ' '; }

# e2e_window_rect CLASS: "l t r b" of the top-level window of that class on
# the screen.
e2e_window_rect() { e2e_windows | grep "class=$1 " | grep ' visible=1 ' | head -n 1 | e2e_rect_of; }

# The main window's top left corner on the screen: "X Y".
e2e_main_origin() {
  e2e_windows | grep 'class=TfrmGprsMain ' | head -n 1 | sed -n 's/.* rect=\([-0-9]*\),\([-0-9]*\),.*/\1 \2/p' || true
}

# Real input. Between two steps of a hand (a move, a press) the pointer
# rests a moment, as a hand's would: Wine sees the motion before the press.
E2E_REST=(sleep 0.15)
e2e_click_at() { xdotool mousemove "$1" "$2" "${E2E_REST[@]}" click "${3:-1}"; }
e2e_double_click_at() { xdotool mousemove "$1" "$2" "${E2E_REST[@]}" click --repeat 2 --delay 80 1; }
# e2e_wheel_at X Y NOTCHES BUTTON: the wheel (4 up, 5 down) over a point.
e2e_wheel_at() { xdotool mousemove "$1" "$2" "${E2E_REST[@]}" click --repeat "$3" --delay 30 "$4"; }
# e2e_hover X Y: the pointer to a point and a pixel on, so the window under
# it sees it move there.
e2e_hover() { xdotool mousemove "$1" "$2" "${E2E_REST[@]}" mousemove $(($1 + 1)) $(($2 + 1)); }
# e2e_drag X Y X2 Y2 [X3 Y3 ...]: the left button pressed at X Y, carried
# through the points, released at the last.
e2e_drag() {
  local args=(mousemove "$1" "$2" "${E2E_REST[@]}" mousedown 1)
  shift 2
  while [ $# -ge 2 ]; do args+=("${E2E_REST[@]}" mousemove "$1" "$2"); shift 2; done
  xdotool "${args[@]}" "${E2E_REST[@]}" mouseup 1
}
# The pointer out of the way (the screen's bottom left corner), tooltips
# gone with it.
e2e_pointer_away() {
  local w h
  read -r w h < <(xdotool getdisplaygeometry)
  xdotool mousemove 10 $((h - 10))
}

# e2e_click_main X Y [BUTTON]: a click at a point of the main window.
e2e_click_main() {
  local origin tries
  # A probe that finds no window on a loaded machine is asked again.
  for tries in 1 2 3 4 5; do
    origin=$(e2e_main_origin)
    [ -z "$origin" ] || break
    sleep 0.5
  done
  [ -n "$origin" ] || fail "no main window to click"
  set -- $origin "$@"
  e2e_click_at $(($1 + $3)) $(($2 + $4)) "${5:-1}"
}

# e2e_centre LINE: the middle of a probe line's rect, "X Y".
e2e_centre() { local l t r b; read -r l t r b < <(e2e_rect_of <<<"$1"); echo $(((l + r) / 2)) $(((t + b) / 2)); }

# e2e_click_child CLASS TEXT [CONTROL]: a click in the middle of the visible
# child of that window which reads TEXT (a button, as the user finds it);
# with CONTROL, only a child of that class.
e2e_click_child() {
  local line
  if [ -n "${3:-}" ]; then
    line=$(e2e_control "$1" "$3" "$2")
  else
    line=$(e2e_children "$1" | grep "^child .* visible=1 .* text=$2\$" | head -n 1 || true)
  fi
  [ -n "$line" ] || fail "no \"$2\" in $1"
  e2e_click_at $(e2e_centre "$line")
}

# The main panel takes input: the program disables it while a connect runs.
# Under Wine without a window manager the progress dialog's DestroyWindow
# waits two seconds for the X server after the dialog looks gone, and the
# connect returns (and enables the panel) only then.
e2e_main_panel_enabled() {
  e2e_children TfrmGprsMain | awk '
    /^top / { split($0, a, " rect="); split(a[2], r, "[, ]"); ox = r[1]; oy = r[2] }
    /^child / && / class=DialwavePanel visible=1 / {
      split($0, a, " rect="); split(a[2], r, "[, ]")
      if (r[2] - oy == 49) { found = 1; if ($0 ~ / enabled=1 /) ok = 1 }
    }
    END { exit !(found && ok) }'
}
# The main panel's connect (or disconnect) button, found by the probe.
e2e_connect_button() {
  local line
  line=$(e2e_children TfrmGprsMain | grep -E '^child .* class=DialwaveControl visible=1 .* text=(Подключиться|Отключиться)$' | head -n 1) || true
  [ -n "$line" ] && echo "$line"
}
e2e_click_connect() {
  local line
  # A click on the disabled panel would be lost; a probe that finds no
  # window on a loaded machine is asked again.
  e2e_until 5 e2e_main_panel_enabled || true
  e2e_until 5 e2e_connect_button >/dev/null || true
  line=$(e2e_connect_button || true)
  [ -n "$line" ] || fail "no connect button on the main panel: $(e2e_main_panel | tr '\n' ' ')"
  e2e_click_at $(e2e_centre "$line")
}
# e2e_click_link TEXT: a link (a text of the panel) of the main window.
e2e_click_link() { e2e_click_child TfrmGprsMain "$1" Static; }

# Places of the skin, which has no windows of its own (window coordinates:
# the panel starts at y 49).
E2E_CLOSE_ZONE="484 13"
E2E_MINIMISE_ZONE="462 13"

# Notification area: with no system tray on the X screen Wine shows its own
# tray window, the icons in squares of its height from its left edge.
e2e_tray_rect() { e2e_windows | grep 'class=__winex11_standalone_tray ' | grep ' visible=1 ' | head -n 1 | e2e_rect_of; }
# The middle of the program's icon, the first one: "X Y".
e2e_tray_icon() {
  local l t r b
  read -r l t r b < <(e2e_tray_rect)
  [ -n "${b:-}" ] || fail "no notification area on the screen"
  echo $((l + (b - t) / 2)) $(((t + b) / 2))
}
# e2e_icon_pixels FILE: pixels of the program icon's blue in the first
# square of the notification area in that screenshot.
e2e_icon_pixels() {
  local l t r b
  read -r l t r b < <(e2e_tray_rect)
  [ -n "${b:-}" ] || { echo 0; return; }
  /usr/bin/convert "$1" -crop "$((b - t))x$((b - t))+$l+$t" -format '%c' histogram:info: |
    awk '/#1E4B8C/ {n += $1} END {print n + 0}'
}
# Whether the program's icon is drawn in the notification area now.
e2e_icon_shown() {
  local shot=$E2E_WORK/tray-look.png
  dw_screenshot "$shot"
  [ "$(e2e_icon_pixels "$shot")" -gt 50 ]
}

# The main panel's read-outs as the user sees them, "name=text" lines.
e2e_main_panel() {
  e2e_children TfrmGprsMain | awk '
    /^top / { split($0, a, " rect="); split(a[2], r, "[, ]"); ox = r[1]; oy = r[2] }
    /^child / && / class=Static / {
      split($0, a, " rect="); split(a[2], r, "[, ]"); t = $0; sub(/.* text=/, "", t)
      px = r[1] - ox; py = r[2] - oy
      if (px == 20 && py == 155) print "status=" t
      if (py == 175 && px >= 92 && px < 300) print "max=" t
      # Right-aligned, one width for the three: the left edge stays.
      if (px == 392 && py == 107) print "received=" t
      if (px == 392 && py == 125) print "sent=" t
      if (px == 392 && py == 143) print "total=" t
      if (px == 290 && py == 189) print "time=" t
    }
    /^child / && / class=DialwaveControl / {
      split($0, a, " rect="); split(a[2], r, "[, ]"); t = $0; sub(/.* text=/, "", t)
      if (r[1] - ox == 20 && r[2] - oy == 215) print "button=" t
    }'
}
e2e_panel_value() { e2e_main_panel | sed -n "s/^$1=//p" | head -n 1; }
# Traffic on the panel: the received count shown and not zero.
e2e_traffic_shown() { local n; n=$(e2e_panel_value received); [ -n "$n" ] && [ "$n" != 0 ]; }

# e2e_wait_button CAPTION SECONDS: until the main panel's button reads so.
e2e_wait_button() { e2e_until "$2" e2e_is "$1" e2e_panel_value button; }

# No installation: neither the copy in C:\Korvana nor the shortcuts.
e2e_clean_install() {
  find -L "$WINEPREFIX/drive_c" -name 'Korvana Dialwave.lnk' -delete 2>/dev/null || true
  rm -rf "$WINEPREFIX/drive_c/Korvana"
}

# e2e_read_agreement: the wheel over the agreement's text to its end (12
# pixels a notch, 981 the end); "Согласен" must then be enabled.
e2e_read_agreement() {
  local box
  box=$(e2e_children TfrmGprsMain | grep ' class=DialwaveScrollBox visible=1 ' | head -n 1 |
    sed -n 's/.* rect=\([-0-9,]*\).*/\1/p')
  [ -n "$box" ] || fail "no agreement text box"
  IFS=, read -r l t r b <<<"$box"
  e2e_wheel_at $(((l + r) / 2)) $(((t + b) / 2)) 90 5
  e2e_until 5 e2e_agree_enabled || fail "\"Согласен\" not enabled at the end of the text"
}
e2e_agree_enabled() {
  e2e_children TfrmGprsMain | grep -q '^child .* class=DialwaveControl visible=1 enabled=1 .* text=Согласен$'
}

# e2e_drop_and_wait_question: the network ends the connection; prints how
# long the question took to come.
e2e_drop_and_wait_question() {
  e2e_rassim drop all | grep -qx 'dropped=1' || fail "rassim dropped nothing"
  local start=$SECONDS
  e2e_wait_window TfrmConnBreak 12 || fail "no question within 12 s of the drop"
  echo $((SECONDS - start))
}

# The notification-area icon's menu as it is on the screen: "left top right bottom".
e2e_menu_rect() {
  e2e_windows | grep 'class=#32768 ' | grep ' visible=1 ' | head -n 1 |
    sed -n 's/.* rect=\([-0-9]*\),\([-0-9]*\),\([-0-9]*\),\([-0-9]*\).*/\1 \2 \3 \4/p' || true
}

# e2e_tray_menu ITEM STEP: opens the icon's menu, takes a picture, and clicks
# the ITEMth entry (1 "Открыть программу", 2 connect/disconnect, 3 "Учёт
# трафика", 4 "Выйти"; the fifth entry is never shown).
e2e_menu_open() { [ -n "$(e2e_menu_rect)" ]; }
e2e_tray_menu() {
  local rect
  e2e_click_at $(e2e_tray_icon) 3
  e2e_until 5 e2e_menu_open || fail "no menu on a right-click on the icon"
  rect=$(e2e_menu_rect)
  e2e_shot "$2"
  set -- "$1" $rect
  # Four entries of equal height inside a 3-pixel frame.
  local height=$(( ($5 - $3 - 6) / 4 ))
  e2e_click_at $(( ($2 + $4) / 2 )) $(( $3 + 3 + height * ($1 - 1) + height / 2 ))
  e2e_until 5 e2e_not e2e_menu_open || fail "the menu stayed open"
}

# A Linux path as Wine's Z: drive shows it.
e2e_winpath() { local p=$1; echo "Z:${p//\//\\}"; }

# e2e_scenario TEXT: loads a scenario (written to the journey's folder).
e2e_scenario() {
  printf '%s\n' "$1" >"$E2E_WORK/scenario.txt"
  e2e_rassim scenario "$(e2e_winpath "$E2E_WORK/scenario.txt")" \
    >/dev/null || fail "rassim refused the scenario"
}

# e2e_regedit LINE...: one registry change in one Wine process (regedit's
# file form: "[-HKEY_...]" deletes a key, "[HKEY_...]" then "\"Name\"=\"text\""
# writes).
e2e_regedit() {
  local file=$E2E_WORK/change.reg
  { echo REGEDIT4; echo; printf '%s\r\n' "$@"; } >"$file"
  e2e_wine regedit /s "$(e2e_winpath "$file")" ||
    fail "regedit refused $*"
}

E2E_SETTINGS_KEY='HKEY_LOCAL_MACHINE\Software\Korvana\Dialwave'

# e2e_store_settings NAME=VALUE...: the program's settings as it stores them
# (encrypted), replacing whatever was there.
e2e_store_settings() {
  local lines=("[-$E2E_SETTINGS_KEY]" "[$E2E_SETTINGS_KEY]") pair hex
  for pair in "$@"; do
    hex=$(e2e_wine "$E2E_BIN/dialwave-support.exe" encrypt "${pair#*=}")
    [ -n "$hex" ] || fail "dialwave-support could not encrypt ${pair#*=}"
    lines+=("\"${pair%%=*}\"=\"$hex\"")
  done
  e2e_regedit "${lines[@]}"
}

# An installed program: past the agreement and the installation step, the
# simulator's modem chosen.
e2e_installed() { e2e_store_settings StartStage=2 "Modem=$E2E_MODEM"; }

# e2e_update_server VERSION [APN...]: a local APN update server whose
# answers are these; its requests are logged in $E2E_WORK/server.log.
e2e_update_server() {
  local root=$E2E_WORK/www version=$1 apn
  shift
  mkdir -p "$root/apn/list" "$root/apn/first"
  printf 'VERSION=%s\n' "$version" >"$root/apn/index.html"
  { echo "Korvana APN list"; for apn in "$@"; do echo "$apn"; done; } >"$root/apn/list/index.html"
  echo "Welcome" >"$root/apn/first/index.html"
  rm -f "$E2E_WORK/server.addr"
  python3 "$DW_SOURCE_DIR/tools/update-server/serve.py" --root "$root" \
    --port-file "$E2E_WORK/server.addr" >/dev/null 2>"$E2E_WORK/server.log" &
  E2E_SERVER_PID=$!
  e2e_until 10 test -s "$E2E_WORK/server.addr" || fail "the update server did not start"
  export DIALWAVE_UPDATE_SERVER
  DIALWAVE_UPDATE_SERVER=$(tr -d '[:space:]' <"$E2E_WORK/server.addr")
}
e2e_server_requests() { grep -c "\"GET $1 " "$E2E_WORK/server.log" || true; }

# e2e_start [ARGS...]: dialwave.exe "/l /n" (log, plain) from the journey's
# folder, so its log lands there; waits for its main window unless "/auto".
e2e_start() {
  WINEDEBUG=${E2E_WINEDEBUG:-$WINEDEBUG} "$DW_WINE" "$E2E_WORK/dialwave.exe" "$@" \
    >/dev/null 2>>"${E2E_TRACE:-/dev/null}" </dev/null &
  E2E_PID=$!
  e2e_until 30 e2e_exists TfrmGprsMain || fail "dialwave.exe $* made no main window"
  case " $* " in
    *" /auto "*) ;;
    *) e2e_wait_window TfrmGprsMain 30 || fail "the main window did not appear" ;;
  esac
}

e2e_running() { [ -n "$E2E_PID" ] && kill -0 "$E2E_PID" 2>/dev/null; }

# e2e_wait_exit SECONDS: until the program has ended.
e2e_wait_exit() {
  e2e_until "$1" e2e_not e2e_running || return 1
  wait "$E2E_PID" 2>/dev/null || true
  E2E_PID=
}

# e2e_close_program SECONDS: closes the main window as Windows does at
# log-off (WM_CLOSE) and waits for the end.
e2e_close_program() {
  e2e_probe close TfrmGprsMain >/dev/null || true
  e2e_wait_exit "$1"
}

# Ends whatever the journey left running in its prefix.
e2e_stop_all() {
  if [ -n "${WINEPREFIX:-}" ]; then
    timeout 20 "$WINESERVER" -k >/dev/null 2>&1 || true
  fi
  if [ -n "$E2E_PID" ]; then wait "$E2E_PID" 2>/dev/null || true; fi
  E2E_PID=
  if [ -n "$E2E_SERVER_PID" ]; then kill "$E2E_SERVER_PID" 2>/dev/null || true; fi
  E2E_SERVER_PID=
  # No update server unless the journey starts one: a refused connection
  # (the port is closed), not the demo server of the test run.
  export DIALWAVE_UPDATE_SERVER=127.0.0.1:1
}

# e2e_prefix GEN [KIND]: the Wine prefix of that generation and kind (see
# dw_wine_prefix; default the journeys' own), its server started afresh and
# kept alive between the many short programs of a script, and an empty
# work folder build/e2e/<script>-<gen> (E2E_WORK) with the program in it.
e2e_prefix() {
  E2E_GEN=$1
  E2E_STEP=0
  export DIALWAVE_UPDATE_SERVER=127.0.0.1:1
  local exe=$E2E_BIN/dialwave.exe
  dw_wine_prefix "$(dw_pe_arch "$exe")" "$E2E_GEN" "${2:-$E2E_KIND}" || fail "no Wine prefix for $E2E_GEN"
  timeout 20 "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -p30 >/dev/null 2>&1 || true
  E2E_WORK=$DW_BUILD_ROOT/e2e/$E2E_NAME-$E2E_GEN
  rm -rf "$E2E_WORK"
  mkdir -p "$E2E_WORK" "$E2E_SHOTS"
  E2E_WINE_ERR=$E2E_WORK/wine-stderr.log
  rm -f "$E2E_SHOTS/$E2E_NAME-$E2E_GEN-"*.png
  cp "$exe" "$E2E_WORK/"
}

# e2e_begin [screen]: for a script that is not a journey; whatever it
# starts ends with it, and with "screen" it gets a private Xvfb.
e2e_begin() {
  trap 'e2e_stop_all; dw_xvfb_stop' EXIT
  if [ "${1:-}" = screen ]; then dw_xvfb_start; fi
}

# A clean machine of generation $1: the journeys' prefix of that generation
# with no settings, no modems but the simulator's, the simulator reset
# (default scenario, empty phone book, no connections), and the program in a
# folder of its own.
e2e_fresh() {
  e2e_prefix "$1"
  # No settings, no modems: the simulator installs its own below.
  e2e_regedit "[-$E2E_SETTINGS_KEY]" \
    '[-HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Class\{4D36E96D-E325-11CE-BFC1-08002BE10318}]' \
    '[-HKEY_LOCAL_MACHINE\Enum\Root\Modem]' '[-HKEY_LOCAL_MACHINE\Enum\Root\MDMGEN]' \
    '[-HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Modem]'
  e2e_rassim reset >/dev/null || fail "rassim reset"
  e2e_rassim install >/dev/null || fail "rassim install"
}

e2e_main() {
  local gens gen
  if [ $# -gt 0 ]; then
    gens="$*"
  elif [ -n "${DW_E2E_GEN:-}" ]; then
    gens=$DW_E2E_GEN
  else
    gens=$E2E_ALL_GENS
  fi
  trap 'e2e_stop_all; dw_xvfb_stop' EXIT
  dw_xvfb_start
  for gen in $gens; do
    dw_wine_version_of "$gen" >/dev/null || exit 2
    local started=$SECONDS
    e2e_fresh "$gen"
    journey
    # 98 and ME lack entry points Wine has: the simulator counts the calls
    # of them, and a journey the program got through that way would fail there.
    case $gen in
      win98 | winme)
        local missing
        missing=$(e2e_state missing-calls)
        [ "${missing:-0}" = 0 ] || fail "the program called RAS entry points $gen lacks ($missing calls)"
        ;;
    esac
    e2e_stop_all
    e2e_say "ok ($((SECONDS - started)) s)"
  done
}
