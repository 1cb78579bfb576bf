// The agreement panel's content: heading picture, the
// agreement text in a scroll box with its separate scroll bar, "Не согласен"
// and "Согласен", or the back link once the agreement has been accepted.
// "Согласен" is enabled only by the gate: the text brought within reach of
// its end by the wheel, the scroll bar, or a button release after dragging.
#pragma once

#include "platform/win32/win.h"

#include <functional>
#include <memory>

#include "ui/controls/control_window_win.h"
#include "ui/controls/skin_button.h"
#include "ui/framework/picture_box_win.h"
#include "ui/framework/scroll_box_win.h"
#include "ui/panels/panel_content_win.h"

namespace dw::ui {

class AgreementPanel final : public PanelContent {
 public:
  static constexpr const char* kClassName = "DialwaveAgreementPanel";
  static constexpr int kWidth = 500;
  static constexpr int kHeight = 265;

  // Creates the content as a child of `parent` (the main window's panel) at
  // `b` (normally {0, 0, 500, 265}); `resources` holds the "GIF" heading
  // HEADING_AGREEMENT (the program's module; null: no heading).
  AgreementPanel(HWND parent, const Bounds& b, HMODULE resources);
  bool Created() const { return hwnd() != nullptr; }

  // Text and bar back to the start (at start-up and whenever it is opened).
  void ScrollToStart();
  // The start-up sets it false; only the gate sets it true.
  void SetAgreeEnabled(bool enabled);
  bool AgreeEnabled() const { return agreeButton.Enabled(); }
  // The two buttons (agreement not accepted yet) or the back link.
  void ShowDecisionButtons(bool show);

  std::function<void()> onAgree;     // "Согласен"
  std::function<void()> onDisagree;  // "Не согласен"
  std::function<void()> onReturn;    // "<  Вернуться в программу"

  // The buttons' windows (their host enables, shows and names them).
  ControlWindow& AgreeWindow() { return agreeWindow_; }
  ControlWindow& DisagreeWindow() { return disagreeWindow_; }

  // The bottom of the last text line in the box's content (tests, layout).
  int TextBottom() const { return textBottom_; }

  PictureBox heading;
  ScrollBox textBox;
  SeparateScrollBar scrollBar;
  SkinButton disagreeButton;
  SkinButton agreeButton;
  Label backLink;

 protected:
  void OnMouseUp() override;

 private:
  void FillText();
  void RunGate();

  ControlWindow disagreeWindow_{disagreeButton};
  ControlWindow agreeWindow_{agreeButton};
  int textBottom_ = 0;
};

// The skin's look of a push button on the panels.
void StyleSkinButton(SkinButton& button, std::string_view caption);

}  // namespace dw::ui
