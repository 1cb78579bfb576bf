#include "ui/framework/popup_menu_win.h"

#include "platform/win32/wide.h"

namespace dw::ui {

UniqueMenu BuildPopupMenu(const std::vector<MenuItem>& items) {
  UniqueMenu menu(CreatePopupMenu());
  if (!menu) return menu;
  UINT command = 1;
  for (const MenuItem& item : items) {
    if (item.caption.empty()) {
      AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuW(menu.get(), MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED), command,
                  Wide(item.caption).c_str());
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
  PostMessageW(owner, WM_NULL, 0, 0);
  return chosen > 0 ? chosen - 1 : -1;
}

}  // namespace dw::ui
