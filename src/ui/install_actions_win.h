// The installation step on the real system: the two error boxes, and the
// step itself with the system's shell and files. Main thread, with COM
// initialised on it.
#pragma once

#include "platform/win32/win.h"

#include "install/installation.h"
#include "platform/environment.h"

namespace dw::ui {

// The program's message box (ShowMsg, kind error, OK) and the system's
// standard one under the application title, owned by `owner`.
class InstallNoticesWin final : public install::InstallNotices {
 public:
  explicit InstallNoticesWin(HWND owner) : owner_(owner) {}
  void ShowError(const std::string& text) override;
  void ShowSystemMessage(const std::string& text) override;

 private:
  HWND owner_;
};

// RunInstallation with the options as ticked, the system's shell and file
// system, and the boxes above; true when it all ran (the caller then stores
// the modem and moves to the main stage).
bool RunInstallationWin(const install::InstallOptionControls& options,
                        const Environment& environment, HWND owner);

}  // namespace dw::ui
