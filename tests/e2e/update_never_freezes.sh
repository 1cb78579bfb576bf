#!/usr/bin/env bash
# The APN update against a server that takes the connection and never
# answers: after the connect the main window goes on painting (its speed
# graph grows on the screen) and it and the progress dialog go on answering
# (every 10 ms, none later than 50 ms) for seconds of the wait, the
# dialog reads "Обновление конфигурации АPN...", Cancel ends the update at
# once and keeps the connection; a later connect of the same run, the server
# answering by then, updates the list. A second run's update left behind by
# Cancel stores nothing of it, and one left behind by closing the program
# lets the program end.
. "$(dirname "$0")/lib.sh"

UPDATE_TEXT='Обновление конфигурации АPN...'

# The demo update server, its behaviour switched between two connects by a
# file it reads at every request: "mute" takes the request and never
# answers; empty answers with version 1.0.7 and a new list.
serve() {
  local root=$E2E_WORK/www
  mkdir -p "$root/apn/list" "$root/apn/first"
  printf 'VERSION=1.0.7\n' >"$root/apn/index.html"
  printf 'Korvana APN list 7\ninternet.new\ninternet.kvr\n' >"$root/apn/list/index.html"
  echo Welcome >"$root/apn/first/index.html"
  rm -f "$E2E_WORK/server.addr"
  python3 "$DW_SOURCE_DIR/tools/update-server/serve.py" --root "$root" \
    --fault-file "$E2E_WORK/fault" --port-file "$E2E_WORK/server.addr" \
    >/dev/null 2>>"$E2E_WORK/server.log" &
  E2E_SERVER_PID=$!
  e2e_until 10 test -s "$E2E_WORK/server.addr" || fail "the update server did not start"
  export DIALWAVE_UPDATE_SERVER
  DIALWAVE_UPDATE_SERVER=$(tr -d '[:space:]' <"$E2E_WORK/server.addr")
}
mute() { echo mute >"$E2E_WORK/fault"; }
answer() { : >"$E2E_WORK/fault"; }

# connected_and_updating: after the connect button, the connected look with
# the dialog still up and saying it updates.
connected_and_updating() {
  e2e_click_connect
  e2e_wait_window TfrmProgress 10 || fail "no progress dialog after the connect button"
  e2e_wait_text TfrmProgress "$UPDATE_TEXT" 40 ||
    fail "the dialog never read \"$UPDATE_TEXT\": $(e2e_children TfrmProgress | grep Static | tr '\n' ' ')"
  e2e_wait_button "Отключиться" 5 || fail "no connected look before the update"
}

# answers MS STEP: for MS milliseconds both windows answer every WM_NULL
# within 50 ms.
answers() {
  local out cls line max
  out=$(e2e_probe ping "$1" TfrmGprsMain TfrmProgress) || fail "dialwave-probe ping failed: $out"
  e2e_say "$2: $(tr '\n' ' ' <<<"$out")"
  for cls in TfrmGprsMain TfrmProgress; do
    line=$(grep "^ping class=$cls " <<<"$out") || fail "no figures for $cls: $out"
    [[ $line != *' samples=0 '* ]] || fail "no $cls window to ping ($2)"
    [[ $line == *' timeouts=0' ]] || fail "$cls did not answer at all ($2): $line"
    max=$(sed -n 's/.* max_ms=\([0-9]*\)\.[0-9]* .*/\1/p' <<<"$line")
    [ -n "$max" ] && [ "$max" -lt 50 ] || fail "$cls kept silent for ${max:-?} ms during the update ($2)"
  done
  [ "$(e2e_visible TfrmProgress)" = 1 ] || fail "the dialog went before the update ended ($2)"
}

# graph_crop SHOT OUT: the speed graph's left end, beside the dialog.
graph_crop() {
  local origin
  origin=$(e2e_main_origin)
  set -- "$1" "$2" $origin
  /usr/bin/convert "$1" -crop "40x50+$(($3 + 18))+$(($4 + 105))" +repage "$2"
}

# graph_grew: the graph on the screen now differs from graph-before.png;
# DIALOG_UP says whether the dialog was still up just before that screen
# was taken, so growth seen there happened during the update.
GRAPH_CHANGED=
DIALOG_UP=
graph_grew() {
  DIALOG_UP=$(e2e_visible TfrmProgress)
  e2e_screenshot "$E2E_WORK/waiting.png"
  graph_crop "$E2E_WORK/waiting.png" "$E2E_WORK/graph-after.png"
  GRAPH_CHANGED=$(compare -metric AE "$E2E_WORK/graph-before.png" "$E2E_WORK/graph-after.png" null: 2>&1 || true)
  [ "${GRAPH_CHANGED%% *}" -gt 0 ] 2>/dev/null
}

# repaints SHOT: the main window paints during the wait: the speed graph
# beside the dialog, empty or nearly so at SHOT, gains the samples of the
# next seconds on the screen (one a second; the dialog still up).
repaints() {
  graph_crop "$1" "$E2E_WORK/graph-before.png"
  e2e_until 10 graph_grew || fail "the main window did not repaint during the update (changed: ${GRAPH_CHANGED:-?})"
  # The screen that showed it, not a new one: the update's 15 s wait goes on
  # while a loaded machine takes screenshots.
  E2E_STEP=$((E2E_STEP + 1))
  cp "$E2E_WORK/waiting.png" "$E2E_SHOTS/$E2E_NAME-$E2E_GEN-$(printf %02d "$E2E_STEP")-waiting.png"
  e2e_say "graph pixels changed during the wait: $GRAPH_CHANGED"
  [ "$DIALOG_UP" = 1 ] || fail "the dialog went before the graph could be watched"
}

# main_active: the main window is the foreground one again, as after a modal
# dialog closes, so the next click goes to it.
main_active() { e2e_windows | grep -q '^window class=TfrmGprsMain .* visible=1 .* foreground=1 '; }

stored() { e2e_settings | sed -n "s/^$1=//p" | head -n 1; }

journey() {
  e2e_installed
  mute
  serve
  e2e_start /l /n

  connected_and_updating
  e2e_shot updating
  repaints "$E2E_SHOT"
  answers 3000 "first connect"
  e2e_click_child TfrmProgress "Отменить"
  e2e_wait_gone TfrmProgress 3 || fail "Cancel did not end the update"
  e2e_shot cancelled
  [ "$(e2e_panel_value status)" = "Соединение c GPRS установлено" ] ||
    fail "Cancel cost the connection: $(e2e_panel_value status)"
  [ "$(e2e_live_connections)" = 1 ] || fail "the simulator lost the connection"
  e2e_until 3 main_active || fail "the main window did not take the input back after Cancel"

  # Hang up; the server answers from now on; the next connect updates.
  e2e_click_connect
  e2e_wait_button "Подключиться" 10 || fail "no disconnected look"
  answer
  e2e_click_connect
  e2e_wait_window TfrmProgress 10 || fail "no progress dialog for the second connect"
  e2e_wait_gone TfrmProgress 40 || fail "the second connect's dialog stayed"
  e2e_wait_button "Отключиться" 5 || fail "no connected look after the second connect"
  e2e_click_connect
  e2e_wait_button "Подключиться" 10 || fail "no disconnected look"
  e2e_click_main $E2E_CLOSE_ZONE
  e2e_wait_exit 15 || fail "the close zone did not end the program"
  [ "$(stored APNVersion)" = 7 ] || fail "APN version after the update: $(stored APNVersion)"
  [ "$(stored APNs)" = 'internet.new\r\ninternet.kvr\r\n' ] || fail "the new list was not stored: $(stored APNs)"

  # A second run: Cancel during the update stores nothing of it.
  mute
  e2e_start /l /n
  connected_and_updating
  answers 2000 "second run"
  e2e_click_child TfrmProgress "Отменить"
  e2e_wait_gone TfrmProgress 3 || fail "Cancel did not end the update"
  e2e_wait_button "Отключиться" 5 || fail "no connected look after Cancel"
  e2e_until 3 main_active || fail "the main window did not take the input back after Cancel"
  e2e_click_connect
  e2e_wait_button "Подключиться" 10 || fail "no disconnected look"

  # Closing during the next update: the update is left behind at once and
  # the usual question about the open connection follows.
  connected_and_updating
  e2e_click_main $E2E_CLOSE_ZONE
  e2e_wait_window TfrmMsg 5 || fail "closing during the update did not come to the question"
  e2e_click_child TfrmMsg "Да"
  e2e_wait_exit 15 || fail "the program did not end after the question"
  [ "$(e2e_live_connections)" = 0 ] || fail "\"Да\" left the connection up"
  [ "$(stored APNVersion)" = 7 ] || fail "the version changed: $(stored APNVersion)"
  # The simulator connects only internet.kvr: the dial moved it to the
  # front; the server's order (internet.new first) was not taken.
  [ "$(stored APNs)" = 'internet.kvr\r\ninternet.new\r\n' ] || fail "the list changed: $(stored APNs)"
  e2e_log | grep -q 'update abandoned' || fail "no log line for the abandoned update"
}

e2e_main "$@"
