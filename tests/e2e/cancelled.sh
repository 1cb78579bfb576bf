#!/usr/bin/env bash
# The user cancels a dial that hangs: "Отменить" shows that the user
# cancelled, the attempt is hung up, and the report follows; nothing stays
# connected and the main window takes input again.
. "$(dirname "$0")/lib.sh"

journey() {
  e2e_installed
  e2e_scenario "device modem $E2E_MODEM
apn * silent"
  e2e_start /l /n
  e2e_click_connect
  e2e_wait_window TfrmProgress 10 || fail "no progress dialog"
  e2e_until 10 e2e_is 1 e2e_state connections || fail "no dial under way"
  e2e_shot dialling
  e2e_click_child TfrmProgress "Отменить"
  e2e_wait_text TfrmProgress "Закрыть" 10 || fail "no report after Отменить"
  e2e_shot report-cancelled
  local text
  text=$(e2e_children TfrmProgress | grep '^child .* class=Static visible=1 .*text=Ошибка' | sed 's/.* text=//')
  [[ $text == "Ошибка при соединении."* ]] || fail "report after cancel: $(e2e_children TfrmProgress | grep STATIC)"
  e2e_click_child TfrmProgress "Закрыть"
  e2e_wait_gone TfrmProgress 5 || fail "the report stayed after Закрыть"
  e2e_until 5 e2e_is 0 e2e_live_connections || fail "a connection is up after the cancel"
  [ "$(e2e_state connection.1.hung-up)" = 1 ] || [ "$(e2e_state connections)" = 0 ] || fail "the cancelled dial was not hung up"
  [ "$(e2e_panel_value button)" = "Подключиться" ] || fail "button: $(e2e_panel_value button)"
  e2e_click_main $E2E_CLOSE_ZONE
  e2e_wait_exit 15 || fail "the close zone did not end the program"
}

e2e_main "$@"
