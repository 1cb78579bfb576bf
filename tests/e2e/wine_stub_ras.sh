#!/usr/bin/env bash
# The program against Wine's own RAS stub (no simulator in the system
# folder): it starts, offers the stub's one device, and a connect attempt
# ends in an error report that the user closes; the program goes on.
. "$(dirname "$0")/lib.sh"

journey() {
  # Wine's own rasapi32.dll back in place of the simulator's.
  local system32=$WINEPREFIX/drive_c/windows/system32
  cp "$DW_WINE_ROOT/$(dw_pe_arch "$E2E_BIN/dialwave.exe")-base/drive_c/windows/system32/rasapi32.dll" \
    "$system32/rasapi32.dll"
  head -c 200 "$system32/rasapi32.dll" | grep -qa 'Wine builtin DLL' || fail "Wine's stub is not in place"
  e2e_store_settings StartStage=2 "Modem=WINE virtmodem"
  e2e_start /l /n
  e2e_shot started

  # The stub's device is what the modem list offers.
  e2e_click_link 'Настройки'
  e2e_wait_text TfrmGprsMain "Выбрать" 10 || fail "no settings panel"
  e2e_shot modem-list
  local panel
  panel=$(e2e_children TfrmGprsMain)
  grep -q '^item .* text=WINE virtmodem$' <<<"$panel" || fail "no WINE virtmodem in the list: $(grep '^item' <<<"$panel")"
  grep -q '^child .* class=DialwaveControl visible=1 .* text=Выбрать$' <<<"$panel" || fail "no Выбрать"
  e2e_click_child TfrmGprsMain "Выбрать"
  e2e_wait_button "Подключиться" 10 || fail "not back on the main panel"

  e2e_click_connect
  e2e_wait_window TfrmProgress 10 || fail "no progress dialog"
  e2e_wait_text TfrmProgress "Закрыть" 45 || fail "no error report from the stub"
  e2e_shot report
  local text
  text=$(e2e_children TfrmProgress | grep '^child .* class=Static visible=1 .*text=Ошибка' | sed 's/.* text=//')
  [[ $text == "Ошибка при соединении."* ]] || fail "report: $(e2e_children TfrmProgress | grep Static)"
  e2e_say "report: $text"
  e2e_click_child TfrmProgress "Закрыть"
  e2e_wait_gone TfrmProgress 5 || fail "the report stayed after Закрыть"
  e2e_running || fail "the program ended"
  [ "$(e2e_panel_value button)" = "Подключиться" ] || fail "button: $(e2e_panel_value button)"
  e2e_click_main $E2E_CLOSE_ZONE
  e2e_wait_exit 15 || fail "the close zone did not end the program"
}

e2e_main "$@"
