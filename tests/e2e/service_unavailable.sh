#!/usr/bin/env bash
# Every APN is refused with 734: the progress dialog while dialling, then
# the report "Ошибка. Услуга недоступна" with no details button; "Закрыть"
# leaves the disconnected look and the modem's UserInit as it was.
. "$(dirname "$0")/lib.sh"

journey() {
  e2e_installed
  e2e_scenario "device modem $E2E_MODEM
apn * error 734
notify-delay-ms 200"
  local userinit
  userinit=$(e2e_state modem.1.userinit)
  e2e_start /l /n
  e2e_click_connect
  e2e_wait_window TfrmProgress 10 || fail "no progress dialog"
  e2e_wait_text TfrmProgress "Отменить" 5 || fail "no Отменить while dialling"
  e2e_shot dialling
  e2e_wait_text TfrmProgress "Закрыть" 40 || fail "no error report"
  e2e_shot report-734
  e2e_has_text TfrmProgress "Ошибка. Услуга недоступна" ||
    fail "report text: $(e2e_children TfrmProgress | grep STATIC)"
  e2e_children TfrmProgress | grep -q 'visible=1 .*text=Детали >>$' && fail "details offered for 734"
  e2e_children TfrmProgress | grep -q 'class=msctls_progress32 visible=1' && fail "the bar is still there"
  e2e_click_child TfrmProgress "Закрыть"
  e2e_wait_gone TfrmProgress 5 || fail "the report stayed after Закрыть"
  e2e_wait_button "Подключиться" 5 || fail "button: $(e2e_panel_value button)"
  [ "$(e2e_panel_value status)" = "Соединение с GPRS не установлено" ] || fail "status"
  [ "$(e2e_live_connections)" = 0 ] || fail "a connection is up"
  [ "$(e2e_state modem.1.userinit)" = "$userinit" ] ||
    fail "UserInit not restored: $(e2e_state modem.1.userinit), was $userinit"
  # Both APNs were tried.
  e2e_log | grep 'DIAL-params' | grep -q 'APN: internet.ltkvr ' || fail "the second APN was not tried"
  e2e_click_main $E2E_CLOSE_ZONE
  e2e_wait_exit 15 || fail "the close zone did not end the program"
}

e2e_main "$@"
