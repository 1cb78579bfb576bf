#!/usr/bin/env bash
# A whole desktop session: on a fresh machine the user accepts the agreement,
# installs, connects once (the update server hands out a new APN list),
# hangs up and sends the window to the tray; nothing is stored yet. Then the
# session ends (wineboot --end-session: WM_QUERYENDSESSION, WM_ENDSESSION)
# and its processes are ended as at a log-off. The settings must have been
# stored at the end of the session, encrypted: the installed stage, the
# chosen modem, the new APN list and its version. The next start opens on
# the main panel.
. "$(dirname "$0")/lib.sh"

stored_values() {
  { e2e_wine reg query "$E2E_SETTINGS_KEY" || true; } | grep -c ' REG_' || true
}

journey() {
  e2e_clean_install
  e2e_update_server 1.0.7 session.kvr internet.kvr
  [ "$(stored_values)" = 0 ] || fail "settings stored before the first start"

  e2e_start /l /n
  e2e_has_text TfrmGprsMain 'Согласен' || fail "the first start did not show the agreement"
  e2e_read_agreement
  e2e_click_child TfrmGprsMain 'Согласен'
  e2e_wait_text TfrmGprsMain 'Далее' 10 || fail "no installation look after \"Согласен\""
  e2e_children TfrmGprsMain | grep -q "^item .* text=$E2E_MODEM\$" ||
    fail "the simulator's modem is not listed"
  e2e_click_child TfrmGprsMain 'Далее'
  e2e_wait_button "Подключиться" 15 ||
    fail "no main panel after \"Далее\": $(e2e_main_panel | tr '\n' ' ')"
  e2e_shot installed

  # One connect, so that the APN list changes during the session.
  e2e_click_connect
  e2e_wait_window TfrmProgress 10 || fail "no progress dialog after the connect button"
  e2e_wait_gone TfrmProgress 30 || fail "the progress dialog stayed"
  e2e_wait_button "Отключиться" 10 || fail "no connected look: $(e2e_main_panel | tr '\n' ' ')"
  [ "$(e2e_server_requests /apn/list/)" = 1 ] ||
    fail "the new APN list was asked for $(e2e_server_requests /apn/list/) times"
  e2e_click_connect
  e2e_wait_button "Подключиться" 10 || fail "no disconnected look after Disconnect"

  e2e_click_main $E2E_MINIMISE_ZONE
  e2e_wait_gone TfrmGprsMain 5 || fail "the minimise zone left the window on the screen"
  e2e_windows | grep -q 'class=__winex11_standalone_tray .* visible=1 ' || fail "no tray window"
  e2e_shot tray
  e2e_running || fail "the program ended on the way to the tray"
  # Nothing is stored before the program ends: what follows is the session's doing.
  [ "$(stored_values)" = 0 ] || fail "settings stored before the session ended"

  # The session ends: Wine asks every window (WM_QUERYENDSESSION), tells it
  # the session is over (WM_ENDSESSION) and ends its process; --kill ends
  # whatever is left, as a log-off does.
  e2e_wine wineboot --end-session >/dev/null || fail "wineboot --end-session failed"
  e2e_wine wineboot --kill >/dev/null || true
  e2e_wait_exit 15 || fail "the program outlived the session"
  e2e_stop_all

  [ "$(stored_values)" -ge 5 ] || fail "$(stored_values) settings stored at the end of the session"
  local settings stored name
  settings=$(e2e_settings || true)
  e2e_say "stored: $(tr '\n' ' ' <<<"$settings")"
  for name in StartStage Modem APNs APNVersion; do
    stored=$(e2e_reg_value 'HKLM\Software\Korvana\Dialwave' "$name")
    [[ $stored =~ ^([0-9A-F]{16})+$ ]] || fail "$name not stored encrypted: '$stored'"
  done
  grep -qx 'StartStage=2' <<<"$settings" || fail "not stored as installed: $settings"
  grep -qx "Modem=$E2E_MODEM" <<<"$settings" || fail "the chosen modem not stored: $settings"
  grep -qx 'APNVersion=7' <<<"$settings" || fail "the APN list's version not stored: $settings"
  # dialwave-support shows the list's line ends as \r\n.
  grep -qxF 'APNs=session.kvr\r\ninternet.kvr\r\n' <<<"$settings" ||
    fail "the new APN list not stored: $settings"

  # The next log-on: straight to the main panel.
  "$WINESERVER" -p30 >/dev/null 2>&1 || true
  e2e_start /l /n
  e2e_shot next-start
  e2e_wait_button "Подключиться" 10 ||
    fail "the next start is not on the main panel: $(e2e_main_panel | tr '\n' ' ')"
  e2e_has_text TfrmGprsMain 'Согласен' && fail "the next start shows the agreement"
  e2e_click_main $E2E_CLOSE_ZONE
  e2e_wait_exit 15 || fail "the close zone did not end the program"
  e2e_clean_install
}

e2e_main "$@"
