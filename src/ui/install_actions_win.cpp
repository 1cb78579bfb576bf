#include "ui/install_actions_win.h"

#include "platform/win32/adapters_win.h"
#include "platform/win32/user_api_win.h"
#include "ui/dialogs/msg_layout.h"
#include "ui/dialogs/msg_win.h"

namespace dw::ui {

void InstallNoticesWin::ShowError(const std::string& text) {
  constexpr int kKindError = 1;
  ShowMsg(text, kKindError, {kMsgOk});
}

void InstallNoticesWin::ShowSystemMessage(const std::string& text) {
  user::MessageBoxText(owner_, text, dw::Text(TextId::AppTitle), MB_OK);
}

bool RunInstallationWin(const install::InstallOptionControls& options,
                        const Environment& environment, HWND owner) {
  const auto files = MakeWin32FileSystem();
  const auto shell = MakeWin32Shell();
  InstallNoticesWin notices(owner);
  return install::RunInstallation(install::ChoiceOf(options),
                                  {environment, *files, *shell, notices});
}

}  // namespace dw::ui
