// A pop-up menu shown at a screen point; the choice comes back as a value
// instead of a command message.
#pragma once

#include "platform/win32/win.h"

#include <string>
#include <vector>

#include "platform/win32/unique_handle.h"

namespace dw::ui {

struct MenuItem {
  std::string caption;  // code page 1251; empty for a separator
  bool enabled = true;
  bool isDefault = false;  // shown in bold
};

struct MenuTraits {
  using Handle = HMENU;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { DestroyMenu(h); }
};
using UniqueMenu = UniqueHandle<MenuTraits>;

// The menu with `items`; item i carries command i + 1.
UniqueMenu BuildPopupMenu(const std::vector<MenuItem>& items);

// Shows the menu for `owner` at (x, y) on the screen and returns the index of
// the chosen item, or -1 when the menu was dismissed.
int ShowPopupMenu(HWND owner, const std::vector<MenuItem>& items, int x, int y);

}  // namespace dw::ui
