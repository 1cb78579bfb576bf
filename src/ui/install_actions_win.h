// The installation step on the real system: the settings panel's option
// boxes, the two error boxes, and the step itself with the system's shell
// and files. Main thread, with COM initialised on it.
#pragma once

#include "platform/win32/win.h"

#include "install/installation.h"
#include "platform/environment.h"
#include "ui/framework/controls_win.h"

namespace dw::ui {

// chbDesktop/lblDesktop, chbAutorun/lblAutorun, chbCopy/lblCopy.
class InstallOptionBoxes final : public install::InstallOptionControls {
 public:
  struct Option {
    CheckBox box;
    Control label;
  };
  InstallOptionBoxes(Option desktop, Option autorun, Option copy)
      : options_{desktop, autorun, copy} {}

  bool Checked(install::InstallOption option) const override { return At(option).box.Checked(); }
  void SetChecked(install::InstallOption option, bool checked) override {
    At(option).box.SetChecked(checked);
  }
  void SetCopyOffered(bool offered) override;

  // The click handler shared by the three labels: inverts the box bound to
  // `label`; false when `label` is none of them.
  bool LabelClick(HWND label);

 private:
  const Option& At(install::InstallOption option) const {
    return options_[static_cast<int>(option)];
  }
  Option options_[3];
};

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
