#!/usr/bin/env bash
# A long session of the real dialwave.exe under Wine, driven by real input on
# a private Xvfb with the simulator, watched from outside: its kernel
# handles, threads and memory from the system's process list
# (dialwave-probe process) after every cycle, into a CSV.
#   drop    the simulator drops each connection a second after it is up; the
#           question "Восстановить?" answered "Да" (CYCLES times)
#   button  connect by the button, the close zone's question "Отменить",
#           disconnect by the button (ROUNDS times)
#   panels  the usage, about and agreement panels opened and left, the usage
#           panel once more through the tray menu, and a refused dial's error
#           report with its details opened and closed (ROUNDS times)
#   settings the settings panel, the agreement from it, "Выбрать" (ROUNDS
#           times)
# tests/soak/judge.sh then judges the CSV phase by phase.
#   bash tests/soak/soak.sh GEN CYCLES ROUNDS CSV [PHASES]
# PHASES: which to run, in this order (default: button panels settings drop).
. "$(dirname "$0")/../e2e/lib.sh"

# A run of some phases only (scripts/soak --phases) has a prefix and folder
# of its own.
E2E_NAME=soak${SOAK_TAG:-}
E2E_KIND=xsoak${SOAK_TAG:-}
SOAK_GEN=${1:-winxp}
SOAK_CYCLES=${2:-1000}
SOAK_ROUNDS=${3:-200}
SOAK_CSV=${4:-$DW_BUILD_ROOT/soak/soak-$SOAK_GEN.csv}
SOAK_PHASES=${5:-button panels settings drop}
SOAK_START=$SECONDS

# One sample of the program: "handles threads private workingset virtual".
soak_figures() {
  e2e_probe process dialwave.exe | awk '/^process / {
    for (i = 2; i <= NF; i++) { split($i, kv, "="); v[kv[1]] = kv[2] }
    print v["handles"], v["threads"], v["private"], v["workingset"], v["virtual"]; exit }'
}
# soak_sample PHASE CYCLE: a CSV line.
soak_sample() {
  local figures
  figures=$(soak_figures)
  [ -n "$figures" ] || fail "no dialwave.exe in the process list"
  echo "$1,$2,$((SECONDS - SOAK_START)),${figures// /,}" >>"$SOAK_CSV"
}

connected_now() { [ "$(e2e_panel_value button)" = "Отключиться" ]; }

# A click where the child reading TEXT was found the first time: the window
# does not move, and a probe less per click makes a cycle shorter. Texts
# that several panels carry (the way back) are told apart by PLACE.
#   soak_click CLASS TEXT [PLACE]
declare -A SOAK_AT
soak_click() {
  local key="$1|$2|${3:-}" line
  if [ -z "${SOAK_AT[$key]:-}" ]; then
    line=$(e2e_children "$1" | grep "^child .* visible=1 .* text=$2\$" | head -n 1 || true)
    [ -n "$line" ] || fail "no \"$2\" in $1"
    SOAK_AT[$key]=$(e2e_centre "$line")
  fi
  e2e_click_at ${SOAK_AT[$key]}
}
# soak_step CLICK TEXT [PLACE]: clicks CLICK in the main window, then waits
# for TEXT there.
soak_step() {
  soak_click TfrmGprsMain "$1" "${3:-}"
  e2e_wait_text TfrmGprsMain "$2" 10 || fail "\"$1\" did not lead to \"$2\""
}

# The notification-area icon's menu, its ITEMth entry (see e2e_tray_menu;
# no picture).
soak_tray_menu() {
  e2e_click_at $(e2e_tray_icon) 3
  e2e_until 5 e2e_menu_open || fail "no menu on a right-click on the icon"
  set -- "$1" $(e2e_menu_rect)
  local height=$((($5 - $3 - 6) / 4))
  e2e_click_at $((($2 + $4) / 2)) $(($3 + 3 + height * ($1 - 1) + height / 2))
  e2e_until 5 e2e_not e2e_menu_open || fail "the menu stayed open"
}

soak_drops() {
  e2e_scenario "device modem $E2E_MODEM
notify-delay-ms 10
hangup-delay-ms 20
drop-after-s 1"
  e2e_click_connect
  local i
  for ((i = 1; i <= SOAK_CYCLES; i++)); do
    e2e_wait_window TfrmConnBreak 20 || fail "drop $i: no question within 20 s"
    soak_sample drop "$i"
    soak_click TfrmConnBreak "Да"
    e2e_wait_gone TfrmConnBreak 5 || fail "drop $i: the question stayed after Да"
    [ $((i % 100)) != 0 ] || e2e_say "drop $i ($((SECONDS - SOAK_START)) s)"
  done
  # The last connection too goes down on its own, and is not asked again.
  e2e_wait_window TfrmConnBreak 20 || fail "no last question"
  soak_click TfrmConnBreak "Нет"
  e2e_wait_gone TfrmConnBreak 5 || fail "the last question stayed after Нет"
  e2e_wait_button "Подключиться" 10 || fail "not disconnected after Нет"
}

soak_buttons() {
  e2e_scenario "device modem $E2E_MODEM
notify-delay-ms 10
hangup-delay-ms 20
drop-after-s 0"
  local i
  for ((i = 1; i <= SOAK_ROUNDS; i++)); do
    e2e_click_connect
    e2e_until 20 connected_now || fail "button $i: not connected"
    e2e_click_main $E2E_CLOSE_ZONE
    e2e_wait_window TfrmMsg 10 || fail "button $i: no question on closing while connected"
    soak_click TfrmMsg "Отменить"
    e2e_wait_gone TfrmMsg 5 || fail "button $i: the question stayed after Отменить"
    e2e_click_connect
    e2e_wait_button "Подключиться" 10 || fail "button $i: not disconnected"
    e2e_until 5 e2e_is 0 e2e_live_connections || fail "button $i: the connection stayed up"
    soak_sample button "$i"
    [ $((i % 50)) != 0 ] || e2e_say "button $i ($((SECONDS - SOAK_START)) s)"
  done
}

soak_panels() {
  e2e_scenario "device modem $E2E_MODEM
notify-delay-ms 10
apn * error 691"
  local back="<  Вернуться в программу" i
  for ((i = 1; i <= SOAK_ROUNDS; i++)); do
    soak_step "Учёт трафика" "$back"
    soak_step "$back" "Подключиться" usage
    soak_tray_menu 3
    e2e_wait_text TfrmGprsMain "$back" 10 || fail "panels $i: the tray menu's item did not open the usage panel"
    soak_step "$back" "Подключиться" usage
    soak_step "О программе" "$back"
    soak_step "$back" "Подключиться" about
    soak_step "Пользовательское соглашение" "$back"
    soak_step "$back" "Подключиться" agreement
    e2e_click_connect
    e2e_wait_text TfrmProgress "Детали >>" 20 || fail "panels $i: no error report"
    soak_click TfrmProgress "Детали >>"
    e2e_wait_text TfrmProgress "<< Детали" 5 || fail "panels $i: the details did not open"
    soak_click TfrmProgress "<< Детали"
    e2e_wait_text TfrmProgress "Детали >>" 5 || fail "panels $i: the details did not close"
    soak_click TfrmProgress "Закрыть"
    e2e_wait_gone TfrmProgress 5 || fail "panels $i: the report stayed after Закрыть"
    soak_sample panels "$i"
    [ $((i % 50)) != 0 ] || e2e_say "panels $i ($((SECONDS - SOAK_START)) s)"
  done
}

# The settings panel, the agreement opened from it, and back by "Выбрать".
soak_settings() {
  local back="<  Вернуться в программу" i
  for ((i = 1; i <= SOAK_ROUNDS; i++)); do
    soak_step "Настройки" "Выбрать"
    soak_step "Пользовательское соглашение" "$back"
    soak_step "$back" "Выбрать" agreement
    soak_step "Выбрать" "Подключиться"
    soak_sample settings "$i"
    [ $((i % 50)) != 0 ] || e2e_say "settings $i ($((SECONDS - SOAK_START)) s)"
  done
}

journey() {
  e2e_installed
  e2e_update_server 1.0.0
  mkdir -p "$(dirname "$SOAK_CSV")"
  echo "phase,cycle,seconds,handles,threads,private_bytes,working_set,virtual_bytes" >"$SOAK_CSV"
  e2e_start /l /n
  # The short phases first by default: a fault in them shows before the
  # long one.
  local phase
  for phase in $SOAK_PHASES; do
    case $phase in
      button) [ "$SOAK_ROUNDS" = 0 ] || soak_buttons ;;
      panels) [ "$SOAK_ROUNDS" = 0 ] || soak_panels ;;
      settings) [ "$SOAK_ROUNDS" = 0 ] || soak_settings ;;
      drop) [ "$SOAK_CYCLES" = 0 ] || soak_drops ;;
      *) fail "no phase $phase" ;;
    esac
  done
  e2e_say "$(($(wc -l <"$SOAK_CSV") - 1)) samples in $((SECONDS - SOAK_START)) s: $SOAK_CSV"
  bash "$DW_SOURCE_DIR/tests/soak/judge.sh" "$SOAK_CSV" "$SOAK_CYCLES" "$SOAK_ROUNDS" "$SOAK_PHASES" ||
    fail "a figure grew past its bound"
  e2e_close_program 15 || fail "the program did not end"
}

e2e_main "$SOAK_GEN"
