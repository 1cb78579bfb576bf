#!/usr/bin/env bash
# The real dialwave.exe on a virtual X screen, driven by real X input: the
# agreement gate ("Согласен" disabled until the text is within 10 pixels of
# its end) by the wheel, by the scroll bar and by dragging its thumb and
# releasing, enabled still when scrolled back; the modem list's tooltip
# showing a long name whole; a double-click on a modem doing nothing in the
# installation look and selecting in the service look; the about panel and
# the agreement opened later (only the way back). Screenshots of the panels:
# build/screenshots/e2e/program_panels_screen-winxp-*.png.
. "$DW_SOURCE_DIR/tests/e2e/lib.sh"

long_name="Korvana USB GPRS EDGE Modem With A Very Long Friendly Name For Laptops Model 2000 Rev B"

ctl() { e2e_control TfrmGprsMain "$@"; }
shows() { [ -n "$(ctl "$@")" ]; }
wait_ctl() { e2e_until 10 shows "$1" "$2" || fail "no $1 \"$2\" on the screen"; }
agree_enabled() { ctl DialwaveControl 'Согласен' | e2e_field enabled; }
visible_of() { e2e_children TfrmGprsMain | grep " class=$1 visible=1 " | head -n 1; }
# The agreement text's position: how far its content window sits above the box.
text_position() {
  local box content
  box=$(visible_of DialwaveScrollBox | e2e_rect_of | cut -d' ' -f2)
  content=$(visible_of DialwaveScrollContent | e2e_rect_of | cut -d' ' -f2)
  echo $((box - content))
}
# wait_position N WHAT: until the text stands at N.
wait_position() { e2e_until 10 e2e_is "$1" text_position || fail "$2: text at $E2E_LAST, not $1"; }
position_between() { local p; p=$(text_position); [ "$p" -gt "$1" ] && [ "$p" -lt "$2" ]; }
expect_gate() {  # $1 = expected enabled flag, $2 = what happened
  local got
  got=$(agree_enabled)
  [ "$got" = "$1" ] || fail "$2: \"Согласен\" enabled=$got (text at $(text_position))"
}
gate_is() { [ "$(agree_enabled)" = "$1" ]; }
click_ctl() { local line; line=$(ctl "$@"); [ -n "$line" ] || fail "no $1 \"$2\" on the screen"; e2e_click_at $(e2e_centre "$line"); }
selected() { visible_of ListBox | e2e_field selected; }
close_program() {
  e2e_click_main $E2E_CLOSE_ZONE
  e2e_wait_exit 10 || fail "the close zone did not end the program"
}

e2e_begin screen
e2e_prefix winxp xprogpanels
e2e_regedit "[-$E2E_SETTINGS_KEY]"
e2e_rassim install >/dev/null || fail "rassim install"
e2e_scenario "device modem Korvana GPRS Modem
device modem $long_name
device modem Sim Phone"

# 1. The wheel over the text: 80 notches reach 960, the 81st 972.
e2e_start
e2e_shot agreement
expect_gate 0 "at the start"
read -r bx by < <(e2e_centre "$(visible_of DialwaveScrollBox)")
e2e_click_at "$bx" "$by"  # the box takes the focus; a release at the start opens nothing
e2e_stays 1 gate_is 0 || fail "a click at the start enabled \"Согласен\""
e2e_wheel_at "$bx" "$by" 80 5
wait_position 960 "80 wheel notches"
expect_gate 0 "80 notches (960)"
e2e_wheel_at "$bx" "$by" 1 5
wait_position 972 "81 notches"
expect_gate 1 "81 notches (972)"
e2e_wheel_at "$bx" "$by" 6 5
wait_position 981 "the text's end"
e2e_shot agreement-end
e2e_wheel_at "$bx" "$by" 100 4
wait_position 0 "wheel back"
expect_gate 1 "scrolled back to the top"
close_program

# 2. The scroll bar's trough: a page (150) a click; the seventh reaches the end.
e2e_start
expect_gate 0 "the second start"
read -r l t r b < <(visible_of ScrollBar | e2e_rect_of)
trough_x=$(((l + r) / 2)); trough_y=$((b - 22))
for page in 1 2 3 4 5 6; do
  e2e_click_at "$trough_x" "$trough_y"
  wait_position $((page * 150)) "$page pages"
done
expect_gate 0 "six pages of the scroll bar"
e2e_click_at "$trough_x" "$trough_y"
wait_position 981 "seven pages"
expect_gate 1 "seven pages of the scroll bar"
close_program

# 3. Dragging the thumb: released half-way nothing opens; dragged on to the
# end and released, "Согласен" is enabled.
e2e_start
expect_gate 0 "the third start"
read -r l t r b < <(visible_of ScrollBar | e2e_rect_of)
x=$(((l + r) / 2))
arrow=$((r - l))
y=$((t + arrow + 6))  # the thumb, just under the top arrow
e2e_drag "$x" "$y" "$x" $((y + 10)) "$x" $((y + 20)) "$x" $((y + 30)) "$x" $((y + 40)) "$x" $((y + 50))
e2e_until 5 position_between 100 900 || fail "a drag of 50 pixels moved the text to $(text_position)"
mid=$(text_position)
expect_gate 0 "released half-way ($mid)"
y=$((y + 50))
# To the bar's bottom, not beyond: a pointer far off the bar puts the thumb back.
e2e_drag "$x" "$y" "$x" $((t + 100)) "$x" $((t + 130)) "$x" $((t + 160)) "$x" $((b - 3))
wait_position 981 "dragged to the end"
expect_gate 1 "dragged to the end and released"

# 4. Agreed: the installation look of the settings panel.
click_ctl DialwaveControl 'Согласен'
wait_ctl DialwaveControl 'Далее'
e2e_pointer_away
e2e_shot settings-install

# The long name's item: the tooltip shows it whole, wider than the list.
list=$(visible_of ListBox)
[ -n "$list" ] || fail "no modem list"
read -r ll lt lr lb < <(e2e_rect_of <<<"$list")
e2e_hover $((ll + 200)) $((lt + 17 + 8))
e2e_until 6 e2e_tooltip_shown || fail "no tooltip over the long modem name"
read -r tl tt tr tb < <(e2e_tooltip_line | e2e_rect_of)
[ $((tr - tl)) -gt $((lr - ll)) ] ||
  fail "the tooltip is $((tr - tl)) pixels wide, no wider than the list ($((lr - ll))): not the whole name"
e2e_shot settings-tooltip

# A double-click on a modem in the installation look selects it and changes
# nothing else.
e2e_double_click_at $((ll + 60)) $((lt + 34 + 8))
e2e_until 5 e2e_is 2 selected || fail "the double-click did not reach the list (selected $E2E_LAST)"
e2e_stays 1 shows DialwaveControl 'Далее' || fail "a double-click left the installation look"
shows DialwaveControl 'Подключиться' && fail "a double-click in the installation look showed the main panel"

# "Далее": the main panel.
click_ctl DialwaveControl 'Далее'
wait_ctl DialwaveControl 'Подключиться'

# 5. The service look: a double-click selects the modem and goes back.
click_ctl Static 'Настройки'
wait_ctl DialwaveControl 'Выбрать'
e2e_pointer_away
e2e_shot settings-service
read -r ll lt lr lb < <(visible_of ListBox | e2e_rect_of)
e2e_double_click_at $((ll + 60)) $((lt + 17 + 8))
e2e_until 10 shows DialwaveControl 'Подключиться' || fail "a double-click in the service look did not go back"

# 6. About, and back.
click_ctl Static 'О программе'
version_shown() { e2e_children TfrmGprsMain | grep ' class=Static visible=1 ' | grep -qF ' text=Версия: '; }
e2e_until 10 version_shown || fail "no version on the about panel"
e2e_pointer_away
e2e_shot about
click_ctl Static '<  Вернуться в программу'
wait_ctl DialwaveControl 'Подключиться'

# 7. The agreement opened later: only the way back, from the top.
click_ctl Static 'Пользовательское соглашение'
wait_ctl Static '<  Вернуться в программу'
[ "$(text_position)" = 0 ] || fail "the agreement opened later at $(text_position)"
shows DialwaveControl 'Согласен' && fail "\"Согласен\" on the agreement opened later"
shows DialwaveControl 'Не согласен' && fail "\"Не согласен\" on the agreement opened later"
e2e_pointer_away
e2e_shot agreement-later
click_ctl Static '<  Вернуться в программу'
wait_ctl DialwaveControl 'Подключиться'
close_program
echo ok
