#!/usr/bin/env bash
# The real dialwave.exe /report FILE on every generation (98 and ME with
# their ANSI code page 1251), against the simulator's modem and a phone-book
# entry with a saved login:
#  - a complete report, code page 1251 with CRLF lines, that names the
#    generation, the modem with its UserInit and the entry, and holds no
#    secret (the entry's login, the operator's, a typed password in the log);
#  - dialwave-support report reads it back as complete;
#  - the log and the settings are left as they were, and a copy that runs
#    meanwhile is neither woken (its hidden window stays hidden) nor robbed of
#    its single instance (a later start still wakes it);
#  - no FILE: exit 2; a folder that does not exist: exit 1 and nothing
#    written; a file already there: replaced by a whole report, no temporary
#    file left.
. "$DW_SOURCE_DIR/tests/e2e/lib.sh"

bin=$E2E_BIN
e2e_begin
user=subscriber.user
password=Pa55-word
support_key='HKEY_CURRENT_USER\Software\Korvana\Dialwave\Support'

# report_text FILE: the report as UTF-8 lines without their CR.
report_text() { iconv -f cp1251 -t utf-8 "$1" | tr -d '\r'; }
has_line() { grep -qxF -- "$2" <<<"$1"; }
# run_report WINDOWS-PATH: dialwave.exe /report, its exit status printed.
run_report() {
  local rc=0
  timeout -k 5 120 "$DW_WINE" "$E2E_WORK/dialwave.exe" /report "$@" \
    >/dev/null 2>>"$E2E_WINE_ERR" </dev/null || rc=$?
  echo "$rc"
}
settings_export() {
  e2e_wine reg export 'HKLM\Software\Korvana\Dialwave' "$(e2e_winpath "$E2E_WORK/settings.reg")" /y >/dev/null
  md5sum <"$E2E_WORK/settings.reg"
}

for gen in ${DW_REPORT_GENS:-win98 winme win2k winxp}; do
  e2e_prefix "$gen" report
  work=$E2E_WORK
  e2e_regedit "[-$E2E_SETTINGS_KEY]" "[-$support_key]"
  e2e_rassim reset >/dev/null || fail "rassim reset"
  e2e_rassim install >/dev/null || fail "rassim install"
  e2e_scenario "device modem $E2E_MODEM
device isdn Korvana ISDN Adapter
entry name=Korvana;device=$E2E_MODEM;device-type=modem;phone=*99***1#;user=$user;password=$password"
  e2e_store_settings StartStage=2 "Modem=$E2E_MODEM" Connection=Korvana
  # An earlier run's log: the dial parameters plain, a typed password encrypted.
  typed=$(e2e_wine "$bin/dialwave-support.exe" encrypt "9:00:01 : src: X      code: 0         msg: typed $password")
  printf '%s\r\n' "9:00:00 : src: DIAL-params      code: 0         msg: Entry: Korvana ; Phone: *99***1#  ; APN: internet.kvr  User: pvlok  ; Pswd: pvlok  " \
    "$typed" >"$work/GPRSlog.log"
  log_sum=$(md5sum <"$work/GPRSlog.log")
  settings_sum=$(settings_export)

  # (No Cyrillic folder: without a Russian glibc locale Wine cannot turn a
  # Cyrillic argument of the Linux command line into the 1251 one a real
  # 98 would hand over.)
  folder=$work/reports
  mkdir -p "$folder"
  file=$folder/report.txt
  rc=$(run_report "$(e2e_winpath "$file")")
  [ "$rc" = 0 ] || fail "/report ended with $rc"
  [ -s "$file" ] || fail "no report at $file"
  text=$(report_text "$file")
  e2e_say "report: $(wc -c <"$file") bytes"

  # Notepad's form: every line ends in CR LF; no UTF-8 (a 1251 file is not).
  lines=$(tr -cd '\n' <"$file" | wc -c)
  crlf=$(grep -c $'\r$' "$file" || true)
  [ "$lines" = "$crlf" ] || fail "$((lines - crlf)) of $lines lines do not end in CR LF"
  iconv -f utf-8 -t utf-8 "$file" >/dev/null 2>&1 && fail "the report is UTF-8, not code page 1251"

  [ "$(head -n 1 <<<"$text")" = "Dialwave: отчёт для службы поддержки" ] || fail "first line: $(head -n 1 <<<"$text")"
  [ "$(grep -c '^== .* ==$' <<<"$text")" = 11 ] || fail "sections: $(grep '^== ' <<<"$text" | tr '\n' '|')"
  [ "$(tail -n 1 <<<"$text")" = "== Конец отчёта ==" ] || fail "the report does not end with its end"
  case $gen in
    win98) generation="Windows 98 (WinVer 410)" platform="1 (Windows 9x)" ;;
    winme) generation="Windows ME (WinVer 490)" platform="1 (Windows 9x)" ;;
    win2k) generation="Windows 2000 (WinVer 500)" platform="2 (Windows NT)" ;;
    winxp) generation="Windows XP (WinVer 501)" platform="2 (Windows NT)" ;;
  esac
  has_line "$text" "Поколение: $generation" || fail "no generation line: $(grep '^Поколение' <<<"$text")"
  has_line "$text" "Платформа: $platform" || fail "no platform line"
  has_line "$text" "Библиотека RAS (rasapi32.dll): загружена из системной папки" || fail "RAS library line"
  case $gen in
    win98 | winme) has_line "$text" "Windows 9x: у каждого пользователя полные права" || fail "rights on 9x" ;;
    *) has_line "$text" "Член группы «Администраторы»: да" || fail "rights: $(grep -A2 '^== Права' <<<"$text")" ;;
  esac
  grep -q "^  modem: $E2E_MODEM; UserInit: " <<<"$text" || fail "modem line: $(grep -A4 '^== Модемы' <<<"$text")"
  has_line "$text" "  isdn: Korvana ISDN Adapter" || fail "the ISDN device is not listed"
  has_line "$text" "Выбранный модем: $E2E_MODEM — есть среди устройств RAS" || fail "selected modem"
  has_line "$text" "Устройство: modem / $E2E_MODEM" || fail "entry: $(grep -A12 '^== Соединение' <<<"$text")"
  grep -q '^Номер: \*99\*\*\*1# ' <<<"$text" || fail "entry number"
  has_line "$text" "Имя пользователя: ***" || fail "user name not masked"
  has_line "$text" "Пароль: *** (сохранён)" || fail "password line"
  for secret in "$user" "$password" pvlok; do
    grep -qF -- "$secret" <<<"$text" && fail "the report holds $secret: $(grep -F -- "$secret" <<<"$text")"
  done
  grep -qF 'User: ***  ; Pswd: ***' <<<"$text" || fail "the log's dial parameters: $(grep -A4 '^== Протокол' <<<"$text")"
  grep -qF 'msg: typed ***' <<<"$text" || fail "the log's encrypted line"
  has_line "$text" "Попыток соединения не было." || fail "attempts"
  has_line "$text" "Журнала трафика нет." || fail "usage"

  # Read back as support reads it.
  summary=$(e2e_wine "$bin/dialwave-support.exe" report "$(e2e_winpath "$file")") || fail "dialwave-support report: $summary"
  grep -qx 'Report: complete' <<<"$summary" || fail "dialwave-support report: $summary"

  # Only read: the log and the settings are as they were.
  [ "$(md5sum <"$work/GPRSlog.log")" = "$log_sum" ] || fail "the log changed"
  [ "$(settings_export)" = "$settings_sum" ] || fail "the settings changed"

  # A copy that runs (hidden, from the start-up entry) is not disturbed.
  "$DW_WINE" "$work/dialwave.exe" /auto >/dev/null 2>>"$E2E_WINE_ERR" </dev/null &
  E2E_PID=$!
  e2e_until 30 e2e_exists TfrmGprsMain || fail "the first copy made no main window"
  rc=$(run_report "$(e2e_winpath "$work/second.txt")")
  [ "$rc" = 0 ] || fail "/report beside a running copy ended with $rc"
  [ -s "$work/second.txt" ] || fail "no report beside a running copy"
  e2e_running || fail "the running copy ended"
  e2e_stays 1 e2e_not e2e_shown TfrmGprsMain || fail "the running copy was woken"
  # It still holds the single instance: a plain start wakes it and ends.
  e2e_wine "$work/dialwave.exe" >/dev/null || fail "a second start failed"
  e2e_until 10 e2e_shown TfrmGprsMain || fail "a later start did not wake the running copy"
  e2e_close_program 15 || fail "the first copy did not close"

  # Failures leave nothing behind; a file already there is replaced whole.
  rc=$(run_report)
  [ "$rc" = 2 ] || fail "/report without FILE ended with $rc"
  rc=$(run_report "$(e2e_winpath "$work/no/such/folder/report.txt")")
  [ "$rc" = 1 ] || fail "/report into a missing folder ended with $rc"
  [ -e "$work/no" ] && fail "a missing folder was created"
  printf 'old junk' >"$file"
  rc=$(run_report "$(e2e_winpath "$file")")
  [ "$rc" = 0 ] || fail "/report over a file ended with $rc"
  [ "$(report_text "$file" | tail -n 1)" = "== Конец отчёта ==" ] || fail "the old file was not replaced by a whole report"
  [ "$(ls -A "$folder")" = report.txt ] || fail "left in the folder: $(ls -A "$folder")"

  case $gen in
    win98 | winme)
      missing=$(e2e_state missing-calls)
      [ "${missing:-0}" = 0 ] || fail "the report called RAS entry points $gen lacks ($missing calls)"
      ;;
  esac
  e2e_stop_all
  e2e_say "ok"
done
echo ok
