#!/usr/bin/env bash
# The notification-area icon's menu (Wine's own tray window at the top left
# of a bare X screen): "Подключиться" dials, "Отключиться" hangs up while
# the window sits in the tray, "Открыть программу" brings the window back,
# "Выйти" ends the program.
. "$(dirname "$0")/lib.sh"

journey() {
  e2e_installed
  e2e_update_server 1.0.0
  e2e_start /l /n
  # A bare X screen has no notification area of its own: Wine shows its
  # own tray window, with the program's icon first.
  e2e_windows | grep -q 'class=__winex11_standalone_tray .* visible=1 ' || fail "no Wine System Tray window"

  e2e_tray_menu 2 menu-disconnected
  e2e_wait_button "Отключиться" 40 ||
    fail "button is not Отключиться: $(e2e_main_panel | tr '\n' ' ')"
  e2e_log | grep -q 'DIAL-params' || fail "the menu's connect dialled nothing"
  [ "$(e2e_live_connections)" = 1 ] || fail "not connected through the menu"
  e2e_shot connected

  # Into the tray; the connection goes on.
  e2e_click_main $E2E_MINIMISE_ZONE
  e2e_wait_gone TfrmGprsMain 5 || fail "the minimise zone left the window on the screen"
  e2e_tray_menu 2 menu-connected-hidden
  e2e_until 10 e2e_is 0 e2e_live_connections || fail "the menu's disconnect left the connection up"
  [ "$(e2e_visible TfrmGprsMain)" = 0 ] || fail "disconnecting from the tray showed the window"

  e2e_tray_menu 1 menu-hidden
  e2e_wait_window TfrmGprsMain 5 || fail "Открыть программу did not bring the window back"
  e2e_shot restored
  [ "$(e2e_panel_value button)" = "Подключиться" ] || fail "button: $(e2e_panel_value button)"
  [ "$(e2e_panel_value status)" = "Соединение с GPRS не установлено" ] || fail "status"

  e2e_tray_menu 4 menu-exit
  e2e_wait_exit 15 || fail "Выйти did not end the program"
}

e2e_main "$@"
