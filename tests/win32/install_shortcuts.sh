#!/usr/bin/env bash
# The installation's shortcut files as another tool reads them: the Windows
# test writes them with the shell's own link object under Wine, in an NT and
# a 9x generation, and lnkinfo reads every "Korvana Dialwave.lnk" it finds.
set -euo pipefail
. "$DW_SOURCE_DIR/scripts/lib/wine.sh"

fail() { echo "FAIL: $*" >&2; exit 1; }
command -v lnkinfo >/dev/null || fail "lnkinfo (package liblnk-utils) is missing"
exe=$DW_BIN_DIR/dialwave_win_tests.exe
arch=$(dw_pe_arch "$exe")
cleanup() { [ -n "${WINEPREFIX:-}" ] && timeout 20 "$WINESERVER" -k >/dev/null 2>&1 || true; }
trap cleanup EXIT

# lnkinfo's value of a field ("Description", "Command line arguments", ...).
field() { sed -n "s/^[[:space:]]*$2[[:space:]]*:[[:space:]]*//p" "$1" | head -n1; }

for gen in winxp win98; do
  dw_wine_prefix "$arch" "$gen" install
  roots=("$WINEPREFIX/drive_c" "$HOME")
  find -L "${roots[@]}" -name 'Korvana Dialwave.lnk' -delete 2>/dev/null || true
  DW_KEEP_INSTALL=1 DW_WINE_GEN=$gen timeout 300 "$DW_WINE" "$exe" \
    --gtest_filter='InstallOnWine.WithoutTheCopyTheShortcutsPointAtTheRunningFile' </dev/null \
    >"$TMPDIR/install-$gen.log" 2>&1 || fail "$gen: the Windows test failed: $(cat "$TMPDIR/install-$gen.log")"
  timeout 60 "$WINESERVER" -w || true

  # Wine links the user's Desktop, Documents, ... to one Unix folder: count
  # each file once, by its real path.
  mapfile -t links < <(find -L "${roots[@]}" -name 'Korvana Dialwave.lnk' -exec readlink -f {} \; 2>/dev/null | sort -u)
  [ "${#links[@]}" -eq 2 ] || fail "$gen: expected two shortcuts, found: ${links[*]:-none}"
  startups=0
  for link in "${links[@]}"; do
    info=$TMPDIR/lnkinfo-$gen.txt
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
  cleanup
done
echo "ok"
