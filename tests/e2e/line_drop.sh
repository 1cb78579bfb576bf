#!/usr/bin/env bash
# The line drops while connected: the question comes within a few seconds;
# "Да" dials again and the connected look comes back (the maximum speed
# kept, the update server not asked again); a second drop answered "Нет"
# leaves the disconnected look and no connection.
. "$(dirname "$0")/lib.sh"

wait_connected() {
  local end=$((SECONDS + $1))
  until [ "$(e2e_panel_value button)" = "Отключиться" ] && [ "$(e2e_live_connections)" = 1 ]; do
    [ $SECONDS -lt $end ] || fail "not connected: $(e2e_main_panel | tr '\n' ' ')"
    sleep 0.3
  done
}

# "7882 байт/сек", "9 Kбайт/сек", "9 Mбайт/сек" as bytes per second.
bytes_per_second() {
  local n=${1%% *}
  case $1 in
    *Kбайт/сек) echo $((n * 1024)) ;;
    *Mбайт/сек) echo $((n * 1048576)) ;;
    *) echo "${n:-0}" ;;
  esac
}

journey() {
  e2e_installed
  e2e_update_server 1.0.0
  e2e_start /l /n
  e2e_click_main $E2E_CONNECT_BUTTON
  wait_connected 30
  local handle
  handle=$(e2e_state connection.1.handle)
  sleep 3  # a sample or two: a maximum speed to keep
  local max
  max=$(e2e_panel_value max)
  [ -n "$max" ] || fail "no maximum speed while connected"

  local took
  took=$(e2e_drop_and_wait_question)
  e2e_say "question $took s after the drop"
  [ "$took" -le 8 ] || fail "the question took $took s"
  sleep 0.3
  e2e_shot break-question
  e2e_children TfrmConnBreak | grep -q '^top .* text=Соединение прервано$' || fail "question's title"
  e2e_has_text TfrmConnBreak "Соединение с Интернет прервано. Восстановить?" || fail "question's text"
  e2e_has_text TfrmConnBreak "Нет" || fail "no Нет"
  # The main window already shows the line as down.
  [ "$(e2e_panel_value status)" = "Соединение с GPRS не установлено" ] ||
    fail "status under the question: $(e2e_panel_value status)"

  e2e_click_child TfrmConnBreak "Да"
  e2e_wait_gone TfrmConnBreak 5 || fail "the question stayed after Да"
  wait_connected 30
  e2e_shot restored
  [ "$(e2e_panel_value status)" = "Соединение c GPRS установлено" ] || fail "status after restoring"
  local now
  now=$(e2e_rassim state | sed -n 's/^connection\.[0-9]*\.handle=//p' | tail -n 1)
  [ "$now" != "$handle" ] || fail "no new connection after Да"
  # Kept, not reset: the same rates cannot bring it below the old record.
  [ "$(bytes_per_second "$(e2e_panel_value max)")" -ge "$(bytes_per_second "$max")" ] ||
    fail "maximum $max became $(e2e_panel_value max)"
  [ "$(e2e_server_requests /apn/)" = 1 ] || fail "update server asked $(e2e_server_requests /apn/) times"

  took=$(e2e_drop_and_wait_question)
  [ "$took" -le 8 ] || fail "the second question took $took s"
  e2e_click_child TfrmConnBreak "Нет"
  e2e_wait_gone TfrmConnBreak 5 || fail "the question stayed after Нет"
  sleep 2.5  # a sampler that went on would ask again by now
  e2e_shot declined
  [ "$(e2e_visible TfrmConnBreak)" = 0 ] || fail "asked again after Нет"
  [ "$(e2e_visible TfrmProgress)" = 0 ] || fail "dialling after Нет"
  [ "$(e2e_panel_value button)" = "Подключиться" ] || fail "button after Нет: $(e2e_panel_value button)"
  [ "$(e2e_panel_value status)" = "Соединение с GPRS не установлено" ] || fail "status after Нет"
  [ "$(e2e_live_connections)" = 0 ] || fail "a connection is up after Нет"

  e2e_click_main $E2E_CLOSE_ZONE
  e2e_wait_exit 15 || fail "the close zone did not end the program"
}

e2e_main "$@"
