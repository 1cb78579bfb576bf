// The settings panel's content (pnlSettings): the two heading pictures
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

class TSettingsPanel final : public PanelContent {
 public:
  static constexpr const char* kClassName = "TSettingsPanel";
  static constexpr Bounds kList{20, 54, 460, 68};  // four items

  // A child of `parent` (the main window's panel) at `b` (normally
  // {0, 0, 500, 265}); `resources` holds HEADING_START and HEADING_SERVICE
  // (null: no headings).
  TSettingsPanel(HWND parent, const Bounds& b, HMODULE resources);
  ~TSettingsPanel() override;
  bool Created() const { return hwnd() != nullptr; }

  // The list's tooltip: its window and the text it shows now (code page 1251).
  HWND ModemTooltip() const { return tooltip_; }
  const std::string& ModemTooltipText() const { return tipText_; }
  // The list's pointer: the tooltip follows the item under (x, y).
  void ModemListMouseMove(int x, int y);
  // One item drawn as the list asks for it (also for tests, on any DC).
  void DrawItem(const DRAWITEMSTRUCT& item);

  ControlWindow& NextWindow() { return nextWindow_; }
  ControlWindow& SvcOKWindow() { return svcOKWindow_; }

  std::function<void()> onNext;                // btnNext
  std::function<void()> onSvcOK;               // btnSvcOK
  std::function<void(HWND link)> onRefresh;    // Label40 or Label41
  std::function<void()> onModemDoubleClick;    // lbConnections

  PictureBox imgStart, imgService;
  Label Label1, Label40, Label41, Label8;
  Label Panel1;  // the list's grey frame
  ListBox lbConnections;
  CheckBox chbDesktop, chbAutorun, chbCopy;
  Label lblDesktop, lblAutorun, lblCopy;
  SkinButton btnNext, btnSvcOK;

 protected:
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

 private:
  void CreateTooltip();
  void SetTooltipText(const std::string& cp1251);

  ControlWindow nextWindow_{btnNext};
  ControlWindow svcOKWindow_{btnSvcOK};
  UniqueBrush frameBrush_;
  HWND tooltip_ = nullptr;
  std::string tipText_;
  Subclass listHook_;
};

}  // namespace dw::ui
