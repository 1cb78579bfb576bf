#!/usr/bin/env bash
# The installation's shortcut files as another tool reads them: the Windows
# test writes them with the shell's own link object under Wine, in an NT and
# a 9x generation, and lnkinfo reads every "Korvana Dialwave.lnk" it finds.
. "$DW_SOURCE_DIR/tests/e2e/lib.sh"

command -v lnkinfo >/dev/null || fail "lnkinfo (package liblnk-utils) is missing"
exe=$E2E_BIN/dialwave_win_tests.exe
e2e_begin

# lnkinfo's value of a field ("Description", "Command line arguments", ...).
field() { sed -n "s/^[[:space:]]*$2[[:space:]]*:[[:space:]]*//p" "$1" | head -n1; }

for gen in winxp win98; do
  e2e_prefix "$gen" install
  roots=("$WINEPREFIX/drive_c" "$HOME")
  find -L "${roots[@]}" -name 'Korvana Dialwave.lnk' -delete 2>/dev/null || true
  DW_KEEP_INSTALL=1 DW_WINE_GEN=$gen timeout 300 "$DW_WINE" "$exe" \
    --gtest_filter='InstallOnWine.WithoutTheCopyTheShortcutsPointAtTheRunningFile' </dev/null \
    >"$E2E_WORK/install.log" 2>&1 || fail "$gen: the Windows test failed: $(cat "$E2E_WORK/install.log")"

  # Wine links the user's Desktop, Documents, ... to one Unix folder: count
  # each file once, by its real path.
  mapfile -t links < <(find -L "${roots[@]}" -name 'Korvana Dialwave.lnk' -exec readlink -f {} \; 2>/dev/null | sort -u)
  [ "${#links[@]}" -eq 2 ] || fail "$gen: expected two shortcuts, found: ${links[*]:-none}"
  startups=0
  for link in "${links[@]}"; do
    info=$E2E_WORK/lnkinfo.txt
    lnkinfo "$link" >"$info" 2>&1 || fail "$gen: lnkinfo cannot read $link"
    description=$(field "$info" 'Description')
    arguments=$(field "$info" 'Command line arguments')
    workdir=$(field "$info" 'Working directory')
    target=$(field "$info" 'Local path')
    [ "$description" = "Корвана Dialwave" ] || fail "$gen: $link description '$description'"
    [ "$workdir" = 'C:\Korvana\' ] || fail "$gen: $link working directory '$workdir'"
    case $target in
      'C:\Korvana\dialwave.exe' | 'C:\KORVANA\DIALWAVE.EXE') ;;
      *) fail "$gen: $link target '$target'" ;;
    esac
    case $link in
      *[Ss]tart[Uu]p/*)
        startups=$((startups + 1))
        [ "$arguments" = "/auto" ] || fail "$gen: startup shortcut arguments '$arguments'" ;;
      *)
        [ -z "$arguments" ] || fail "$gen: desktop shortcut has arguments '$arguments'" ;;
    esac
    case $gen:$link in
      winxp:*[Pp]ublic* | winxp:*[Aa]ll\ [Uu]sers* | winxp:*ProgramData*) ;;
      win98:*[Pp]ublic* | win98:*ProgramData*) fail "$gen: a 9x shortcut in the all-users folders: $link" ;;
      winxp:*) fail "$gen: an NT shortcut outside the all-users folders: $link" ;;
    esac
    echo "$gen: $link -> $target $arguments ($workdir)"
  done
  [ "$startups" -eq 1 ] || fail "$gen: $startups startup shortcuts"

  # Leave the prefix as it was.
  for link in "${links[@]}"; do rm -f "$link"; done
  rm -rf "$WINEPREFIX/drive_c/Korvana"
  e2e_stop_all
done
echo "ok"
