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

MessageDialog::MessageDialog(std::string_view text, int kind, std::span<const int> codes) {
  FormOptions options;
  options.className = kClassName;
  options.clientWidth = 299;
  options.clientHeight = 91;
  options.position = FormPosition::ScreenCentre;
  if (!CreateForm(options)) return;

  messageText = AddLabel({kMsgLabelLeft, kMsgLabelTop, 225, kMsgLabelHeight}, "",
                         kAnchorLeftTopRight, SS_LEFTNOWORDWRAP);
  warningIcon = AddPicture(kIconBounds, SystemIcon(IDI_WARNING));
  errorIcon = AddPicture(kIconBounds, SystemIcon(IDI_ERROR));
  infoIcon = AddPicture(kIconBounds, SystemIcon(IDI_INFORMATION));
  questionIcon = AddPicture(kIconBounds, SystemIcon(IDI_QUESTION));
  for (Picture* p : {&warningIcon, &errorIcon, &infoIcon, &questionIcon}) p->SetVisible(false);

  const MsgKindLook look = MsgKindLookOf(kind);
  SetCaption(Text(look.title));
  switch (look.icon) {
    case MsgIcon::Warning: warningIcon.SetVisible(true); break;
    case MsgIcon::Error: errorIcon.SetVisible(true); break;
    case MsgIcon::Confirm: questionIcon.SetVisible(true); break;
    case MsgIcon::Info: infoIcon.SetVisible(true); break;
  }

  const int width = MsgFormWidth(TextWidth(text));
  SetWidth(width);
  SetControlBounds(messageText,
                   {kMsgLabelLeft, kMsgLabelTop, MsgLabelWidth(width), kMsgLabelHeight});
  messageText.SetText(text);

  for (const MsgButton& b : MsgButtons(width, codes)) {
    Button button = AddButton({b.left, kMsgButtonTop, kMsgButtonWidth, kMsgButtonHeight},
                              Text(b.caption), {}, b.result);
    buttons.push_back(button);
  }
  if (!buttons.empty()) SetActiveControl(buttons.front());
}

int ShowMsg(std::string_view text, int kind, std::span<const int> codes) {
  MessageDialog form(text, kind, codes);
  if (form.hwnd() == nullptr) return kResultCancel;
  return form.ShowModal();
}

ReconnectDialog::ReconnectDialog(HWND owner) {
  FormOptions options;
  options.className = kClassName;
  options.caption = Text(TextId::ConnBreakTitle);
  options.clientWidth = 326;
  options.clientHeight = 93;
  options.stayOnTop = true;
  options.position = FormPosition::DesktopCentre;
  options.owner = owner;
  if (!CreateForm(options)) return;

  questionText = AddLabel({56, 16, 255, 13}, Text(TextId::ConnBreakQuestion));
  // The question wraps; a one-line height would cut off "Восстановить?".
  FitHeightToText(questionText);
  icon = AddPicture({8, 21, 41, 41}, ConnectionIcon());
  // Created in tab order. The check box is never shown and nothing reads it:
  // every drop of the connection asks the question.
  autoReconnect = AddCheckBox({248, 48, 33, 17}, Text(TextId::ConnBreakAuto), true);
  autoReconnect.SetVisible(false);
  yesButton = AddButton({88, 55, 75, 25}, Text(TextId::ButtonYes), {}, kResultYes, true);
  noButton = AddButton({168, 55, 75, 25}, Text(TextId::ButtonNo), {}, kResultNo);
  SetActiveControl(yesButton);
}

bool AskToReconnect(HWND owner) {
  ReconnectDialog form(owner);
  if (form.hwnd() == nullptr) return false;
  return form.ShowModal() == kResultYes;
}

}  // namespace dw::ui
