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
# four. Screenshots: build/screenshots/e2e/<journey>-<gen>-<step>.png.
set -euo pipefail
. "$DW_SOURCE_DIR/scripts/lib/wine.sh"

E2E_NAME=$(basename "$0" .sh)
E2E_BIN=${DW_BIN_DIR:-$DW_BUILD_ROOT/$(dw_runnable_build)/bin}
E2E_SHOTS=$DW_BUILD_ROOT/screenshots/e2e
E2E_ALL_GENS="win98 winme win2k winxp"
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

e2e_say() { echo "[$E2E_NAME $E2E_GEN] $*"; }

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

# e2e_shot STEP: the whole screen, numbered in the order of the steps;
# the file is left in E2E_SHOT.
e2e_shot() {
  E2E_STEP=$((E2E_STEP + 1))
  E2E_SHOT=$E2E_SHOTS/$E2E_NAME-$E2E_GEN-$(printf %02d "$E2E_STEP")-$1.png
  [ "$1" = failure ] && E2E_SHOT=$E2E_SHOTS/$E2E_NAME-$E2E_GEN-failure.png
  dw_screenshot "$E2E_SHOT"
}

# Top-level windows of a class that are on the screen.
e2e_visible() { e2e_windows | grep "class=$1 " | grep -c ' visible=1 ' || true; }

# e2e_wait_window CLASS SECONDS: until a window of that class is on the screen.
e2e_wait_window() {
  local end=$((SECONDS + $2))
  while [ $SECONDS -lt $end ]; do
    [ "$(e2e_visible "$1")" -gt 0 ] && return 0
    sleep 0.2
  done
  return 1
}

# e2e_wait_gone CLASS SECONDS: until no window of that class is on the screen.
e2e_wait_gone() {
  local end=$((SECONDS + $2))
  while [ $SECONDS -lt $end ]; do
    [ "$(e2e_visible "$1")" = 0 ] && return 0
    sleep 0.2
  done
  return 1
}

# e2e_has_text CLASS TEXT: whether a visible child of that window reads exactly TEXT.
e2e_has_text() { e2e_children "$1" | grep -q "^child .* visible=1 .* text=$2\$"; }

# e2e_wait_text CLASS TEXT SECONDS
e2e_wait_text() {
  local end=$((SECONDS + $3))
  while [ $SECONDS -lt $end ]; do
    e2e_has_text "$1" "$2" && return 0
    sleep 0.3
  done
  return 1
}

# The main window's top left corner on the screen: "X Y".
e2e_main_origin() {
  e2e_windows | grep 'class=TfrmGprsMain ' | head -n 1 | sed -n 's/.* rect=\([-0-9]*\),\([-0-9]*\),.*/\1 \2/p' || true
}

e2e_click_at() { xdotool mousemove "$1" "$2" sleep 0.15 click "${3:-1}"; sleep 0.3; }

# e2e_click_main X Y [BUTTON]: a click at a point of the main window.
e2e_click_main() {
  local origin
  origin=$(e2e_main_origin)
  [ -n "$origin" ] || fail "no main window to click"
  set -- $origin "$@"
  e2e_click_at $(($1 + $3)) $(($2 + $4)) "${5:-1}"
}

# e2e_click_child CLASS TEXT: a click in the middle of the visible child of
# that window which reads TEXT (a button, as the user finds it).
e2e_click_child() {
  local rect
  rect=$(e2e_children "$1" | grep "^child .* visible=1 .* text=$2\$" | head -n 1 |
    sed -n 's/.* rect=\([-0-9,]*\).*/\1/p' || true)
  [ -n "$rect" ] || fail "no \"$2\" in $1"
  IFS=, read -r l t r b <<<"$rect"
  e2e_click_at $(((l + r) / 2)) $(((t + b) / 2))
}

# The main panel's places (window coordinates: the panel starts at y 49).
E2E_CONNECT_BUTTON="116 230"
E2E_SETTINGS_LINK="40 298"
E2E_CLOSE_ZONE="484 13"
E2E_MINIMISE_ZONE="462 13"

# Notification area: Wine's own tray window at the top left of the screen.
E2E_TRAY_ICON="12 32"

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

# e2e_wait_button CAPTION SECONDS: until the main panel's button reads so.
e2e_wait_button() {
  local end=$((SECONDS + $2))
  until [ "$(e2e_panel_value button)" = "$1" ]; do
    [ $SECONDS -lt $end ] || return 1
    sleep 0.3
  done
}

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
  xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) sleep 0.2 click --repeat 90 --delay 30 5
  sleep 0.5
  e2e_children TfrmGprsMain | grep -q '^child .* class=DialwaveControl visible=1 enabled=1 .* text=Согласен$' ||
    fail "\"Согласен\" not enabled at the end of the text"
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
# the ITEMth entry (1 "Открыть программу", 2 connect/disconnect, 3 "Выйти";
# the fourth entry is never shown).
e2e_tray_menu() {
  local rect
  e2e_click_at $E2E_TRAY_ICON 3
  for _ in $(seq 25); do
    rect=$(e2e_menu_rect)
    [ -n "$rect" ] && break
    sleep 0.2
  done
  [ -n "$rect" ] || fail "no menu on a right-click on the icon"
  e2e_shot "$2"
  set -- "$1" $rect
  # Three entries of equal height inside a 3-pixel frame.
  local height=$(( ($5 - $3 - 6) / 3 ))
  e2e_click_at $(( ($2 + $4) / 2 )) $(( $3 + 3 + height * ($1 - 1) + height / 2 ))
  for _ in $(seq 25); do [ -z "$(e2e_menu_rect)" ] && return 0; sleep 0.2; done
  fail "the menu stayed open"
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
  for _ in $(seq 100); do [ -s "$E2E_WORK/server.addr" ] && break; sleep 0.1; done
  [ -s "$E2E_WORK/server.addr" ] || fail "the update server did not start"
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
  for _ in $(seq 150); do
    e2e_windows | grep -q 'class=TfrmGprsMain ' && break
    sleep 0.2
  done
  e2e_windows | grep -q 'class=TfrmGprsMain ' || fail "dialwave.exe $* made no main window"
  case " $* " in
    *" /auto "*) ;;
    *) e2e_wait_window TfrmGprsMain 30 || fail "the main window did not appear"
       sleep 0.5 ;;
  esac
}

e2e_running() { [ -n "$E2E_PID" ] && kill -0 "$E2E_PID" 2>/dev/null; }

# e2e_wait_exit SECONDS: until the program has ended.
e2e_wait_exit() {
  local end=$((SECONDS + $1))
  while [ $SECONDS -lt $end ]; do
    e2e_running || { wait "$E2E_PID" 2>/dev/null || true; E2E_PID=; return 0; }
    sleep 0.2
  done
  return 1
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

# A clean machine of generation $1: the journeys' prefix of that generation
# with no settings, no modems but the simulator's, the simulator reset
# (default scenario, empty phone book, no connections), and the program in a
# folder of its own.
e2e_fresh() {
  E2E_GEN=$1
  E2E_STEP=0
  export DIALWAVE_UPDATE_SERVER=127.0.0.1:1
  local exe=$E2E_BIN/dialwave.exe
  dw_wine_prefix "$(dw_pe_arch "$exe")" "$E2E_GEN" "$E2E_KIND" || fail "no Wine prefix for $E2E_GEN"
  timeout 20 "$WINESERVER" -k >/dev/null 2>&1 || true
  # The wineserver lives on between the many short programs of a journey.
  "$WINESERVER" -p30 >/dev/null 2>&1 || true
  E2E_WORK=$DW_BUILD_ROOT/e2e/$E2E_NAME-$E2E_GEN
  rm -rf "$E2E_WORK"
  mkdir -p "$E2E_WORK" "$E2E_SHOTS"
  E2E_WINE_ERR=$E2E_WORK/wine-stderr.log
  rm -f "$E2E_SHOTS/$E2E_NAME-$E2E_GEN-"*.png
  cp "$exe" "$E2E_WORK/"
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
    e2e_stop_all
    e2e_say "ok ($((SECONDS - started)) s)"
  done
}
