#!/usr/bin/env bash
# The speed graph's tip under a resting pointer: nothing at all before the
# first sample (not an empty box), the speed once samples have come in.
. "$(dirname "$0")/lib.sh"

# A point of the graph's left end, where its first samples are drawn.
graph_point() {
  local x y
  read -r x y < <(e2e_main_origin)
  echo $((x + 24)) $((y + 130))
}

journey() {
  e2e_installed
  e2e_update_server 1.0.0
  e2e_start /l /n
  e2e_wait_button "Подключиться" 20 || fail "no disconnected look at the start"

  e2e_hover $(graph_point)
  e2e_stays 3 e2e_not e2e_tooltip_shown || fail "a tip over the graph before any sample: $(e2e_tooltip_line)"
  e2e_shot no-tip
  e2e_pointer_away

  e2e_click_connect
  e2e_wait_button "Отключиться" 40 || fail "no connected look"
  e2e_until 20 e2e_traffic_shown || fail "no traffic on the main panel"
  sleep 2  # a few samples at the graph's left end
  e2e_hover $(graph_point)
  e2e_until 5 e2e_tooltip_shown || fail "no tip over the graph once samples came in"
  e2e_shot tip
  e2e_pointer_away

  e2e_click_connect
  e2e_wait_button "Подключиться" 10 || fail "no disconnected look"
  e2e_close_program 15 || fail "the program did not end"
}

e2e_main "$@"
