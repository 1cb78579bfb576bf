#!/usr/bin/env bash
# Closing while connected asks first: "Отменить" keeps the window, "Нет"
# ends the program and leaves the connection up; the next start finds that
# connection and shows it as its own, without dialling.
. "$(dirname "$0")/lib.sh"

journey() {
  e2e_installed
  e2e_update_server 1.0.0
  e2e_start /l /n
  e2e_click_connect
  e2e_wait_button "Отключиться" 30 || fail "no connected look"
  local handle
  handle=$(e2e_state connection.1.handle)
  [ "$(e2e_live_connections)" = 1 ] || fail "not connected"

  e2e_click_main $E2E_CLOSE_ZONE
  e2e_wait_window TfrmMsg 10 || fail "no question on closing while connected"
  e2e_shot close-question
  e2e_children TfrmMsg | grep -q '^top .* text=Подтвердите$' || fail "question's title"
  e2e_has_text TfrmMsg "Соединение с Интернетом открыто. Закрыть его?" || fail "question's text"
  e2e_click_child TfrmMsg "Отменить"
  e2e_wait_gone TfrmMsg 5 || fail "the question stayed after Отменить"
  e2e_stays 1 e2e_running || fail "Отменить ended the program"
  [ "$(e2e_visible TfrmGprsMain)" = 1 ] || fail "Отменить hid the window"

  e2e_click_main $E2E_CLOSE_ZONE
  e2e_wait_window TfrmMsg 10 || fail "no question the second time"
  e2e_click_child TfrmMsg "Нет"
  e2e_wait_exit 15 || fail "Нет did not end the program"
  [ "$(e2e_live_connections)" = 1 ] || fail "the connection went with the program"
  [ "$(e2e_state connection.1.handle)" = "$handle" ] || fail "another connection"
  local dials
  dials=$(e2e_log | grep -c 'DIAL-params')

  # The next start adopts it.
  e2e_start /l /n
  e2e_wait_button "Отключиться" 10 ||
    fail "the open connection was not adopted: $(e2e_main_panel | tr '\n' ' ')"
  e2e_shot adopted
  [ "$(e2e_panel_value status)" = "Соединение c GPRS установлено" ] || fail "status after adoption"
  [ "$(e2e_visible TfrmProgress)" = 0 ] || fail "a progress dialog at start"
  [ "$(e2e_log | grep -c 'DIAL-params')" = "$dials" ] || fail "the second start dialled"
  [ "$(e2e_state connections)" = 1 ] && [ "$(e2e_state connection.1.handle)" = "$handle" ] ||
    fail "the simulator's connections changed: $(e2e_rassim state | grep '^connection')"
  # Counters run for the adopted connection too.
  e2e_until 10 e2e_traffic_shown || fail "no traffic shown for the adopted connection"

  # Closing with "Да" hangs up.
  e2e_click_main $E2E_CLOSE_ZONE
  e2e_wait_window TfrmMsg 10 || fail "no question on the adopted connection"
  e2e_click_child TfrmMsg "Да"
  e2e_wait_exit 15 || fail "Да did not end the program"
  e2e_until 5 e2e_is 0 e2e_live_connections || fail "Да left the connection up"
}

e2e_main "$@"
