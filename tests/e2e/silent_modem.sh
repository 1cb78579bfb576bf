#!/usr/bin/env bash
# A modem that never answers: the progress bar runs out (about 30 s), no
# other number or APN is tried, and the report has no code and no details.
. "$(dirname "$0")/lib.sh"

bar_position() { e2e_children TfrmProgress | sed -n 's/.*class=msctls_progress32 .* pos=\([0-9]*\).*/\1/p'; }
bar_past() { local pos; pos=$(bar_position); [ -n "$pos" ] && [ "$pos" -gt "$1" ]; }

journey() {
  e2e_installed
  e2e_scenario "device modem $E2E_MODEM
number * silent"
  e2e_start /l /n
  e2e_click_connect
  e2e_wait_window TfrmProgress 10 || fail "no progress dialog"
  # The bar moves on with the clock while the modem says nothing.
  e2e_until 10 bar_past 0 || fail "the bar stays at '$(bar_position)'"
  local pos
  pos=$(bar_position)
  e2e_shot dialling
  [ "$pos" -lt 590 ] || fail "bar at '$pos' a few seconds into the dial"
  e2e_wait_text TfrmProgress "Закрыть" 45 || fail "no report after the bar ran out"
  e2e_shot report-silent
  e2e_has_text TfrmProgress "Ошибка при соединении." ||
    fail "report text: $(e2e_children TfrmProgress | grep STATIC)"
  e2e_children TfrmProgress | grep -q 'visible=1 .*text=Детали >>$' && fail "details offered for a silent modem"
  # One attempt: the first number of the first APN, nothing after it.
  [ "$(e2e_log | grep -c 'DIAL-params')" = 1 ] || fail "$(e2e_log | grep -c 'DIAL-params') dials for a silent modem"
  e2e_click_child TfrmProgress "Закрыть"
  e2e_wait_gone TfrmProgress 5 || fail "the report stayed after Закрыть"
  [ "$(e2e_live_connections)" = 0 ] || fail "a connection is up"
  e2e_click_main $E2E_CLOSE_ZONE
  e2e_wait_exit 15 || fail "the close zone did not end the program"
}

e2e_main "$@"
