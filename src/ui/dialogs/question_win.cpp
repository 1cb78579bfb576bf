#include "ui/dialogs/question_win.h"

#include <initializer_list>
#include <span>
#include <string>

#include "platform/win32/user_api_win.h"
#include "text/texts.h"
#include "ui/dialogs/msg_layout.h"
#include "ui/dialogs/msg_win.h"

namespace dw::ui {
namespace {

constexpr Bounds kIconBounds{16, 16, 32, 32};
// The desk's own message: wParam the kind of box, lParam the text.
constexpr UINT kMsgAsk = WM_APP + 0x51;
constexpr WPARAM kBoxErrorYesNo = 0;
constexpr WPARAM kBoxYesNo = 1;
constexpr WPARAM kBoxTellError = 2;
// The message box's kinds (msg_layout.h).
constexpr int kKindError = 1;
constexpr int kKindConfirm = 3;
constexpr LRESULT kAnsweredYes = 1;
constexpr LRESULT kAnsweredNo = 2;

}  // namespace

ErrorQuestionDialog::ErrorQuestionDialog(std::string_view text) {
  FormOptions options;
  options.className = kClassName;
  options.caption = Text(TextId::QuestionTitle);
  options.clientWidth = 299;
  options.clientHeight = 91;
  // Above the progress dialog, which stays on top while a dial waits for
  // this answer.
  options.stayOnTop = true;
  options.position = FormPosition::ScreenCentre;
  if (!CreateForm(options)) return;

  questionText = AddLabel({kMsgLabelLeft, kMsgLabelTop, 225, kMsgLabelHeight}, "",
                          kAnchorLeftTopRight, SS_LEFTNOWORDWRAP);
  errorIcon = AddPicture(kIconBounds, user::SystemIcon(IDI_ERROR));
  const int width = MsgFormWidth(TextWidth(text));
  SetWidth(width);
  SetControlBounds(questionText,
                   {kMsgLabelLeft, kMsgLabelTop, MsgLabelWidth(width), kMsgLabelHeight});
  questionText.SetText(text);

  const int left = MsgFirstButtonLeft(width, 2);
  yesButton = AddButton({left, kMsgButtonTop, kMsgButtonWidth, kMsgButtonHeight},
                        Text(TextId::QuestionYes), {}, kResultYes, true);
  noButton = AddButton({left + kMsgButtonPitch, kMsgButtonTop, kMsgButtonWidth, kMsgButtonHeight},
                       Text(TextId::QuestionNo), {}, kResultNo);
  SetActiveControl(yesButton);
}

// The program's message box, above the progress dialog, which stays on top
// while a dial waits for this answer.
int ShowOnTop(std::string_view text, int kind, std::initializer_list<int> codes) {
  MessageDialog form(text, kind, std::span<const int>(codes.begin(), codes.size()));
  if (form.hwnd() == nullptr) return kResultCancel;
  SetWindowPos(form.hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  return form.ShowModal();
}

// One box of `kind` on the calling thread; true for "Yes" ("Да").
bool ShowBox(WPARAM kind, std::string_view text) {
  switch (kind) {
    case kBoxYesNo:
      return ShowOnTop(text, kKindConfirm, {kMsgYes, kMsgNo}) == kResultYes;
    case kBoxTellError:
      ShowOnTop(text, kKindError, {kMsgOk});
      return false;
    default:
      return ShowErrorQuestion(text);
  }
}

bool ShowErrorQuestion(std::string_view text) {
  ErrorQuestionDialog form(text);
  if (form.hwnd() == nullptr) return false;
  return form.ShowModal() == kResultYes;
}

class Win32UserQuestions::Desk final : public WindowBase {
 public:
  static constexpr const char* kClassName = "KorvanaDialwaveQuestions";

  bool Create() {
    RegisterClassOnce(kClassName);
    return WindowBase::Create(kClassName, 0, 0, "", 0, 0, 0, 0, HWND_MESSAGE);
  }

 protected:
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override {
    if (message != kMsgAsk) return false;
    const auto* text = reinterpret_cast<const std::string*>(lparam);
    result = ShowBox(wparam, *text) ? kAnsweredYes : kAnsweredNo;
    return true;
  }
};

Win32UserQuestions::Win32UserQuestions()
    : uiThread_(GetCurrentThreadId()), desk_(std::make_unique<Desk>()) {
  desk_->Create();
}

Win32UserQuestions::~Win32UserQuestions() = default;

HWND Win32UserQuestions::DeskWindow() const { return desk_->hwnd(); }

bool Win32UserQuestions::AskErrorYesNo(std::string_view text) { return Ask(kBoxErrorYesNo, text); }
bool Win32UserQuestions::AskYesNo(std::string_view text) { return Ask(kBoxYesNo, text); }
void Win32UserQuestions::TellError(std::string_view text) { Ask(kBoxTellError, text); }

bool Win32UserQuestions::Ask(std::uintptr_t kind, std::string_view text) {
  if (GetCurrentThreadId() == uiThread_) return ShowBox(kind, text);
  const HWND desk = desk_->hwnd();
  if (desk == nullptr) return false;
  const std::string question(text);
  // Blocks until the user-interface thread has shown the dialog and it is
  // answered; 0 when the desk is gone, which counts as "No".
  return SendMessageA(desk, kMsgAsk, kind, reinterpret_cast<LPARAM>(&question)) == kAnsweredYes;
}

}  // namespace dw::ui
