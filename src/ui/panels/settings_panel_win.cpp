#include "ui/panels/settings_panel_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include "platform/win32/canvas_win.h"
#include "platform/win32/user_api_win.h"
#include "text/texts.h"
#include "ui/panels/agreement_panel_win.h"
#include "ui/panels/settings.h"

namespace dw::ui {
namespace {

constexpr Bounds kHeading{10, 4, 300, 24};
constexpr Bounds kChoose{20, 36, 200, 14};
constexpr Bounds kRefresh{420, 36, 60, 14};
constexpr int kNoteTop = SettingsPanel::kList.y + SettingsPanel::kList.height + 8;
constexpr int kOptionsTop = 164;
constexpr int kOptionStep = 20;
constexpr Bounds kButton{395, 228, 85, 25};

COLORREF ToColorref(Color c) { return static_cast<COLORREF>(c); }

}  // namespace

SettingsPanel::SettingsPanel(HWND parent, const Bounds& b, HMODULE resources) {
  if (!CreateContent(kClassName, parent, b)) return;
  installHeading.Create(hwnd(), kHeading);
  serviceHeading.Create(hwnd(), kHeading);
  if (resources != nullptr) {
    installHeading.LoadGif(resources, "HEADING_START");
    serviceHeading.LoadGif(resources, "HEADING_SERVICE");
  }
  ShowWindow(serviceHeading.hwnd(), SW_HIDE);

  chooseModemText = AddText(hwnd(), kChoose, Text(TextId::LabelChooseModem), TextStyle::Normal);
  refreshLink = AddText(hwnd(), kRefresh, Text(TextId::LinkRefresh), TextStyle::Link);
  SetWindowLongPtrA(refreshLink.hwnd(), GWL_STYLE,
                    GetWindowLongPtrA(refreshLink.hwnd(), GWL_STYLE) | SS_RIGHT);
  hiddenRefreshLink = AddText(hwnd(), kRefresh, Text(TextId::LinkRefresh), TextStyle::Link);
  hiddenRefreshLink.SetVisible(false);
  for (const Label& link : {refreshLink, hiddenRefreshLink}) {
    HWND w = link.hwnd();
    OnLinkClick(w, [this, w] {
      if (onRefresh) onRefresh(w);
    });
  }

  // Owner-drawn with fixed 17-pixel items and no frame of its own; the grey
  // panel behind it, one pixel larger each way, is the frame.
  modemList = ListBox(user::CreateWindowText(
      0, "LISTBOX", "",
      WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | WS_CLIPSIBLINGS | LBS_NOTIFY |
          LBS_HASSTRINGS | LBS_OWNERDRAWFIXED | LBS_NOINTEGRALHEIGHT,
      kList.x, kList.y, kList.width, kList.height, hwnd(), nullptr));
  SendMessageA(modemList.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(TextStyle::Normal)),
               FALSE);
  SendMessageA(modemList.hwnd(), LB_SETITEMHEIGHT, 0, kModemItemHeight);
  // The list's own mouse moves feed its tooltip.
  listHook_.Attach(modemList.hwnd(), [this](UINT message, WPARAM, LPARAM lparam) {
    if (message == WM_MOUSEMOVE) ModemListMouseMove(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
  });
  // Created after the list, so it lies behind it.
  frameBrush_.reset(CreateSolidBrush(ToColorref(kModemFrameColour)));
  listFrame = Label(user::CreateWindowText(0, "STATIC", "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                                           kList.x - 1, kList.y - 1, kList.width + 2,
                                           kList.height + 2, hwnd(), nullptr));
  CreateTooltip();

  const std::string note = Text(TextId::LabelDeviceNote);
  deviceNote = AddText(hwnd(), {20, kNoteTop, 460, TextHeight(note, 460, TextStyle::Normal)}, note,
                       TextStyle::Normal);

  CheckBox* boxes[] = {&desktopOption, &autorunOption, &copyOption};
  Label* labels[] = {&desktopOptionText, &autorunOptionText, &copyOptionText};
  const TextId texts[] = {TextId::OptionDesktop, TextId::OptionAutorun, TextId::OptionCopy};
  for (int i = 0; i < 3; ++i) {
    const int y = kOptionsTop + kOptionStep * i;
    *boxes[i] = CheckBox(user::CreateWindowText(
        0, "BUTTON", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | BS_AUTOCHECKBOX, 20,
        y, 16, 16, hwnd(), nullptr));
    boxes[i]->SetChecked(true);
    *labels[i] = AddText(hwnd(), {40, y + 1, 340, 14}, Text(texts[i]), TextStyle::Normal);
    HWND label = labels[i]->hwnd();
    SetWindowLongPtrA(label, GWL_STYLE, GetWindowLongPtrA(label, GWL_STYLE) | SS_NOTIFY);
    // Clicking the text ticks its box, as on a check box's own caption.
    const CheckBox box = *boxes[i];
    OnLinkClick(label, [box] { box.SetChecked(!box.Checked()); });
  }

  StyleSkinButton(nextButton, Text(TextId::ActNext));
  StyleSkinButton(chooseButton, Text(TextId::ActSelect));
  nextButton.onClick = [this](SkinButton&) {
    if (onNext) onNext();
  };
  chooseButton.onClick = [this](SkinButton&) {
    if (onChoose) onChoose();
  };
  nextWindow_.Create(hwnd(), kButton.x, kButton.y, kButton.width, kButton.height);
  chooseWindow_.Create(hwnd(), kButton.x, kButton.y, kButton.width, kButton.height);
  ShowWindow(chooseWindow_.hwnd(), SW_HIDE);
}

SettingsPanel::~SettingsPanel() {
  listHook_.Detach();
  if (tooltip_ != nullptr) DestroyWindow(tooltip_);
}

void SettingsPanel::CreateTooltip() {
  HWND top = GetAncestor(hwnd(), GA_ROOT);
  tooltip_ = user::CreateTooltip(TTS_ALWAYSTIP | TTS_NOPREFIX, top);
  if (tooltip_ == nullptr) return;
  user::AddTool(tooltip_, TTF_IDISHWND | TTF_SUBCLASS, hwnd(),
                reinterpret_cast<UINT_PTR>(modemList.hwnd()), "");
  // A long name on one line, however wide.
  SendMessageA(tooltip_, TTM_SETMAXTIPWIDTH, 0, GetSystemMetrics(SM_CXSCREEN));
}

void SettingsPanel::SetTooltipText(const std::string& cp1251) {
  if (tooltip_ == nullptr || cp1251 == tipText_) return;
  tipText_ = cp1251;
  user::SetToolText(tooltip_, hwnd(), reinterpret_cast<UINT_PTR>(modemList.hwnd()), cp1251);
}

void SettingsPanel::ModemListMouseMove(int x, int y) {
  RECT client{};
  GetClientRect(modemList.hwnd(), &client);
  const int top = static_cast<int>(SendMessageA(modemList.hwnd(), LB_GETTOPINDEX, 0, 0));
  const int index = ModemItemAt(x, y, client.right, client.bottom, top, modemList.Count());
  // Off the items the tooltip keeps what it had.
  if (index >= 0) SetTooltipText(modemList.Item(index));
}

void SettingsPanel::DrawItem(const DRAWITEMSTRUCT& item) {
  GdiCanvas canvas(item.hDC);
  canvas.SetFont("Tahoma", -11);
  const Rect r{item.rcItem.left, item.rcItem.top, item.rcItem.right, item.rcItem.bottom};
  const ModemItemState state{(item.itemState & ODS_SELECTED) != 0, (item.itemState & ODS_FOCUS) != 0};
  if (item.itemID == static_cast<UINT>(-1)) {
    // An empty list that has the focus: only the focus rectangle.
    const ModemListColours colours;
    canvas.SetBrushColor(colours.window);
    canvas.FillRect(r);
    if (state.focused) canvas.DrawFocusRect(r);
    return;
  }
  DrawModemItem(canvas, r, modemList.Item(static_cast<int>(item.itemID)), state);
}

bool SettingsPanel::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  switch (message) {
    case WM_MEASUREITEM: {
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
      if (measure->CtlType != ODT_LISTBOX) return false;
      measure->itemHeight = kModemItemHeight;
      result = TRUE;
      return true;
    }
    case WM_DRAWITEM: {
      const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (draw->hwndItem != modemList.hwnd()) return false;
      DrawItem(*draw);
      result = TRUE;
      return true;
    }
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lparam) == listFrame.hwnd() && listFrame) {
        result = reinterpret_cast<LRESULT>(frameBrush_.get());
        return true;
      }
      break;
    case WM_COMMAND:
      if (reinterpret_cast<HWND>(lparam) == modemList.hwnd() && modemList) {
        if (HIWORD(wparam) == LBN_DBLCLK && onModemDoubleClick) onModemDoubleClick();
        result = 0;
        return true;
      }
      break;
    default:
      break;
  }
  return PanelContent::OnMessage(message, wparam, lparam, result);
}

}  // namespace dw::ui
