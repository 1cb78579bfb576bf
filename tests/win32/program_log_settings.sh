#!/usr/bin/env bash
# The real dialwave.exe writes its log and keeps its settings as support
# finds them: "/l /n" plain lines, "/l" encrypted lines that dialwave-support
# decrypts to the same format, an existing log appended to, settings saved
# plain with "/r" once the agreement is behind, and read back by the tool.
. "$DW_SOURCE_DIR/tests/e2e/lib.sh"

bin=$E2E_BIN
# The program runs from a folder of its own (E2E_WORK), as after installation.
e2e_begin
e2e_prefix winxp program
work=$E2E_WORK
key='HKLM\Software\Korvana\Dialwave'
"$DW_WINE" reg delete "$key" /f >/dev/null 2>&1 || true

# run ARGS...: starts dialwave.exe, waits for its main window and, with "/l",
# for its new log record, then closes it as Windows would and waits.
log_grew() { [ -f "$work/GPRSlog.log" ] && [ "$(wc -l <"$work/GPRSlog.log")" -gt "$1" ]; }
run() {
  local before=0
  [ -f "$work/GPRSlog.log" ] && before=$(wc -l <"$work/GPRSlog.log")
  "$DW_WINE" "$work/dialwave.exe" "$@" >/dev/null 2>&1 &
  E2E_PID=$!
  e2e_until 30 e2e_exists TfrmGprsMain || fail "dialwave.exe $* made no main window"
  if [ "${1:-}" = /l ]; then
    e2e_until 20 log_grew "$before" || fail "dialwave.exe $* wrote no log record"
  fi
  e2e_close_program 15 || fail "dialwave.exe $* did not close"
}

# No "/l": no file, whatever happens.
run /auto
[ -e "$work/GPRSlog.log" ] && fail "a log was written without /l"

# "/l /n": plain records in the exact format.
run /l /n
[ -f "$work/GPRSlog.log" ] || fail "no GPRSlog.log beside the program with /l /n"
line=$(head -n 1 "$work/GPRSlog.log")
pattern='^[0-9]{1,2}:[0-9]{2}:[0-9]{2}( [AP]M)? : src: WINVER      code: 501         msg: version of Windows'$'\r''$'
[[ $line =~ $pattern ]] || fail "unexpected first record: $(printf '%q' "$line")"

# "/l": an encrypted record appended; the support tool gives the same format.
run /l
[ "$(wc -l <"$work/GPRSlog.log")" = 2 ] || fail "the log was not appended to"
hex=$(sed -n 2p "$work/GPRSlog.log" | tr -d '\r')
[[ $hex =~ ^[0-9A-F]+$ ]] && [ $((${#hex} % 16)) = 0 ] || fail "second record is not encrypted: $hex"
decrypted=$("$DW_WINE" "$bin/dialwave-support.exe" decrypt-log "$("$DW_WINE" winepath -w "$work/GPRSlog.log" 2>/dev/null)" | tr -d '\r' | sed -n 2p)
[[ $decrypted$'\r' =~ $pattern ]] || fail "decrypt-log gave: $decrypted"

# Settings: nothing is stored before the agreement...
"$DW_WINE" reg query "$key" >/dev/null 2>&1 && fail "settings were stored before the agreement"
# ...once it is behind (StartStage 2, stored plain), "/r" saves every value plain.
"$DW_WINE" reg add "$key" /v StartStage /d 2 /f >/dev/null
run /auto /r
"$DW_WINE" reg export "$key" "$("$DW_WINE" winepath -w "$work/settings.reg")" /y >/dev/null 2>&1
iconv -f utf-16 -t utf-8 "$work/settings.reg" | tr -d '\r' >"$work/settings.txt"
grep -q '^"StartStage"="2"$' "$work/settings.txt" || fail "StartStage not saved plain: $(cat "$work/settings.txt")"
grep -q '^"APNVersion"="0"$' "$work/settings.txt" || fail "APNVersion not saved plain"
grep -q '^"APNs"="internet.kvr' "$work/settings.txt" || fail "APNs not saved plain"
out=$("$DW_WINE" "$bin/dialwave-support.exe" settings | tr -d '\r')
grep -q '^StartStage=2$' <<<"$out" || fail "dialwave-support settings: $out"
grep -q 'plain text' <<<"$out" || fail "dialwave-support did not notice the plain values: $out"
echo ok
