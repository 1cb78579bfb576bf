#!/usr/bin/env bash
# A refusal with 691 (authentication): "Ошибка при соединении. Код 691" and
# "Детали >>", which opens the system's description with the advice under it
# below the report and closes it again.
. "$(dirname "$0")/lib.sh"

journey() {
  e2e_installed
  e2e_scenario "device modem $E2E_MODEM
apn * error 691"
  e2e_start /l /n
  e2e_click_connect
  e2e_wait_window TfrmProgress 10 || fail "no progress dialog"
  e2e_wait_text TfrmProgress "Закрыть" 40 || fail "no error report"
  e2e_shot report-691
  e2e_has_text TfrmProgress "Ошибка при соединении. Код 691" ||
    fail "report text: $(e2e_children TfrmProgress | grep STATIC)"
  e2e_has_text TfrmProgress "Детали >>" || fail "no Детали >> for 691"
  local before after
  before=$(e2e_children TfrmProgress | sed -n 's/^top .* rect=[-0-9]*,\([-0-9]*\),[-0-9]*,\([-0-9]*\) .*/\2 - \1/p')
  e2e_click_child TfrmProgress "Детали >>"
  e2e_wait_text TfrmProgress "<< Детали" 5 || fail "the details button did not turn"
  e2e_shot report-691-details
  local details
  details=$(e2e_children TfrmProgress | grep '^child .* class=Edit visible=1 ' | sed 's/.* text=//')
  [ -n "$details" ] || fail "no description in the details pane"
  e2e_say "details: $details"
  case "$details" in *"Что делать: "*) ;; *) fail "no advice under the system's text" ;; esac
  after=$(e2e_children TfrmProgress | sed -n 's/^top .* rect=[-0-9]*,\([-0-9]*\),[-0-9]*,\([-0-9]*\) .*/\2 - \1/p')
  [ $((after)) -gt $((before)) ] || fail "the dialog did not grow for the details ($((before)) -> $((after)))"
  e2e_click_child TfrmProgress "<< Детали"
  e2e_wait_text TfrmProgress "Детали >>" 5 || fail "the details did not close"
  e2e_click_child TfrmProgress "Закрыть"
  e2e_wait_gone TfrmProgress 5 || fail "the report stayed after Закрыть"
  [ "$(e2e_live_connections)" = 0 ] || fail "a connection is up"
  e2e_log | grep -q 'RAS-Dialing error code' || fail "no RAS error in the log"
  e2e_click_main $E2E_CLOSE_ZONE
  e2e_wait_exit 15 || fail "the close zone did not end the program"
}

e2e_main "$@"
