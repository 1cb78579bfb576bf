// The usage panel's content: this billing period's received, sent and
// total, the allowance left and the forecast, one bar a day (the speed
// graph's control, scaled as it is, the day under the pointer in a tip),
// the twelve periods before, and the budget fields with "Сохранить".
#pragma once

#include "platform/win32/win.h"

#include <functional>
#include <string>

#include "ui/controls/control_window_win.h"
#include "ui/controls/skin_button.h"
#include "ui/controls/speed_graph.h"
#include "ui/framework/subclass_win.h"
#include "ui/panels/panel_content_win.h"
#include "ui/panels/usage.h"

namespace dw::ui {

class UsagePanel final : public PanelContent {
 public:
  // The probe and the journeys find the panel's texts by this class.
  static constexpr const char* kClassName = "DialwaveUsagePanel";
  static constexpr Bounds kChart{20, 128, 250, 56};

  UsagePanel(HWND parent, const Bounds& b);
  ~UsagePanel() override;
  bool Created() const { return hwnd() != nullptr; }

  // The figures; the fields too when `fields` (not while the user types).
  void Show(const UsageFigures& figures, bool fields);
  // The chart's pointer: the tip names the day under (x, y).
  void ChartMouseMove(int x);
  const std::string& ChartTipText() const { return tipText_; }
  ControlWindow& SaveButtonWindow() { return saveWindow_; }

  std::function<void()> onReturn;
  // "Сохранить" with the fields as typed.
  std::function<void(const std::string& billingDay, const std::string& allowanceMb, bool disconnect)>
      onSave;

  Label heading, received, sent, total, left, forecast, historyHeading, history, backLink;
  Control billingDay, allowance;
  CheckBox disconnect;
  Label disconnectText;
  SkinButton saveButton;
  SpeedGraph chart;

 private:
  UsageFigures figures_;
  ControlWindow chartWindow_{chart};
  ControlWindow saveWindow_{saveButton};
  HWND tooltip_ = nullptr;
  std::string tipText_;
  Subclass chartHook_;
};

}  // namespace dw::ui
