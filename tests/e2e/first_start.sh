#!/usr/bin/env bash
# The first start on a machine with no stored settings: declining by closing
# stores nothing; the agreement read to its end with the wheel and accepted;
# the installation look with its three options ticked; "Далее" copies the
# program to C:\Korvana, writes the desktop and Startup shortcuts (all users'
# folders on the NT family, the user's own on 9x; the Startup one with
# "/auto") and shows the main panel; a connect by the button reaches the
# connected look and asks the local update server once; after a disconnect and close the settings are stored,
# encrypted, with the installed stage and the chosen modem.
. "$(dirname "$0")/lib.sh"

# Values under the settings key (none when the key is absent).
stored_values() {
  { e2e_wine reg query "$E2E_SETTINGS_KEY" || true; } | grep -c ' REG_' || true
}

# The installation's shortcut files, each once by its real path, named by
# the folder Wine shows it in (its user folders may all link to one Unix
# folder, so a desktop file is also found under Documents and the like).
shortcuts() {
  find -L "$WINEPREFIX/drive_c" -name 'Korvana Dialwave.lnk' 2>/dev/null |
    while read -r found; do printf '%s\t%s\n' "$(readlink -f "$found")" "$found"; done |
    awk -F '\t' '{ if (!($1 in seen) || $2 ~ /\/([Dd]esktop|[Ss]tart[Uu]p)\//) seen[$1] = $2 }
      END { for (real in seen) print seen[real] }' | sort
}

# lnkinfo's value of a field ("Description", "Command line arguments", ...).
lnk_field() { sed -n "s/^[[:space:]]*$2[[:space:]]*:[[:space:]]*//p" "$1" | head -n 1; }

check_shortcuts() {
  local links link info arguments target startups=0 desktops=0
  mapfile -t links < <(shortcuts)
  [ "${#links[@]}" -eq 2 ] || fail "expected two shortcuts, found: ${links[*]:-none}"
  for link in "${links[@]}"; do
    case $E2E_GEN:$link in
      win98:*[Pp]ublic* | win98:*ProgramData* | win98:*[Aa]ll\ [Uu]sers*)
        fail "a 9x shortcut in the all-users folders: $link" ;;
      win2k:*[Pp]ublic* | winxp:*[Pp]ublic* | win7:*[Pp]ublic* | win10:*[Pp]ublic*) ;;
      win2k:*ProgramData* | winxp:*ProgramData* | win7:*ProgramData* | win10:*ProgramData*) ;;
      win2k:*[Aa]ll\ [Uu]sers* | winxp:*[Aa]ll\ [Uu]sers*) ;;
      win2k:* | winxp:* | win7:* | win10:*) fail "an NT shortcut outside the all-users folders: $link" ;;
    esac
    if command -v lnkinfo >/dev/null; then
      info=$E2E_WORK/lnkinfo.txt
      lnkinfo "$link" >"$info" 2>&1 || fail "lnkinfo cannot read $link"
      arguments=$(lnk_field "$info" 'Command line arguments')
      target=$(lnk_field "$info" 'Local path')
      case $target in
        'C:\Korvana\dialwave.exe' | 'C:\KORVANA\DIALWAVE.EXE') ;;
        *) fail "$link points at '$target'" ;;
      esac
    else
      # Without lnkinfo: the target and the argument as the file holds them.
      arguments=$(grep -aoc '/auto' "$link" || true)
      [ "$arguments" = 0 ] && arguments= || arguments=/auto
      grep -aqi 'korvana' "$link" || fail "$link does not name the install folder"
    fi
    case $link in
      *[Ss]tart[Uu]p/*)
        startups=$((startups + 1))
        [ "$arguments" = /auto ] || fail "the Startup shortcut passes '$arguments'" ;;
      *[Dd]esktop/*)
        desktops=$((desktops + 1))
        [ -z "$arguments" ] || fail "the desktop shortcut passes '$arguments'" ;;
      *) fail "a shortcut neither on the desktop nor in Startup: $link" ;;
    esac
    e2e_say "shortcut $link ${arguments:-(no arguments)}"
  done
  [ "$startups" = 1 ] && [ "$desktops" = 1 ] || fail "$desktops desktop and $startups Startup shortcuts"
}

journey() {
  e2e_clean_install
  e2e_update_server 1.0.0
  [ "$(stored_values)" = 0 ] || fail "settings stored before the first start"

  # Declined by closing: nothing stored, the agreement again next time.
  e2e_start /l /n
  e2e_shot agreement-declined
  e2e_has_text TfrmGprsMain 'Согласен' || fail "the first start did not show the agreement"
  e2e_click_main $E2E_CLOSE_ZONE
  e2e_wait_exit 15 || fail "the close zone did not end the program at the agreement"
  [ "$(stored_values)" = 0 ] || fail "closing at the agreement stored settings"

  e2e_start /l /n
  e2e_shot agreement
  local all agree
  all=$(e2e_children TfrmGprsMain)
  agree=$(grep '^child .* class=DialwaveControl visible=1 .* text=Согласен$' <<<"$all" | head -n 1)
  [ -n "$agree" ] || fail "no \"Согласен\" on the agreement panel: $all"
  [[ $agree == *' enabled=0 '* ]] || fail "\"Согласен\" enabled before reading: $agree"
  grep -q '^child .* visible=1 .* text=Не согласен$' <<<"$all" || fail "no \"Не согласен\""
  if grep -q '^child .* visible=1 .* text=Подключиться$' <<<"$all"; then
    fail "the connect button shows at the agreement"
  fi

  e2e_read_agreement
  e2e_shot agreement-end
  [ "$(stored_values)" = 0 ] || fail "settings stored before the agreement was accepted"

  e2e_click_child TfrmGprsMain 'Согласен'
  e2e_wait_text TfrmGprsMain 'Далее' 10 || fail "no installation look after \"Согласен\""
  e2e_pointer_away
  e2e_shot installation
  all=$(e2e_children TfrmGprsMain)
  local boxes option
  boxes=$(grep '^child .* class=Button visible=1 ' <<<"$all" || true)
  [ "$(grep -c . <<<"$boxes")" = 3 ] || fail "not three option boxes: $boxes"
  [ "$(grep -c ' checked=1 ' <<<"$boxes")" = 3 ] || fail "not all three options ticked: $boxes"
  for option in 'Создать ярлык на Рабочем столе' 'Добавить программу в меню Автозапуск' \
    'Скопировать программу в папку C:\Korvana'; do
    grep -qF -- " visible=1 enabled=1 rect=" <<<"$(grep -F "text=$option" <<<"$all")" ||
      fail "option \"$option\" not shown"
  done
  grep -q "^child .* class=ListBox visible=1 .* selected=0 text=" <<<"$all" ||
    fail "the modem list has no modem chosen: $(grep ListBox <<<"$all")"
  grep -q "^item .* text=$E2E_MODEM\$" <<<"$all" || fail "the simulator's modem is not listed"

  e2e_click_child TfrmGprsMain 'Далее'
  e2e_wait_button "Подключиться" 15 ||
    fail "no main panel after \"Далее\": $(e2e_main_panel | tr '\n' ' ')"
  e2e_shot main
  [ "$(e2e_panel_value status)" = "Соединение с GPRS не установлено" ] ||
    fail "status after installing: $(e2e_panel_value status)"
  # Carried out: the copy and the two shortcuts.
  [ -f "$WINEPREFIX/drive_c/Korvana/dialwave.exe" ] || fail "no copy in C:\\Korvana"
  cmp -s "$WINEPREFIX/drive_c/Korvana/dialwave.exe" "$E2E_WORK/dialwave.exe" ||
    fail "the copy in C:\\Korvana differs from the program"
  check_shortcuts

  # Connect with the default simulated network, its dial slowed so that the
  # progress dialog stays long enough to be seen on a busy machine.
  e2e_scenario "device modem $E2E_MODEM
device isdn Korvana ISDN Adapter
apn internet.kvr connect
apn * error 734
number *99***1# connect
number *99# connect
notify-delay-ms 400"
  e2e_click_connect
  e2e_wait_window TfrmProgress 10 || fail "no progress dialog after the connect button"
  e2e_shot progress
  e2e_wait_gone TfrmProgress 30 || fail "the progress dialog stayed"
  e2e_wait_button "Отключиться" 10 || fail "no connected look: $(e2e_main_panel | tr '\n' ' ')"
  [ "$(e2e_panel_value status)" = "Соединение c GPRS установлено" ] ||
    fail "connected status: $(e2e_panel_value status)"
  [ "$(e2e_live_connections)" = 1 ] || fail "the simulator has no live connection"
  [ "$(e2e_state connection.1.device)" = "$E2E_MODEM" ] ||
    fail "dialled through $(e2e_state connection.1.device)"
  e2e_shot connected
  [ "$(e2e_server_requests /apn/)" = 1 ] || fail "update server asked $(e2e_server_requests /apn/) times"

  e2e_click_connect
  e2e_wait_button "Подключиться" 10 || fail "no disconnected look after Disconnect"
  e2e_click_main $E2E_CLOSE_ZONE
  e2e_wait_exit 15 || fail "the close zone did not end the program"

  # Stored at the close, encrypted (no "/r"): whole blocks of upper-case hex.
  [ "$(stored_values)" -ge 5 ] || fail "only $(stored_values) settings stored"
  local name stored settings
  for name in StartStage Modem APNs; do
    stored=$(e2e_reg_value 'HKLM\Software\Korvana\Dialwave' "$name")
    [[ $stored =~ ^([0-9A-F]{16})+$ ]] || fail "$name not stored encrypted: $stored"
  done
  settings=$(e2e_settings)
  grep -qx 'StartStage=2' <<<"$settings" || fail "not stored as installed: $settings"
  grep -qx "Modem=$E2E_MODEM" <<<"$settings" || fail "the chosen modem not stored: $settings"
  e2e_clean_install
}

e2e_main "$@"
