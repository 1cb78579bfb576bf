// The program's own message box (MessageDialog, ShowMsg) and the question asked
// when the connection drops (ReconnectDialog, AskToReconnect). Both are modal,
// built for one question and released before the function returns.
#pragma once

#include "platform/win32/win.h"

#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

#include "ui/dialogs/msg_layout.h"
#include "ui/framework/form_win.h"

namespace dw::ui {

class MessageDialog final : public Form {
 public:
  // The journeys find the box by this class.
  static constexpr const char* kClassName = "TfrmMsg";

  // Builds the box for `text` (code page 1251, one line), `kind` and the
  // button `codes`, sized and with its buttons placed; not shown yet.
  MessageDialog(std::string_view text, int kind, std::span<const int> codes);

  Label messageText;
  Picture warningIcon, errorIcon, infoIcon, questionIcon;
  std::vector<Button> buttons;
};

// The result of the button pressed (6 yes, 7 no, 1 OK, 2 cancel), or 2 when
// the box is closed from its title bar.
int ShowMsg(std::string_view text, int kind, std::span<const int> codes);
inline int ShowMsg(std::string_view text, int kind, std::initializer_list<int> codes) {
  return ShowMsg(text, kind, std::span<const int>(codes.begin(), codes.size()));
}

class ReconnectDialog final : public Form {
 public:
  // The journeys find the question by this class.
  static constexpr const char* kClassName = "TfrmConnBreak";

  // `owner` is the application's window (may be null).
  explicit ReconnectDialog(HWND owner);

  Label questionText;
  Picture icon;
  CheckBox autoReconnect;
  Button yesButton;
  Button noButton;
};

// True exactly when the user chose "Да"; the title bar's close counts as "Нет".
bool AskToReconnect(HWND owner = nullptr);

// The connection icon of the dialogs: the program's own icon, or the
// system's application icon where the module has none.
HICON ConnectionIcon();

}  // namespace dw::ui
