#include "ui/dialogs/msg_win.h"

#include "platform/win32/user_api_win.h"
#include "text/texts.h"

namespace dw::ui {
namespace {

constexpr Bounds kIconBounds{16, 16, 32, 32};

HICON SystemIcon(LPCWSTR id) { return user::SystemIcon(id); }

}  // namespace

HICON ConnectionIcon() {
  if (HICON own = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1))) return own;
  return user::SystemIcon(IDI_APPLICATION);
}

TfrmMsg::TfrmMsg(std::string_view text, int kind, std::span<const int> codes) {
  FormOptions options;
  options.className = kClassName;
  options.clientWidth = 299;
  options.clientHeight = 91;
  options.position = FormPosition::ScreenCentre;
  if (!CreateForm(options)) return;

  lblMsg = AddLabel({kMsgLabelLeft, kMsgLabelTop, 225, kMsgLabelHeight}, "", kAnchorLeftTopRight,
                    SS_LEFTNOWORDWRAP);
  imgWarning = AddPicture(kIconBounds, SystemIcon(IDI_WARNING));
  imgError = AddPicture(kIconBounds, SystemIcon(IDI_ERROR));
  imgInfo = AddPicture(kIconBounds, SystemIcon(IDI_INFORMATION));
  imgConfirm = AddPicture(kIconBounds, SystemIcon(IDI_QUESTION));
  for (Picture* p : {&imgWarning, &imgError, &imgInfo, &imgConfirm}) p->SetVisible(false);

  const MsgKindLook look = MsgKindLookOf(kind);
  SetCaption(Text(look.title));
  switch (look.icon) {
    case MsgIcon::Warning: imgWarning.SetVisible(true); break;
    case MsgIcon::Error: imgError.SetVisible(true); break;
    case MsgIcon::Confirm: imgConfirm.SetVisible(true); break;
    case MsgIcon::Info: imgInfo.SetVisible(true); break;
  }

  const int width = MsgFormWidth(TextWidth(text));
  SetWidth(width);
  SetControlBounds(lblMsg, {kMsgLabelLeft, kMsgLabelTop, MsgLabelWidth(width), kMsgLabelHeight});
  lblMsg.SetText(text);

  for (const MsgButton& b : MsgButtons(width, codes)) {
    Button button = AddButton({b.left, kMsgButtonTop, kMsgButtonWidth, kMsgButtonHeight},
                              Text(b.caption), {}, b.result);
    buttons.push_back(button);
  }
  if (!buttons.empty()) SetActiveControl(buttons.front());
}

int ShowMsg(std::string_view text, int kind, std::span<const int> codes) {
  TfrmMsg form(text, kind, codes);
  if (form.hwnd() == nullptr) return kResultCancel;
  return form.ShowModal();
}

TfrmConnBreak::TfrmConnBreak(HWND owner) {
  FormOptions options;
  options.className = kClassName;
  options.caption = Text(TextId::ConnBreakTitle);
  options.clientWidth = 326;
  options.clientHeight = 93;
  options.stayOnTop = true;
  options.position = FormPosition::DesktopCentre;
  options.owner = owner;
  if (!CreateForm(options)) return;

  Label1 = AddLabel({56, 16, 255, 13}, Text(TextId::ConnBreakQuestion));
  // The question wraps; a one-line height would cut off "Восстановить?".
  FitHeightToText(Label1);
  Image1 = AddPicture({8, 21, 41, 41}, ConnectionIcon());
  // Created in tab order. The check box is never shown and nothing reads it:
  // every drop of the connection asks the question.
  chbAuto = AddCheckBox({248, 48, 33, 17}, Text(TextId::ConnBreakAuto), true);
  chbAuto.SetVisible(false);
  Button2 = AddButton({88, 55, 75, 25}, Text(TextId::ButtonYes), {}, kResultYes, true);
  Button1 = AddButton({168, 55, 75, 25}, Text(TextId::ButtonNo), {}, kResultNo);
  SetActiveControl(Button2);
}

bool ShowConnBreak(HWND owner) {
  TfrmConnBreak form(owner);
  if (form.hwnd() == nullptr) return false;
  return form.ShowModal() == kResultYes;
}

}  // namespace dw::ui
