#!/usr/bin/env bash
# The real dialwave.exe meeting faults at start, watched from outside:
#  - a rasapi32.dll planted beside it is never loaded;
#  - settings values of the wrong type or garbage: it starts, shows its
#    window and closes, and the settings are readable afterwards;
#  - a log file that cannot be opened: it starts and closes;
#  - RAS hung at start: without "/auto" it tells the user of the
#    configuration error and its window lives on; with "/auto" it waits for a
#    service that comes up late and goes on without a word.
# One winxp prefix of its own, with the simulator installed into it.
. "$DW_SOURCE_DIR/tests/e2e/lib.sh"

bin=$E2E_BIN
e2e_begin
e2e_prefix winxp faults
work=$E2E_WORK
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d;rasapi32=n"
unset RASSIM_DIR
key='HKLM\Software\Korvana\Dialwave'
# has_window CLASS: a top-level window of that class exists (shown or not).
has_window() { e2e_exists "$1"; }
wait_window() { e2e_until "$2" has_window "$1"; }
# start DIR ARGS...: dialwave.exe from DIR, in the background.
start() {
  local dir=$1
  shift
  "$DW_WINE" "$dir/dialwave.exe" "$@" >/dev/null 2>&1 &
  E2E_PID=$!
}
# finish: closes the main window as Windows would and waits for the end.
finish() { e2e_close_program 15 || fail "dialwave.exe did not close"; }
# The program waits on, its main window beside whatever it said.
alive() { e2e_running && has_window TfrmGprsMain; }
reset_settings() { "$DW_WINE" reg delete "$key" /f >/dev/null 2>&1 || true; }
settings_text() {
  "$DW_WINE" reg export "$key" "$("$DW_WINE" winepath -w "$work/settings.reg")" /y >/dev/null 2>&1 || true
  iconv -f utf-16 -t utf-8 "$work/settings.reg" 2>/dev/null | tr -d '\r'
}

# A run that failed half-way may have left its fault in the scenario.
e2e_rassim reset >/dev/null
out=$(e2e_rassim install)
grep -q '^modems=1' <<<"$out" || fail "rassim install: $out"

# 1. A planted rasapi32.dll beside the program: it would leave its mark when
#    loaded. The program starts through the system's one.
mkdir -p "$work/planted"
cp "$bin/dialwave.exe" "$bin/planted/rasapi32.dll" "$work/planted/"
reset_settings
start "$work/planted"
wait_window TfrmGprsMain 30 || fail "planted: no main window"
finish
[ -e "$work/planted/planted-loaded.txt" ] && fail "planted: the rasapi32.dll beside the program was loaded"
echo "planted rasapi32.dll: not loaded"

# 2. Settings of the wrong type and garbage, past the agreement.
mkdir -p "$work/program"
cp "$bin/dialwave.exe" "$work/program/"
reset_settings
"$DW_WINE" reg add "$key" /v StartStage /d 2 /f >/dev/null
"$DW_WINE" reg add "$key" /v Modem /t REG_DWORD /d 7 /f >/dev/null
"$DW_WINE" reg add "$key" /v APNs /t REG_BINARY /d 00FF22225C3B /f >/dev/null
"$DW_WINE" reg add "$key" /v APNVersion /t REG_MULTI_SZ /d 'a\0b' /f >/dev/null
"$DW_WINE" reg add "$key" /v Connection /d 0123456789ABCDEF /f >/dev/null
start "$work/program" /auto /r
wait_window TfrmGprsMain 30 || fail "garbage settings: no main window"
finish
text=$(settings_text)
grep -q '^"StartStage"="2"$' <<<"$text" || fail "garbage settings: StartStage lost: $text"
grep -q '^"APNs"="internet.kvr' <<<"$text" || fail "garbage settings: APNs not back to text: $text"
grep -q '^"APNVersion"="0"$' <<<"$text" || fail "garbage settings: APNVersion: $text"
echo "garbage settings: started, closed, stored readable values"

# 3. A log that cannot be opened (a folder in its place: unwritable even for
#    root, who writes read-only files): the program runs and closes.
reset_settings
mkdir "$work/program/GPRSlog.log"
start "$work/program" /l /n
wait_window TfrmGprsMain 30 || fail "unwritable log: no main window"
finish
[ -d "$work/program/GPRSlog.log" ] || fail "unwritable log: the folder in its place went"
rmdir "$work/program/GPRSlog.log"
echo "unwritable log: program ran"

# 4. RAS hung at start, past the agreement (the modem list and the look for
#    an open connection both need RAS).
reset_settings
"$DW_WINE" reg add "$key" /v StartStage /d 2 /f >/dev/null
printf 'fault hung\n' >"$work/hung.txt"
e2e_rassim scenario "$("$DW_WINE" winepath -w "$work/hung.txt")" >/dev/null || fail "rassim scenario"
# Without "/auto": 21 passes of 500 ms, then the configuration error.
start "$work/program"
began=$SECONDS
wait_window TfrmMsg 60 || fail "hung RAS: no message for the user"
echo "hung RAS: the message came after $((SECONDS - began)) s"
has_window TfrmGprsMain || fail "hung RAS: no main window beside the message"
e2e_rassim reset >/dev/null
e2e_probe close TfrmMsg >/dev/null
e2e_until 10 e2e_not has_window TfrmMsg || fail "hung RAS: the message stayed"
e2e_stays 1 alive || fail "hung RAS: the program or its main window went with the message"
finish
echo "hung RAS without /auto: told, window alive"

# With "/auto": the service comes up 14 s late, past the normal wait of
# 10.5 s (which would have ended in the configuration error) and inside the
# long first one of 60.5 s.
e2e_rassim scenario "$("$DW_WINE" winepath -w "$work/hung.txt")" >/dev/null
start "$work/program" /auto
e2e_stays 14 e2e_not has_window TfrmMsg || fail "hung RAS /auto: the configuration error while still waiting"
e2e_rassim reset >/dev/null
wait_window TfrmGprsMain 30 || fail "hung RAS /auto: no main window"
# The late check the program makes once RAS answers must pass without a word.
e2e_stays 3 e2e_not has_window TfrmMsg || fail "hung RAS /auto: a configuration error although RAS came up"
e2e_running || fail "hung RAS /auto: the program ended"
finish
echo "hung RAS with /auto: waited, went on"
echo ok
