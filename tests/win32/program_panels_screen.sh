#!/usr/bin/env bash
# The real dialwave.exe on a virtual X screen, driven by real X input: the
# agreement gate ("Согласен" disabled until the text is within 10 pixels of
# its end) by the wheel, by the scroll bar and by dragging its thumb and
# releasing, enabled still when scrolled back; the modem list's tooltip
# showing a long name whole; a double-click on a modem doing nothing in the
# installation look and selecting in the service look; the about panel and
# the agreement opened later (only the way back). Screenshots of the three
# panels go to build/screenshots/program-*.png.
set -euo pipefail
. "$DW_SOURCE_DIR/scripts/lib/wine.sh"

exe=$DW_BIN_DIR/dialwave.exe
shots=$DW_BUILD_ROOT/screenshots
long_name="Korvana USB GPRS EDGE Modem With A Very Long Friendly Name For Laptops Model 2000 Rev B"
fail() { echo "FAIL: $*" >&2; [ -n "${DISPLAY:-}" ] && dw_screenshot "$shots/program-panels-failure.png" || true; exit 1; }

# The program's child windows: "child ... class=C visible=V enabled=E rect=l,t,r,b [...] text=T".
children() { "$DW_WINE" "$DW_BIN_DIR/dialwave-probe.exe" children TfrmGprsMain 2>/dev/null | tr -d '\r'; }
# The line of the control of class $1 whose text is exactly $2 and that is
# on the screen (or, with a third argument "any", the first one).
ctl() {
  local lines
  lines=$(children | grep " class=$1 " | grep -F " text=$2" | awk -v t=" text=$2" 'substr($0, length($0) - length(t) + 1) == t')
  if [ "${3:-}" != any ]; then lines=$(echo "$lines" | grep ' visible=1 ' || true); fi
  echo "$lines" | head -n 1
}
field() { sed -n "s/.* $1=\([^ ]*\) .*/\1/p"; }
rect_of() { field rect | tr ',' ' '; }
centre() { local l t r b; read -r l t r b < <(echo "$1" | rect_of); echo $(((l + r) / 2)) $(((t + b) / 2)); }
agree_enabled() { ctl DialwaveControl 'Согласен' | field enabled; }
# The agreement text's position: how far its content window sits above the box.
text_position() {
  local all box content
  all=$(children)
  box=$(echo "$all" | grep ' class=DialwaveScrollBox ' | grep ' visible=1 ' | head -n 1 | rect_of | cut -d' ' -f2)
  content=$(echo "$all" | grep ' class=DialwaveScrollContent ' | grep ' visible=1 ' | head -n 1 | rect_of | cut -d' ' -f2)
  echo $((box - content))
}
expect_gate() {  # $1 = expected enabled flag, $2 = what happened
  local got
  got=$(agree_enabled)
  [ "$got" = "$1" ] || fail "$2: \"Согласен\" enabled=$got (text at $(text_position))"
}
click() { xdotool mousemove "$1" "$2" sleep 0.2 click 1; sleep 0.5; }
click_ctl() { local line; line=$(ctl "$@"); [ -n "$line" ] || fail "no $1 \"$2\" on the screen"; click $(centre "$line"); }
start_program() {
  "$DW_WINE" "$exe" 2>/dev/null &
  program=$!
  dw_wait_visible_window 'Dialwave' 60 >/dev/null || fail "no main window"
  sleep 1
}
# The close zone of the skin (window at 150,120; zone 475..494 x 5..21).
close_program() {
  click 637 130
  for _ in $(seq 50); do kill -0 "$program" 2>/dev/null || return 0; sleep 0.2; done
  fail "the close zone did not end the program"
}

dw_screen_start
dw_wine_prefix "$(dw_pe_arch "$exe")" winxp xprogpanels
mkdir -p "$shots"
"$DW_WINE" reg delete 'HKLM\Software\Korvana\Dialwave' /f >/dev/null 2>&1 || true
"$DW_WINE" "$DW_BIN_DIR/rassim.exe" install >/dev/null 2>&1 || fail "rassim install"
printf 'device modem Korvana GPRS Modem\r\ndevice modem %s\r\ndevice modem Sim Phone\r\n' "$long_name" \
  >"$WINEPREFIX/drive_c/panels-scenario.txt"
"$DW_WINE" "$DW_BIN_DIR/rassim.exe" scenario 'C:\panels-scenario.txt' >/dev/null 2>&1 || fail "rassim scenario"

# 1. The wheel over the text: 80 notches reach 960, the 81st 972.
start_program
dw_screenshot "$shots/program-agreement.png"
expect_gate 0 "at the start"
box=$(children | grep ' class=DialwaveScrollBox ' | grep ' visible=1 ' | head -n 1)
read -r bx by < <(centre "$box")
click "$bx" "$by"  # the box takes the focus; a release at the start opens nothing
expect_gate 0 "a click at the start"
xdotool mousemove "$bx" "$by" click --repeat 80 --delay 30 5
sleep 0.5
[ "$(text_position)" = 960 ] || fail "80 wheel notches moved the text to $(text_position), not 960"
expect_gate 0 "80 notches (960)"
xdotool click 5
sleep 0.5
[ "$(text_position)" = 972 ] || fail "81 notches: $(text_position), not 972"
expect_gate 1 "81 notches (972)"
xdotool click --repeat 6 --delay 30 5
sleep 0.5
[ "$(text_position)" = 981 ] || fail "the text went past its end: $(text_position)"
dw_screenshot "$shots/program-agreement-end.png"
xdotool click --repeat 100 --delay 20 4
sleep 0.5
[ "$(text_position)" = 0 ] || fail "wheel back: $(text_position)"
expect_gate 1 "scrolled back to the top"
close_program

# 2. The scroll bar's trough: a page (150) a click; the seventh reaches the end.
start_program
expect_gate 0 "the second start"
bar=$(children | grep ' class=ScrollBar ' | grep ' visible=1 ' | head -n 1)
read -r l t r b < <(echo "$bar" | rect_of)
trough_x=$(((l + r) / 2)); trough_y=$((b - 22))
for _ in $(seq 6); do click "$trough_x" "$trough_y"; done
[ "$(text_position)" = 900 ] || fail "six pages: $(text_position), not 900"
expect_gate 0 "six pages of the scroll bar"
click "$trough_x" "$trough_y"
[ "$(text_position)" = 981 ] || fail "seven pages: $(text_position), not 981"
expect_gate 1 "seven pages of the scroll bar"
close_program

# 3. Dragging the thumb: released half-way nothing opens; dragged on to the
# end and released, "Согласен" is enabled.
start_program
expect_gate 0 "the third start"
bar=$(children | grep ' class=ScrollBar ' | grep ' visible=1 ' | head -n 1)
read -r l t r b < <(echo "$bar" | rect_of)
x=$(((l + r) / 2))
arrow=$((r - l))
y=$((t + arrow + 6))  # the thumb, just under the top arrow
xdotool mousemove "$x" "$y" sleep 0.2 mousedown 1 sleep 0.2
for step in 10 20 30 40 50; do xdotool mousemove "$x" $((y + step)) sleep 0.1; done
xdotool mouseup 1
sleep 0.5
mid=$(text_position)
[ "$mid" -gt 100 ] && [ "$mid" -lt 900 ] || fail "a drag of 50 pixels moved the text to $mid"
expect_gate 0 "released half-way ($mid)"
y=$((y + 50))
xdotool mousemove "$x" "$y" sleep 0.2 mousedown 1 sleep 0.2
# To the bar's bottom, not beyond: a pointer far off the bar puts the thumb back.
for to in $((t + 100)) $((t + 130)) $((t + 160)) $((b - 3)); do xdotool mousemove "$x" "$to" sleep 0.1; done
xdotool mouseup 1
sleep 0.5
[ "$(text_position)" = 981 ] || fail "dragged to the end: $(text_position)"
expect_gate 1 "dragged to the end and released"

# 4. Agreed: the installation look of the settings panel.
click_ctl DialwaveControl 'Согласен'
sleep 0.5
[ -n "$(ctl DialwaveControl 'Далее')" ] || fail "no \"Далее\" after agreeing"
xdotool mousemove 10 590
sleep 0.5
dw_screenshot "$shots/program-settings-install.png"

# The long name's item: the tooltip shows it whole, wider than the list.
list=$(children | grep ' class=ListBox ' | grep ' visible=1 ' | head -n 1)
[ -n "$list" ] || fail "no modem list"
read -r ll lt lr lb < <(echo "$list" | rect_of)
xdotool mousemove $((ll + 200)) $((lt + 17 + 8)) sleep 0.3 mousemove $((ll + 202)) $((lt + 17 + 9))
tip=
for _ in $(seq 20); do
  tip=$("$DW_WINE" "$DW_BIN_DIR/dialwave-probe.exe" windows 2>/dev/null | tr -d '\r' |
    grep 'class=tooltips_class32' | grep 'visible=1' | head -n 1 || true)
  [ -n "$tip" ] && break
  sleep 0.3
done
[ -n "$tip" ] || fail "no tooltip over the long modem name"
read -r tl tt tr tb < <(echo "$tip" | sed -n 's/.* rect=\([-0-9,]*\).*/\1/p' | tr ',' ' ')
[ $((tr - tl)) -gt $((lr - ll)) ] ||
  fail "the tooltip is $((tr - tl)) pixels wide, no wider than the list ($((lr - ll))): not the whole name"
dw_screenshot "$shots/program-settings-tooltip.png"

# A double-click on a modem in the installation look changes nothing.
xdotool mousemove $((ll + 60)) $((lt + 34 + 8)) sleep 0.3 click --repeat 2 --delay 80 1
sleep 1
[ -n "$(ctl DialwaveControl 'Далее')" ] || fail "a double-click left the installation look"
[ -z "$(ctl DialwaveControl 'Подключиться')" ] || fail "a double-click in the installation look showed the main panel"

# "Далее": the main panel.
click_ctl DialwaveControl 'Далее'
sleep 1
[ -n "$(ctl DialwaveControl 'Подключиться')" ] || fail "no main panel after \"Далее\""

# 5. The service look: a double-click selects the modem and goes back.
click_ctl Static 'Настройки'
sleep 0.5
[ -n "$(ctl DialwaveControl 'Выбрать')" ] || fail "no service look"
xdotool mousemove 10 590
sleep 0.3
dw_screenshot "$shots/program-settings-service.png"
list=$(children | grep ' class=ListBox ' | grep ' visible=1 ' | head -n 1)
read -r ll lt lr lb < <(echo "$list" | rect_of)
xdotool mousemove $((ll + 60)) $((lt + 17 + 8)) sleep 0.3 click --repeat 2 --delay 80 1
sleep 1
[ -n "$(ctl DialwaveControl 'Подключиться')" ] || fail "a double-click in the service look did not go back"

# 6. About, and back.
click_ctl Static 'О программе'
sleep 0.5
version=$(children | grep ' class=Static ' | grep ' visible=1 ' | grep -F ' text=Версия: ' | head -n 1)
[ -n "$version" ] || fail "no version on the about panel"
xdotool mousemove 10 590
sleep 0.3
dw_screenshot "$shots/program-about.png"
click_ctl Static '<  Вернуться в программу'
sleep 0.5
[ -n "$(ctl DialwaveControl 'Подключиться')" ] || fail "the about panel's way back"

# 7. The agreement opened later: only the way back, from the top.
click_ctl Static 'Пользовательское соглашение'
sleep 0.5
[ "$(text_position)" = 0 ] || fail "the agreement opened later at $(text_position)"
[ -z "$(ctl DialwaveControl 'Согласен')" ] || fail "\"Согласен\" on the agreement opened later"
[ -z "$(ctl DialwaveControl 'Не согласен')" ] || fail "\"Не согласен\" on the agreement opened later"
[ -n "$(ctl Static '<  Вернуться в программу')" ] || fail "no way back on the agreement opened later"
xdotool mousemove 10 590
sleep 0.3
dw_screenshot "$shots/program-agreement-later.png"
click_ctl Static '<  Вернуться в программу'
sleep 0.5
[ -n "$(ctl DialwaveControl 'Подключиться')" ] || fail "the agreement's way back"
close_program
echo ok
