#!/usr/bin/env bash
# The chosen modem goes away while the program runs: the connect button
# answers with the error box, and after "ОК" the service settings show the
# modems that are there, with nothing dialled.
. "$(dirname "$0")/lib.sh"

journey() {
  e2e_installed
  e2e_start /l /n
  # The modem is unplugged: RAS now knows only another device.
  e2e_scenario "device modem Other GPRS Modem"
  e2e_click_connect
  e2e_wait_window TfrmMsg 10 || fail "no error box"
  e2e_shot modem-missing
  e2e_children TfrmMsg | grep -q '^top .* text=Ошибка!$' || fail "error box title"
  e2e_has_text TfrmMsg "Ошибка: выбраный модем в системе не зарегистрирован. Выберите другой модем для соединения" ||
    fail "error box text: $(e2e_children TfrmMsg | grep STATIC)"
  e2e_click_child TfrmMsg "ОК"
  e2e_wait_gone TfrmMsg 5 || fail "the error box stayed after ОК"
  e2e_wait_text TfrmGprsMain "Выбрать" 5 || fail "no service settings after ОК"
  e2e_shot service-settings
  local panel
  panel=$(e2e_children TfrmGprsMain)
  # The service look of the settings panel: its button, the list of what is there.
  grep -q '^child .* class=DialwaveControl visible=1 .* text=Выбрать$' <<<"$panel" ||
    fail "no Выбрать button of the service settings"
  grep -q '^item .* text=Other GPRS Modem$' <<<"$panel" || fail "the modem list lacks the modem that is there"
  grep -q "^item .* text=$E2E_MODEM\$" <<<"$panel" && fail "the modem list still shows the missing modem"
  [ "$(e2e_visible TfrmProgress)" = 0 ] || fail "a dial started"
  [ "$(e2e_state connections)" = 0 ] || fail "something was dialled"
  e2e_click_main $E2E_CLOSE_ZONE
  e2e_wait_exit 15 || fail "the close zone did not end the program"
}

e2e_main "$@"
