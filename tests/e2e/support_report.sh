#!/usr/bin/env bash
# The support report from the about panel after a refused dial: the simulator
# refuses with 691; the about panel's link "Отчёт для службы поддержки",
# clicked with the mouse, writes a report to the desktop that names 691 and
# its advice and opens it with the system's text viewer, while the window
# keeps answering; dialwave-support report reads it back, complete, with 691
# as the likeliest cause.
. "$(dirname "$0")/lib.sh"

# The reports on the desktop, each once by its real path (Wine links the
# user's Desktop to a Unix folder).
reports() {
  find -L "$WINEPREFIX/drive_c" "$HOME" -name 'Dialwave-report-*.txt' -exec readlink -f {} \; 2>/dev/null |
    sort -u
}
report_written() { [ -n "$(reports)" ]; }
viewer_shown() { e2e_windows | grep -i 'class=Notepad ' | grep -q ' visible=1 '; }

journey() {
  local old
  while read -r old; do rm -f "$old"; done < <(reports)
  e2e_installed
  # Every Windows knows .txt as a text file; Wine's prefix has only the
  # txtfile class.
  e2e_regedit '[-HKEY_CURRENT_USER\Software\Korvana\Dialwave\Support]' \
    '[HKEY_CLASSES_ROOT\.txt]' '@="txtfile"'
  e2e_scenario "device modem $E2E_MODEM
apn * error 691"
  e2e_start /l /n
  e2e_click_connect
  e2e_wait_window TfrmProgress 10 || fail "no progress dialog"
  e2e_wait_text TfrmProgress "Ошибка при соединении. Код 691" 40 ||
    fail "no report of 691: $(e2e_children TfrmProgress | grep STATIC)"
  e2e_click_child TfrmProgress "Закрыть"
  e2e_wait_gone TfrmProgress 5 || fail "the error report stayed after Закрыть"

  e2e_click_child TfrmGprsMain 'О программе'
  e2e_wait_text TfrmGprsMain 'Отчёт для службы поддержки' 20 || fail "no report link on the about panel"
  e2e_shot about
  e2e_click_link 'Отчёт для службы поддержки'
  e2e_until 60 report_written || fail "no report on the desktop"
  local file
  file=$(reports | head -n 1)
  e2e_say "report: $file ($(wc -c <"$file") bytes)"
  e2e_until 30 viewer_shown ||
    fail "the report was not opened: $(e2e_windows | grep ' visible=1 ' | tr '\n' '|')"
  e2e_shot viewer
  e2e_exists TfrmMsg && fail "a message box came with the report: $(e2e_children TfrmMsg | grep STATIC)"
  e2e_probe close Notepad >/dev/null || true
  e2e_until 10 e2e_not viewer_shown || fail "the viewer did not close"

  # The window answered all along and still does.
  e2e_click_child TfrmGprsMain '<  Вернуться в программу'
  e2e_wait_button "Подключиться" 20 || fail "not back on the main panel from the about panel"

  local text summary advice
  text=$(iconv -f cp1251 -t utf-8 "$file" | tr -d '\r')
  [ "$(tail -n 1 <<<"$text")" = "== Конец отчёта ==" ] || fail "the report was cut short"
  grep -q '^  \[691\] ' <<<"$text" || fail "no attempt with 691: $(grep -A3 'попытки' <<<"$text")"
  summary=$(e2e_wine "$E2E_BIN/dialwave-support.exe" report "$(e2e_winpath "$file")") ||
    fail "dialwave-support report: $summary"
  e2e_say "$(head -n 2 <<<"$summary")"
  grep -qx 'Report: complete' <<<"$summary" || fail "dialwave-support report: $summary"
  grep -q '^Likeliest cause: RAS error 691, ' <<<"$summary" || fail "not 691 first: $summary"
  advice=$(sed -n 's/^What to do: //p' <<<"$summary" | head -n 1)
  [ -n "$advice" ] || fail "no advice in the summary: $summary"
  grep -qF -- "Что делать: $advice" <<<"$text" || fail "the report lacks 691's advice ($advice)"
  grep -qF 'pvlok' <<<"$text" && fail "the operator's login is in the report"

  e2e_click_main $E2E_CLOSE_ZONE
  e2e_wait_exit 15 || fail "the close zone did not end the program"
}

e2e_main "$@"
