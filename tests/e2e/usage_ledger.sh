#!/usr/bin/env bash
# Usage that survives the program: with an allowance of 4 MB, a connection
# whose counters move some 5 MB warns once at 80 % and once at 100 % (a box
# on 98, a balloon from the icon elsewhere), is hung up by the user, and the
# program is closed. The ledger file then holds today's bytes (read with
# dialwave-support usage), and the next start's usage panel, opened from the
# main panel's link, shows them as the period's total; no warning comes again.
. "$(dirname "$0")/lib.sh"

# The ledger files of the prefix (the user's application data).
ledger_files() { find "$WINEPREFIX/drive_c" -ipath '*/Korvana/Dialwave/usage.dat*' 2>/dev/null; }
warnings() { e2e_log | grep -cE "src: USAGE +code: $1 " || true; }
# The value beside a label of the usage panel (created right after it).
usage_value() {
  e2e_children TfrmGprsMain | awk -v label="text=$1" '
    found { t = $0; sub(/.* text=/, "", t); print t; exit }
    index($0, label) && $0 ~ / visible=1 / { found = 1 }'
}
# Megabytes ("5,8 Мбайт") in tenths.
tenths() { sed -n 's/^\([0-9]*\),\([0-9]\) .*/\1\2/p' <<<"$1"; }
received_kib() { sed -n 's/^\([0-9]*\) K.*/\1/p' <<<"$(e2e_panel_value received)"; }
# On 98 each warning is a box to dismiss.
dismiss_box() {
  if e2e_shown TfrmMsg; then
    e2e_shot "warning-$1"
    boxes=$((boxes + 1))
    e2e_click_child TfrmMsg "ОК"
    e2e_wait_gone TfrmMsg 5 || fail "the warning box stayed"
  fi
  return 0
}
past() { local kib; kib=$(received_kib); [ -n "$kib" ] && [ "$kib" -ge "$1" ]; }

journey() {
  rm -f $(ledger_files)
  e2e_store_settings StartStage=2 "Modem=$E2E_MODEM" AllowanceMB=4
  # About 0.49 MB a sample (every 2 s): 80 % and 100 % come at two samples.
  e2e_scenario "device modem $E2E_MODEM
rate-received 204800
rate-sent 51200"
  e2e_start /l /n
  e2e_click_connect
  e2e_wait_button "Отключиться" 30 || fail "no connected look"
  local waited=0 boxes=0
  until past 4400; do
    [ "$waited" -lt 60 ] || fail "the counters did not reach 5 MB: $(e2e_main_panel | tr '\n' ' ')"
    if [ "$E2E_GEN" = win98 ]; then dismiss_box "$waited"; fi
    sleep 1
    waited=$((waited + 1))
  done
  if [ "$E2E_GEN" = win98 ]; then dismiss_box end; fi
  e2e_shot connected
  [ "$(warnings 80)" = 1 ] || fail "80 % warned $(warnings 80) times"
  [ "$(warnings 100)" = 1 ] || fail "100 % warned $(warnings 100) times"
  if [ "$E2E_GEN" = win98 ]; then [ "$boxes" = 2 ] || fail "$boxes warning boxes on 98"; fi
  e2e_click_connect
  e2e_wait_button "Подключиться" 15 || fail "no disconnected look"
  e2e_close_program 15 || fail "the program did not end"

  local files csv today row
  files=$(ledger_files)
  [ "$(wc -w <<<"$files")" = 1 ] || fail "ledger files: $files"
  csv=$(e2e_wine "$E2E_BIN/dialwave-support.exe" usage "$(e2e_winpath "$files")")
  today=$(date +%Y-%m-%d)
  row=$(grep "^$today," <<<"$csv") || fail "no row for $today: $csv"
  e2e_say "ledger: $row"
  local received sent
  IFS=, read -r _ received sent _ <<<"$row"
  [ $((received + sent)) -ge $((5 * 1048576)) ] || fail "the day holds $((received + sent)) bytes"

  e2e_start /l /n
  e2e_click_link "Учёт трафика"
  e2e_wait_text TfrmGprsMain "Сохранить" 10 || fail "no usage panel"
  e2e_pointer_away
  e2e_shot usage-panel
  local total
  total=$(usage_value "Всего:")
  e2e_say "panel total: $total"
  [ "$(tenths "$total")" = "$(( (received + sent) * 10 / 1048576 ))" ] ||
    fail "the panel shows $total for $((received + sent)) bytes"
  [ "$(usage_value "Осталось:")" = "0,0 Мбайт" ] || fail "allowance left: $(usage_value "Осталось:")"
  e2e_click_link "<  Вернуться в программу"
  e2e_wait_button "Подключиться" 10 || fail "not back on the main panel"
  [ "$(warnings 80)$(warnings 100)" = 11 ] || fail "a warning came again after the restart"
  e2e_close_program 15 || fail "the program did not end the second time"
}

e2e_main "$@"
