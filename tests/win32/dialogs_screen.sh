#!/usr/bin/env bash
# The progress dialog while dialling, its error reports, the message box and
# the connection-break question on a real (virtual) X screen. Each is cut out
# of the screen into build/screenshots/dialogs-*.png and checked for text;
# the two questions are read as the user reads them (title, text, buttons)
# and answered with the pointer, and the Windows test checks that each
# answer reached the program.
. "$DW_SOURCE_DIR/tests/e2e/lib.sh"

shots=$DW_BUILD_ROOT/screenshots

# cut_out NAME: the dialog of NAME.ready cut out of a settled screen, checked
# for text below its title bar.
cut_out() {
  local name=$1 x y w h whole=$E2E_WORK/dialogs-screen-all.png n
  read -r x y w h < <(tr -d '\r' <"$hold.$name.ready")
  e2e_screenshot "$whole"
  shot=$shots/dialogs-$name.png
  /usr/bin/convert "$whole" -crop "${w}x${h}+${x}+${y}" +repage "$shot"
  n=$(e2e_dark_pixels "$shot" "$((w - 8))x$((h - 30))+4+26")
  [ "$n" -gt 40 ] || fail "$name shows no text ($n dark pixels)"
  echo "$name: ${w}x${h} at $x,$y, $n dark pixels"
}
ready() { e2e_until 60 test -s "$hold.$1.ready" || fail "$1 did not come up: $(cat "$log")"; }

# visible_buttons CLASS: the captions of its visible buttons, left to right.
visible_buttons() {
  e2e_children "$1" | grep '^child .* class=Button visible=1 ' |
    sed -n 's/.* rect=\([-0-9]*\),.* text=\(.*\)/\1 \2/p' | sort -n | cut -d' ' -f2- | paste -sd'|'
}
# answer CLASS TITLE TEXT BUTTONS CLICK: the question as the user sees it,
# then a click on one of its buttons; it must go.
answer() {
  local all
  all=$(e2e_children "$1")
  grep -q "^top .* visible=1 .* text=$2\$" <<<"$all" || fail "$1: title is not \"$2\": $(grep '^top' <<<"$all")"
  grep -qF -- " visible=1 " <<<"$(grep -F "text=$3" <<<"$all")" || fail "$1: no \"$3\" on it: $all"
  [ "$(visible_buttons "$1")" = "$4" ] || fail "$1: buttons $(visible_buttons "$1"), not $4"
  e2e_click_child "$1" "$5" Button
  e2e_wait_gone "$1" 10 || fail "$1 stayed after \"$5\""
}

e2e_begin screen
e2e_prefix winxp xdialogs
# No window manager runs here: Wine draws the title bars itself, so the
# dialogs' captions are in the screenshots too.
e2e_regedit '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"'
mkdir -p "$shots"
hold=$E2E_WORK/dialogs-hold
log=$E2E_WORK/dialogs-screen.log
DW_SCREEN_HOLD="$(e2e_winpath "$hold")" "$DW_WINE" "$E2E_BIN/dialwave_win_tests.exe" \
  --gtest_filter='DialogsOnScreen.*' >"$log" 2>&1 &
tests=$!

for name in progress-dialling progress-error-691 progress-error-734 progress-error-none; do
  ready "$name"
  cut_out "$name"
  touch "$hold.$name.done"
done
ready msg-confirm
cut_out msg-confirm
answer TfrmMsg "Подтвердите" "Соединение с Интернетом открыто. Закрыть его?" "Да|Нет|Отменить" "Нет"
ready conn-break
cut_out conn-break
answer TfrmConnBreak "Соединение прервано" "Соединение с Интернет прервано. Восстановить?" "Да|Нет" "Да"
wait "$tests" || fail "the dialog test failed: $(cat "$log")"
grep -q '\[  PASSED  \] 3 tests' "$log" || fail "the dialog test: $(cat "$log")"
echo ok
