// The settings panel's content: the two heading pictures
// (installation and service look), "Выберите модем", the owner-drawn modem
// list in its grey frame with its tooltip, the "Обновить" links, the note,
// the installation options and the two buttons "Далее" and "Выбрать". Which
// of them show is the host's business (the main window's controller).
#pragma once

#include "platform/win32/win.h"

#include <functional>
#include <string>

#include "platform/win32/unique_handle.h"
#include "ui/controls/control_window_win.h"
#include "ui/controls/skin_button.h"
#include "ui/framework/picture_box_win.h"
#include "ui/framework/subclass_win.h"
#include "ui/panels/panel_content_win.h"

namespace dw::ui {

class SettingsPanel final : public PanelContent {
 public:
  static constexpr const char* kClassName = "DialwaveSettingsPanel";
  static constexpr Bounds kList{20, 54, 460, 68};  // four items

  // A child of `parent` (the main window's panel) at `b` (normally
  // {0, 0, 500, 265}); `resources` holds HEADING_START and HEADING_SERVICE
  // (null: no headings).
  SettingsPanel(HWND parent, const Bounds& b, HMODULE resources);
  ~SettingsPanel() override;
  bool Created() const { return hwnd() != nullptr; }

  // The list's tooltip: its window and the text it shows now (code page 1251).
  HWND ModemTooltip() const { return tooltip_; }
  const std::string& ModemTooltipText() const { return tipText_; }
  // The list's pointer: the tooltip follows the item under (x, y).
  void ModemListMouseMove(int x, int y);
  // One item drawn as the list asks for it (also for tests, on any DC).
  void DrawItem(const DRAWITEMSTRUCT& item);

  ControlWindow& NextButtonWindow() { return nextWindow_; }
  ControlWindow& ChooseButtonWindow() { return chooseWindow_; }

  std::function<void()> onNext;
  std::function<void()> onChoose;
  // Either "Обновить" link: the one clicked.
  std::function<void(HWND link)> onRefresh;
  std::function<void()> onModemDoubleClick;

  PictureBox installHeading, serviceHeading;
  Label chooseModemText, refreshLink, hiddenRefreshLink, deviceNote;
  Label listFrame;  // the list's grey frame
  ListBox modemList;
  CheckBox desktopOption, autorunOption, copyOption;
  Label desktopOptionText, autorunOptionText, copyOptionText;
  SkinButton nextButton, chooseButton;

 protected:
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

 private:
  void CreateTooltip();
  void SetTooltipText(const std::string& cp1251);

  ControlWindow nextWindow_{nextButton};
  ControlWindow chooseWindow_{chooseButton};
  UniqueBrush frameBrush_;
  HWND tooltip_ = nullptr;
  std::string tipText_;
  Subclass listHook_;
};

}  // namespace dw::ui
