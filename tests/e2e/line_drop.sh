#!/usr/bin/env bash
# The line drops while connected: the question comes within a few seconds;
# "Да" dials again and the connected look comes back (the maximum speed of
# the faster line before the drop kept over the slower one after it, the
# update server not asked again); a second drop answered "Нет" leaves the
# disconnected look and no connection.
. "$(dirname "$0")/lib.sh"

connected_now() { [ "$(e2e_panel_value button)" = "Отключиться" ] && [ "$(e2e_live_connections)" = 1 ]; }
wait_connected() {
  e2e_until "$1" connected_now || fail "not connected: $(e2e_main_panel | tr '\n' ' ')"
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
max_above() { [ "$(bytes_per_second "$(e2e_panel_value max)")" -gt "$1" ]; }
# Neither the question nor a new dial.
left_alone() { e2e_not e2e_shown TfrmConnBreak && e2e_not e2e_shown TfrmProgress; }

journey() {
  e2e_installed
  # A fast line first (some 48 000 bytes a second); the line that comes back
  # after the drop carries a tenth of that, so only a kept maximum can still
  # read as the fast one.
  e2e_scenario "device modem $E2E_MODEM
rate-received 40000
rate-sent 8000"
  e2e_update_server 1.0.0
  e2e_start /l /n
  e2e_click_connect
  wait_connected 30
  local handle
  handle=$(e2e_state connection.1.handle)
  e2e_until 10 max_above 30000 || fail "maximum speed of the fast line: '$(e2e_panel_value max)'"
  e2e_scenario "device modem $E2E_MODEM
rate-received 4000
rate-sent 800"

  local took
  took=$(e2e_drop_and_wait_question)
  e2e_say "question $took s after the drop"
  [ "$took" -le 8 ] || fail "the question took $took s"
  e2e_shot break-question
  e2e_children TfrmConnBreak | grep -q '^top .* text=Соединение прервано$' || fail "question's title"
  e2e_has_text TfrmConnBreak "Соединение с Интернет прервано. Восстановить?" || fail "question's text"
  e2e_has_text TfrmConnBreak "Нет" || fail "no Нет"
  # The main window already shows the line as down; the sampler has stopped.
  [ "$(e2e_panel_value status)" = "Соединение с GPRS не установлено" ] ||
    fail "status under the question: $(e2e_panel_value status)"
  local max received
  max=$(e2e_panel_value max)
  received=$(e2e_panel_value received)

  e2e_click_child TfrmConnBreak "Да"
  e2e_wait_gone TfrmConnBreak 5 || fail "the question stayed after Да"
  wait_connected 30
  local now
  now=$(e2e_rassim state | sed -n 's/^connection\.[0-9]*\.handle=//p' | tail -n 1)
  [ "$now" != "$handle" ] || fail "no new connection after Да"
  # Two samples of the slow line: the counters move on twice.
  e2e_until 10 e2e_not e2e_is "$received" e2e_panel_value received || fail "no sample after restoring"
  received=$(e2e_panel_value received)
  e2e_until 10 e2e_not e2e_is "$received" e2e_panel_value received || fail "no second sample after restoring"
  e2e_shot restored
  [ "$(e2e_panel_value status)" = "Соединение c GPRS установлено" ] || fail "status after restoring"
  # Kept, not reset: a reset maximum would read as the slow line's speed.
  [ "$(e2e_panel_value max)" = "$max" ] || fail "maximum $max became $(e2e_panel_value max)"
  e2e_say "maximum $max kept over the slower line"
  [ "$(e2e_server_requests /apn/)" = 1 ] || fail "update server asked $(e2e_server_requests /apn/) times"

  took=$(e2e_drop_and_wait_question)
  [ "$took" -le 8 ] || fail "the second question took $took s"
  e2e_click_child TfrmConnBreak "Нет"
  e2e_wait_gone TfrmConnBreak 5 || fail "the question stayed after Нет"
  # A sampler that went on would ask again within two of its rounds.
  e2e_stays 5 left_alone || fail "asked or dialled again after Нет"
  e2e_shot declined
  [ "$(e2e_panel_value button)" = "Подключиться" ] || fail "button after Нет: $(e2e_panel_value button)"
  [ "$(e2e_panel_value status)" = "Соединение с GPRS не установлено" ] || fail "status after Нет"
  [ "$(e2e_live_connections)" = 0 ] || fail "a connection is up after Нет"

  e2e_click_main $E2E_CLOSE_ZONE
  e2e_wait_exit 15 || fail "the close zone did not end the program"
}

e2e_main "$@"
