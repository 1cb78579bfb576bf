#!/usr/bin/env bash
# Started from the start-up entry ("/auto"): only the notification-area icon
# shows; starting the program again wakes the first copy, whose window
# appears, and the second copy ends.
. "$(dirname "$0")/lib.sh"

journey() {
  e2e_installed
  e2e_start /auto
  e2e_until 15 e2e_icon_shown || fail "no icon in the notification area"
  e2e_shot tray-only
  [ "$(e2e_visible TfrmGprsMain)" = 0 ] || fail "/auto showed the window"
  [ "$(dw_pixel "$E2E_SHOT" 400 300)" = 000000 ] || fail "/auto drew on the screen"

  local rc=0
  timeout 60 "$DW_WINE" "$E2E_WORK/dialwave.exe" >/dev/null 2>&1 </dev/null || rc=$?
  [ "$rc" = 0 ] || fail "the second copy ended with $rc"
  e2e_wait_window TfrmGprsMain 15 || fail "the second start did not bring the window up"
  e2e_shot woken
  e2e_running || fail "the first copy ended"
  [ "$(e2e_windows | grep -c 'class=TfrmGprsMain ')" = 1 ] || fail "two main windows"
  [ "$(e2e_panel_value button)" = "Подключиться" ] || fail "main panel not shown: $(e2e_main_panel | tr '\n' ' ')"
  e2e_click_main $E2E_CLOSE_ZONE
  e2e_wait_exit 15 || fail "the close zone did not end the program"
}

e2e_main "$@"
