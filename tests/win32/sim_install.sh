#!/usr/bin/env bash
# rassim in a Wine prefix of its own ("sim" kind, so the shared prefixes keep
# Wine's stub): install puts the simulator in the system folder and the
# modem in the registry layout of the generation; a test program then dials
# through the system's rasapi32.dll; its connection outlives it, rassim state
# shows it with the APN the modem's UserInit selected, and drop ends it.
. "$DW_SOURCE_DIR/tests/e2e/lib.sh"

rassim=$E2E_BIN/rassim.exe
tests=$E2E_BIN/dialwave_win_tests.exe
run() { timeout -k 5 120 "$DW_WINE" "$@" 2>>"$E2E_WINE_ERR" | tr -d '\r'; }
value() { sed -n "s/^$1=//p" <<<"$2"; }

e2e_begin
for gen in win98 winme win2k winxp win7 win10; do
  e2e_prefix "$gen" sim
  # Only the override that the program's environment gets: rasapi32=n.
  export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d;rasapi32=n"
  unset RASSIM_DIR

  out=$(run "$rassim" reset)
  [ "$(value reset "$out")" = ok ] || fail "$gen: reset: $out"
  out=$(run "$rassim" install)
  dll=$(value dll "$out")
  case $dll in *\\rasapi32.dll) ;; *) fail "$gen: install named no DLL: $out" ;; esac
  [ "$(value override "$out")" = rasapi32=n ] || fail "$gen: install did not name the override"
  [ "$(value modem.1.name "$out")" = "Korvana GPRS Modem" ] || fail "$gen: no modem: $out"
  if [ "$gen" = win98 ] || [ "$gen" = winme ]; then
    want='HKLM\System\CurrentControlSet\Services\Class\Modem\0000'
    run reg query 'HKLM\Enum\Root\Modem\0000' | grep -q 'Modem\\0000' ||
      fail "$gen: no 9x enumeration key with its driver"
  else
    want='HKLM\SYSTEM\CurrentControlSet\Control\Class\{4D36E96D-E325-11CE-BFC1-08002BE10318}\0000'
  fi
  [ "$(value modem.1.key "$out")" = "$want" ] || fail "$gen: modem key $(value modem.1.key "$out")"
  # Installing again changes nothing.
  again=$(run "$rassim" install)
  [ "$(value modem.1.key "$again")" = "$want" ] || fail "$gen: second install moved the modem"

  client=$(run "$tests" --gtest_also_run_disabled_tests \
    --gtest_filter='SimInstalled.*') || fail "$gen: the test program failed: $client"
  grep -q '\[  PASSED  \] 1 test' <<<"$client" || fail "$gen: $client"
  handle=$(value handle "$client")
  [ -n "$handle" ] || fail "$gen: the test program reported no handle"

  state=$(run "$rassim" state)
  # Vista and every later NT are one generation to RAS.
  case $gen in win7 | win10) want=vista ;; *) want=$gen ;; esac
  [ "$(value generation "$state")" = "$want" ] || fail "$gen: generation $(value generation "$state")"
  [ "$(value connections "$state")" = 1 ] || fail "$gen: the connection did not outlive its process: $state"
  [ "$(value connection.1.handle "$state")" = "$handle" ] || fail "$gen: another handle: $state"
  [ "$(value connection.1.apn "$state")" = internet.kvr ] || fail "$gen: APN: $state"
  [ "$(value connection.1.state "$state")" = 8192 ] || fail "$gen: state: $state"
  [ "$(value entry.1.name "$state")" = Korvana ] || fail "$gen: entry: $state"
  [ "$(value modem.1.userinit "$state")" = 'AT+CGDCONT=1,"IP","internet.kvr"' ] ||
    fail "$gen: userinit: $state"

  out=$(run "$rassim" drop all)
  [ "$(value dropped "$out")" = 1 ] || fail "$gen: drop: $out"
  state=$(run "$rassim" state)
  [ "$(value connections "$state")" = 0 ] || fail "$gen: still connected after drop: $state"
  timeout 20 "$WINESERVER" -k >/dev/null 2>&1 || true
  # The prefix shares the base's program files by hard links: installing
  # must have replaced its own rasapi32.dll only, and the registry it wrote
  # is its own.
  base=$DW_WINE_ROOT/$(dw_pe_arch "$rassim")-base
  for f in "$base"/drive_c/windows/*/rasapi32.dll; do
    head -c 200 "$f" | grep -qa 'Wine builtin DLL' || fail "$gen: the simulator reached the base's $f"
  done
  for f in "$WINEPREFIX"/*.reg "$WINEPREFIX"/drive_c/windows/*/rasapi32.dll; do
    [ "$(stat -c %h "$f")" = 1 ] || fail "$gen: $f is shared with another prefix"
  done
  echo "$gen: ok"
done
