#!/usr/bin/env bash
# The skinned main window's chrome, driven by real mouse input on a virtual
# X screen: through the agreement and the installation step to the main
# panel and its skin; the close zone's tooltip above the pointer and gone
# again by itself; dragging by the skin; the gap between the zones doing
# nothing; minimising to the notification area, a single click on the icon
# doing nothing there and a double-click bringing the window back; closing
# by the close zone, the icon going with the program.
. "$DW_SOURCE_DIR/tests/e2e/lib.sh"

main_line() { e2e_windows | grep 'class=TfrmGprsMain ' || true; }
# The main window's "visible" flag as the program sees it.
main_visible() { main_line | e2e_field visible; }
main_rect() { main_line | sed -n 's/.* rect=\([-0-9,]*\).*/\1/p'; }
hidden_in_tray() { [ "$(main_visible)" = 0 ] && ! e2e_x_visible; }

e2e_begin screen
e2e_prefix winxp xmainwin
# A fresh start: no settings from an earlier run of this test.
e2e_regedit "[-$E2E_SETTINGS_KEY]"
e2e_rassim install >/dev/null || fail "rassim install"

e2e_start
read -r ox oy < <(e2e_main_origin)
e2e_shot agreement
e2e_pixel_is "$E2E_SHOT" $((ox + 10)) $((oy + 10)) 000674 "title strip"

e2e_read_agreement
e2e_click_child TfrmGprsMain 'Согласен'
e2e_wait_text TfrmGprsMain 'Далее' 10 || fail "no installation look after \"Согласен\""
e2e_click_child TfrmGprsMain 'Далее'
e2e_wait_button 'Подключиться' 10 || fail "no main panel after \"Далее\""
e2e_pointer_away
e2e_shot main-panel
# The connect button: ring, outline, face along its left edge.
read -r bl bt br bb < <(e2e_control TfrmGprsMain DialwaveControl 'Подключиться' | e2e_rect_of)
e2e_pixel_is "$E2E_SHOT" $((bl + 1)) $((bt + 15)) CDD8E2 "connect button ring"
e2e_pixel_is "$E2E_SHOT" $((bl + 2)) $((bt + 15)) 000674 "connect button outline"
e2e_pixel_is "$E2E_SHOT" $((bl + 6)) $((bt + 15)) F4F4F0 "connect button face"
# The graph's white face at (20, 56) of the panel, which starts at y 49.
e2e_pixel_is "$E2E_SHOT" $((ox + 50)) $((oy + 130)) FFFFFF "graph"

# The close zone's tooltip, 25 pixels above the pointer (above the window).
e2e_hover $((ox + 480)) $((oy + 15))
e2e_until 5 e2e_tooltip_shown || fail "no tooltip over the close zone"
shown_at=$(e2e_now_ms)
top=$(e2e_tooltip_line | e2e_rect_of | cut -d' ' -f2)
[ "$top" -ge $((oy - 15)) ] && [ "$top" -le $((oy - 5)) ] ||
  fail "tooltip top at $top, not 25 pixels above the pointer ($((oy - 9)))"
e2e_shot close-tooltip
e2e_until 8 e2e_not e2e_tooltip_shown || fail "the tooltip is still there after 8 s"
e2e_say "the tooltip went after $(( ($(e2e_now_ms) - shown_at) / 100 ))00 ms"

# Dragging by the skin's title strip moves the window with the pointer.
origin="$ox,$oy,$((ox + 500)),$((oy + 360))"
moved="$((ox + 50)),$((oy + 50)),$((ox + 550)),$((oy + 410))"
e2e_drag $((ox + 150)) $((oy + 8)) $((ox + 170)) $((oy + 20)) $((ox + 200)) $((oy + 58))
e2e_until 5 e2e_is "$moved" main_rect || fail "dragged window at $E2E_LAST, not $moved"
e2e_drag $((ox + 200)) $((oy + 58)) $((ox + 170)) $((oy + 20)) $((ox + 150)) $((oy + 8))
e2e_until 5 e2e_is "$origin" main_rect || fail "window not dragged back: $E2E_LAST"

# The gap between the zones does nothing.
e2e_click_at $((ox + 473)) $((oy + 10))
e2e_stays 1 e2e_is 1 main_visible || fail "a click between the zones hid the window"
# Minimise zone: only the notification-area icon is left.
e2e_click_main $E2E_MINIMISE_ZONE
e2e_until 10 hidden_in_tray || fail "the minimise zone left the window on the screen"
e2e_shot tray
[ "$(e2e_icon_pixels "$E2E_SHOT")" -gt 50 ] || fail "no notification-area icon"
# One click on the icon does nothing while the window is hidden.
e2e_click_at $(e2e_tray_icon)
e2e_stays 1.5 hidden_in_tray || fail "a single click on the icon brought the window back"
# A double-click restores it.
e2e_double_click_at $(e2e_tray_icon)
e2e_until 10 e2e_is 1 main_visible || fail "a double-click on the icon did not restore the window"
e2e_until 10 e2e_x_visible || fail "the restored window is not on the screen"

# The close zone ends the program (no connection: no question), and the
# icon goes with it.
e2e_click_main $E2E_CLOSE_ZONE
e2e_wait_exit 10 || fail "the close zone did not end the program"
e2e_until 5 e2e_not e2e_icon_shown || fail "the notification-area icon outlived the program"
e2e_shot closed
echo ok
