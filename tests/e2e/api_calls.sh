#!/usr/bin/env bash
# Which Windows functions the program really calls: the whole journey (first
# start with the agreement and the installation, the settings panel with the
# modem list, the about panel, an error report with its details, a connect,
# the line-drop question, the tray menu, the close) under Wine's relay trace,
# then every call made from dialwave.exe checked against docs/windows-api.csv
# for this generation (tests/static/check_calls.py). Wine implements the
# UTF-16 functions in its 9x modes too, so only the trace shows a call that
# would fail on a real Windows 98 or ME.
# DW_API_TABLE names another table. The trace: build/e2e/api_calls-<gen>/.
. "$(dirname "$0")/lib.sh"

# A prefix of its own: the relay settings below stay out of the other
# journeys' prefixes.
E2E_KIND=xrelay
API_TABLE=${DW_API_TABLE:-$DW_SOURCE_DIR/docs/windows-api.csv}

# Less volume: only calls made from the program's own module are wrapped
# (Wine's modules calling each other would make the trace gigabytes; what
# GetProcAddress hands out stays wrapped whoever looks it up), and Wine's
# busiest internal functions are not traced (Wine's own list first).
# check_calls.py fails if the program imports one of those through a
# forwarder, which would hide its calls.
RELAY_EXCLUDE="ntdll.RtlEnterCriticalSection;ntdll.RtlTryEnterCriticalSection;ntdll.RtlLeaveCriticalSection;\
kernel32.48;kernel32.49;kernel32.94;kernel32.95;kernel32.96;kernel32.97;kernel32.98;kernel32.TlsGetValue;\
kernel32.TlsSetValue;kernel32.FlsGetValue;kernel32.FlsSetValue;kernel32.SetLastError;\
ntdll.RtlFreeHeap;ntdll.memmove;ntdll.memcmp;ntdll.RtlCompareUnicodeStrings"
relay_settings() {
  e2e_regedit '[HKEY_CURRENT_USER\Software\Wine\Debug]' '"RelayFromInclude"="dialwave.exe"' \
    "\"RelayExclude\"=\"$RELAY_EXCLUDE\""
}

journey() {
  [ -f "$API_TABLE" ] || fail "no table of Windows functions: $API_TABLE"
  relay_settings
  E2E_TRACE=$E2E_WORK/relay.log
  E2E_WINEDEBUG=+pid,+relay,+loaddll
  e2e_clean_install
  e2e_update_server 1.0.0

  # First start: the agreement read and accepted, the installation.
  e2e_start /l /n
  e2e_has_text TfrmGprsMain 'Согласен' || fail "the first start did not show the agreement"
  e2e_read_agreement
  e2e_click_child TfrmGprsMain 'Согласен'
  e2e_wait_text TfrmGprsMain 'Далее' 20 || fail "no installation look after \"Согласен\""
  e2e_shot installation
  e2e_click_child TfrmGprsMain 'Далее'
  e2e_wait_button "Подключиться" 30 || fail "no main panel after \"Далее\""
  e2e_shot main

  # The settings panel with its modem list, and back by choosing the modem.
  e2e_click_link 'Настройки'
  e2e_wait_text TfrmGprsMain 'Выбрать' 20 || fail "no settings panel"
  e2e_children TfrmGprsMain | grep -q "^item .* text=$E2E_MODEM\$" || fail "the modem list lacks $E2E_MODEM"
  e2e_shot settings
  e2e_click_child TfrmGprsMain 'Выбрать'
  e2e_wait_button "Подключиться" 20 || fail "not back on the main panel from the settings"

  # The about panel, and back.
  e2e_click_child TfrmGprsMain 'О программе'
  e2e_wait_text TfrmGprsMain '<  Вернуться в программу' 20 || fail "no about panel"
  e2e_shot about
  e2e_click_child TfrmGprsMain '<  Вернуться в программу'
  e2e_wait_button "Подключиться" 20 || fail "not back on the main panel from the about panel"

  # A connect through the progress dialog.
  e2e_scenario "device modem $E2E_MODEM
apn * connect"
  e2e_click_connect
  e2e_wait_window TfrmProgress 20 || fail "no progress dialog for the connect"
  e2e_shot progress
  e2e_wait_button "Отключиться" 60 || fail "not connected: $(e2e_main_panel | tr '\n' ' ')"
  e2e_until 10 e2e_traffic_shown || fail "no traffic shown while connected"

  # The line drops: the question, answered "Да".
  e2e_drop_and_wait_question >/dev/null
  e2e_shot break-question
  e2e_click_child TfrmConnBreak "Да"
  e2e_wait_gone TfrmConnBreak 10 || fail "the question stayed after Да"
  e2e_wait_button "Отключиться" 60 || fail "not connected again after Да"

  # The tray: disconnect from the menu, into the tray and back.
  e2e_tray_menu 2 menu-connected
  e2e_wait_button "Подключиться" 30 || fail "the menu's disconnect did not disconnect"
  e2e_click_main $E2E_MINIMISE_ZONE
  e2e_wait_gone TfrmGprsMain 10 || fail "the minimise zone left the window on the screen"
  e2e_tray_menu 1 menu-hidden
  e2e_wait_window TfrmGprsMain 10 || fail "Открыть программу did not bring the window back"

  # A refused connect: the report and its details.
  e2e_scenario "device modem $E2E_MODEM
apn * error 691"
  e2e_click_connect
  e2e_wait_window TfrmProgress 20 || fail "no progress dialog for the refused connect"
  e2e_wait_text TfrmProgress "Закрыть" 60 || fail "no error report"
  e2e_has_text TfrmProgress "Ошибка при соединении. Код 691" || fail "not the report of 691"
  e2e_click_child TfrmProgress "Детали >>"
  e2e_wait_text TfrmProgress "<< Детали" 10 || fail "the details did not open"
  e2e_shot report-details
  e2e_click_child TfrmProgress "Закрыть"
  e2e_wait_gone TfrmProgress 10 || fail "the report stayed after Закрыть"

  # Out through the tray menu.
  e2e_tray_menu 4 menu-exit
  e2e_wait_exit 30 || fail "Выйти did not end the program"

  e2e_say "trace: $(du -h "$E2E_TRACE" | cut -f1)"
  local rc=0
  python3 "$DW_SOURCE_DIR/tests/static/check_calls.py" --log "$E2E_TRACE" --gen "$E2E_GEN" \
    --table "$API_TABLE" --exe "$E2E_WORK/dialwave.exe" \
    --system-dir "$WINEPREFIX/drive_c/windows/system32" --excluded "$RELAY_EXCLUDE" \
    --report "$E2E_WORK/calls.txt" >"$E2E_WORK/check.txt" 2>&1 || rc=$?
  cat "$E2E_WORK/check.txt"
  [ "$rc" = 0 ] || fail "functions that do not work on $E2E_GEN (every call: $E2E_WORK/calls.txt)"
  rm -f "$E2E_TRACE"  # hundreds of megabytes; kept only when the check fails
}

e2e_main "$@"
