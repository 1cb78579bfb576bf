#!/usr/bin/env bash
# Connect where the network refuses the first APN and takes the second: the
# progress dialog while dialling, the connected look with time, counters and
# graph moving, a disconnect by the button, and what the dial left behind
# once the program is closed: the APN that worked first in the stored list,
# the modem's UserInit selecting it, the phone-book entry "Korvana", and the
# update server asked once.
. "$(dirname "$0")/lib.sh"

# graph_moved FIRST: a new screenshot whose graph differs from FIRST's in
# more than 20 pixels (the count in `changed`).
GRAPH_AREA=
changed=
graph_moved() {
  e2e_shot connected-2
  changed=$(compare -metric AE -extract "$GRAPH_AREA" "$1" "$E2E_SHOT" null: 2>&1 || true)
  [ "${changed%% *}" -gt 20 ] 2>/dev/null
}

journey() {
  e2e_installed
  e2e_scenario "device modem $E2E_MODEM
apn internet.ltkvr connect
apn * error 734
notify-delay-ms 400
rate-received 6000
rate-sent 1500"
  # The server's list is the one the program has: nothing to update.
  e2e_update_server 1.0.0
  e2e_start /l /n
  e2e_shot disconnected
  [ "$(e2e_panel_value status)" = "Соединение с GPRS не установлено" ] ||
    fail "disconnected status: $(e2e_panel_value status)"
  [ "$(e2e_panel_value button)" = "Подключиться" ] || fail "button: $(e2e_panel_value button)"

  e2e_click_connect
  e2e_wait_window TfrmProgress 10 || fail "no progress dialog after the connect button"
  local dialog
  dialog=$(e2e_children TfrmProgress)
  e2e_shot progress
  grep -q '^top .* text=Установка соединения$' <<<"$dialog" || fail "progress dialog title: $dialog"
  grep -q '^child .* visible=1 .* text=Отменить$' <<<"$dialog" || fail "no Cancel button while dialling: $dialog"
  grep -q 'class=msctls_progress32 visible=1' <<<"$dialog" || fail "no progress bar: $dialog"

  # Connected: the dialog goes without a word, the main panel changes look.
  e2e_wait_gone TfrmProgress 30 || fail "the progress dialog stayed"
  e2e_wait_button "Отключиться" 10 || fail "no connected look: $(e2e_main_panel | tr '\n' ' ')"
  [ "$(e2e_panel_value status)" = "Соединение c GPRS установлено" ] ||
    fail "connected status: $(e2e_panel_value status)"
  [ "$(e2e_live_connections)" = 1 ] || fail "the simulator has no live connection"
  [ "$(e2e_state connection.1.apn)" = internet.ltkvr ] ||
    fail "connected through APN $(e2e_state connection.1.apn)"

  # Counters and graph move: two looks a sample apart.
  local first second first_shot
  e2e_until 10 e2e_traffic_shown || fail "nothing received: '$(e2e_panel_value received)'"
  first=$(e2e_panel_value received)
  e2e_shot connected-1
  first_shot=$E2E_SHOT
  e2e_until 10 e2e_not e2e_is "$first" e2e_panel_value received || fail "the received count stood still at $first"
  second=$(e2e_panel_value received)
  [[ $(e2e_panel_value max) =~ байт/сек$ ]] || fail "maximum speed: $(e2e_panel_value max)"
  [[ $(e2e_panel_value time) =~ ^0\ часов\ 00\ минут$ ]] || fail "connection time: $(e2e_panel_value time)"
  local origin
  origin=$(e2e_main_origin)
  set -- $origin
  GRAPH_AREA="192x45+$(($1 + 20))+$(($2 + 105))"
  # The new count is in the window before a loaded machine's screen shows
  # it: look again until the graph has moved there too.
  e2e_until 10 graph_moved "$first_shot" || fail "the graph did not move ($changed pixels changed)"
  e2e_say "received $first -> $second, graph changed in $changed pixels"

  # Disconnect by the button.
  e2e_click_connect
  e2e_wait_button "Подключиться" 10 || fail "no disconnected look after Disconnect"
  [ "$(e2e_panel_value status)" = "Соединение с GPRS не установлено" ] ||
    fail "status after disconnect: $(e2e_panel_value status)"
  e2e_shot disconnected-again
  e2e_until 5 e2e_is 0 e2e_live_connections || fail "the connection is still up after Disconnect"

  # Closing: no connection, no question.
  e2e_click_main $E2E_CLOSE_ZONE
  e2e_wait_exit 15 || fail "the close zone did not end the program"

  # Stored encrypted (no "/r"): whole blocks of upper-case hex.
  local stored
  stored=$(e2e_reg_value 'HKLM\Software\Korvana\Dialwave' APNs)
  [[ $stored =~ ^([0-9A-F]{16})+$ ]] || fail "APNs not stored encrypted: $stored"
  local settings apns
  settings=$(e2e_settings)
  apns=$(sed -n 's/^APNs=//p' <<<"$settings")
  [[ $apns == internet.ltkvr* ]] || fail "stored APN list does not start with the APN that worked: $settings"
  [[ $apns == *internet.kvr* ]] || fail "stored APN list lost internet.kvr: $settings"
  [ "$(e2e_state modem.1.userinit)" = 'AT+CGDCONT=1,"IP","internet.ltkvr"' ] ||
    fail "UserInit: $(e2e_state modem.1.userinit)"
  [ "$(e2e_state entry.1.name)" = Korvana ] || fail "phone-book entry: $(e2e_state entry.1.name)"
  [ "$(e2e_state entry.1.device-name)" = "$E2E_MODEM" ] || fail "entry device: $(e2e_state entry.1.device-name)"
  # Both APNs were dialled, the first one first.
  e2e_log | grep 'DIAL-params' | head -n 1 | grep -q 'APN: internet.kvr ' || fail "first dial was not internet.kvr"
  e2e_log | grep 'DIAL-params' | grep -q 'APN: internet.ltkvr ' || fail "internet.ltkvr was never dialled"
  [ "$(e2e_server_requests /apn/)" = 1 ] || fail "update server asked $(e2e_server_requests /apn/) times"
}

e2e_main "$@"
