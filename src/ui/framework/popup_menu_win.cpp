#include "ui/framework/popup_menu_win.h"

#include "platform/win32/user_api_win.h"

namespace dw::ui {

UniqueMenu BuildPopupMenu(const std::vector<MenuItem>& items) {
  UniqueMenu menu(CreatePopupMenu());
  if (!menu) return menu;
  UINT command = 1;
  for (const MenuItem& item : items) {
    if (item.caption.empty()) {
      AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
    } else {
      user::AppendMenuText(menu.get(), MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED),
                           command, item.caption);
      if (item.isDefault) SetMenuDefaultItem(menu.get(), command, FALSE);
    }
    ++command;
  }
  return menu;
}

int ShowPopupMenu(HWND owner, const std::vector<MenuItem>& items, int x, int y) {
  UniqueMenu menu = BuildPopupMenu(items);
  if (!menu) return -1;
  // Without the owner in front, a click elsewhere would not dismiss the
  // menu (a known trait of menus opened from a notification-area icon).
  SetForegroundWindow(owner);
  const int chosen = static_cast<int>(TrackPopupMenu(
      menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr));
  PostMessageA(owner, WM_NULL, 0, 0);
  return chosen > 0 ? chosen - 1 : -1;
}

}  // namespace dw::ui
