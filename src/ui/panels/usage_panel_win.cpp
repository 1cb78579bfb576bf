#include "ui/panels/usage_panel_win.h"

#include <commctrl.h>

#include "platform/win32/user_api_win.h"
#include "text/texts.h"
#include "ui/panels/agreement_panel_win.h"

namespace dw::ui {
namespace {

constexpr int kLine = 16;
constexpr int kFiguresTop = 34;
constexpr int kValueLeft = 110;
constexpr int kFieldsTop = 186;
constexpr Bounds kButton{395, 228, 85, 25};

}  // namespace

UsagePanel::UsagePanel(HWND parent, const Bounds& b) {
  if (!CreateContent(kClassName, parent, b)) return;
  heading = AddText(hwnd(), {20, 8, 460, 14}, Text(TextId::UsageHeading), TextStyle::Bold);
  const TextId names[] = {TextId::LabelReceived, TextId::LabelTransmitted, TextId::LabelUsageTotal,
                          TextId::LabelUsageLeft};
  Label* values[] = {&received, &sent, &total, &left};
  for (int i = 0; i < 4; ++i) {
    const int y = kFiguresTop + kLine * i;
    AddText(hwnd(), {20, y, kValueLeft - 20, 14}, Text(names[i]), TextStyle::Normal);
    *values[i] = AddText(hwnd(), {kValueLeft, y, 160, 14}, "", TextStyle::Normal);
  }
  forecast = AddText(hwnd(), {20, kFiguresTop + 4 * kLine + 2, 260, 26}, "", TextStyle::Normal);

  chart.faceColour = kWhite;
  chart.outerBevel = Bevel::None;
  chart.barWidthPercent = 60;
  chart.topColour = 1482540;
  chart.bottomColour = 9687450;
  chartWindow_.Create(hwnd(), kChart.x, kChart.y, kChart.width, kChart.height);
  chartHook_.Attach(chartWindow_.hwnd(), [this](UINT message, WPARAM, LPARAM lparam) {
    if (message == WM_MOUSEMOVE) ChartMouseMove(static_cast<short>(LOWORD(lparam)));
  });
  tooltip_ = user::CreateTooltip(TTS_ALWAYSTIP | TTS_NOPREFIX, GetAncestor(hwnd(), GA_ROOT));
  if (tooltip_ != nullptr) {
    user::AddTool(tooltip_, TTF_IDISHWND | TTF_SUBCLASS, hwnd(),
                  reinterpret_cast<UINT_PTR>(chartWindow_.hwnd()), " ");
  }

  historyHeading =
      AddText(hwnd(), {300, kFiguresTop, 180, 14}, Text(TextId::UsageHistoryHeading), TextStyle::Bold);
  history = AddText(hwnd(), {300, kFiguresTop + 18, 180, 12 * 13 + 4}, "", TextStyle::Normal);

  const auto field = [this](int x, int width, int limit) {
    const Control edit(user::CreateWindowText(
        WS_EX_CLIENTEDGE, "EDIT", "",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | ES_NUMBER | ES_AUTOHSCROLL, x,
        kFieldsTop - 2, width, 19, hwnd(), nullptr));
    SendMessageA(edit.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(TextStyle::Normal)), FALSE);
    SendMessageA(edit.hwnd(), EM_LIMITTEXT, static_cast<WPARAM>(limit), 0);
    return edit;
  };
  AddText(hwnd(), {20, kFieldsTop, 92, 14}, Text(TextId::LabelBillingDay), TextStyle::Normal);
  billingDay = field(114, 30, 2);
  AddText(hwnd(), {158, kFieldsTop, 82, 14}, Text(TextId::LabelAllowance), TextStyle::Normal);
  allowance = field(240, 52, 8);
  disconnect = CheckBox(user::CreateWindowText(
      0, "BUTTON", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | BS_AUTOCHECKBOX, 20,
      kFieldsTop + 22, 16, 16, hwnd(), nullptr));
  disconnectText = AddText(hwnd(), {40, kFieldsTop + 23, 330, 14},
                           Text(TextId::OptionUsedUpDisconnect), TextStyle::Normal);
  HWND label = disconnectText.hwnd();
  SetWindowLongPtrA(label, GWL_STYLE, GetWindowLongPtrA(label, GWL_STYLE) | SS_NOTIFY);
  const CheckBox box = disconnect;
  OnLinkClick(label, [box] { box.SetChecked(!box.Checked()); });

  StyleSkinButton(saveButton, Text(TextId::ActSave));
  saveButton.onClick = [this](SkinButton&) {
    if (onSave) onSave(billingDay.Text(), allowance.Text(), disconnect.Checked());
  };
  saveWindow_.Create(hwnd(), kButton.x, kButton.y, kButton.width, kButton.height);
  user::SetText(saveWindow_.hwnd(), saveButton.caption);

  backLink = AddText(hwnd(), {10, 236, 200, 16}, Text(TextId::PanelReturn), TextStyle::Link);
  OnLinkClick(backLink.hwnd(), [this] {
    if (onReturn) onReturn();
  });
}

UsagePanel::~UsagePanel() {
  chartHook_.Detach();
  if (tooltip_ != nullptr) DestroyWindow(tooltip_);
}

void UsagePanel::Show(const UsageFigures& figures, bool fields) {
  figures_ = figures;
  heading.SetText(figures.heading);
  received.SetText(figures.received);
  sent.SetText(figures.sent);
  total.SetText(figures.total);
  left.SetText(figures.left);
  forecast.SetText(figures.forecast);
  history.SetText(figures.history);
  chart.Clear();
  chart.SetScaleLength(static_cast<std::uint32_t>(figures.dayKib.size()));
  for (std::uint32_t kib : figures.dayKib) chart.AddValue(kib);
  if (fields) {
    billingDay.SetText(figures.billingDay);
    allowance.SetText(figures.allowanceMb);
    disconnect.SetChecked(figures.disconnect);
  }
}

void UsagePanel::ChartMouseMove(int x) {
  const std::int64_t index = chart.IndexAt(x);
  if (index < 0 || tooltip_ == nullptr) return;
  const std::string text = UsageDayTip(figures_, static_cast<std::size_t>(index));
  if (text.empty() || text == tipText_) return;
  tipText_ = text;
  user::SetToolText(tooltip_, hwnd(), reinterpret_cast<UINT_PTR>(chartWindow_.hwnd()), text);
}

}  // namespace dw::ui
