// The standard error question (title "Error", the error icon, "&Yes" and
// "&No") as a form of ours, so its captions stay English whatever the
// system's language; and the user-interface thread's desk that shows it for
// questions asked on other threads.
#pragma once

#include "platform/win32/win.h"

#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/user_questions.h"
#include "ui/framework/form_win.h"

namespace dw::ui {

class ErrorQuestionDialog final : public Form {
 public:
  static constexpr const char* kClassName = "DialwaveErrorQuestion";

  // Built for `text` (code page 1251, one line); not shown yet.
  explicit ErrorQuestionDialog(std::string_view text);

  Label questionText;
  Picture errorIcon;
  Button yesButton;
  Button noButton;
};

// Shows the question modally on the calling thread; true for "&Yes". Closing
// it from its title bar answers "&No".
bool ShowErrorQuestion(std::string_view text);

// Created on the user-interface thread, which it then serves: a question
// asked there is shown at once; one asked on another thread travels to a
// hidden message-only window of the user-interface thread by a synchronous
// send, and the asking thread waits for the answer.
class Win32UserQuestions final : public UserQuestions {
 public:
  Win32UserQuestions();
  ~Win32UserQuestions() override;

  bool AskErrorYesNo(std::string_view text) override;
  bool AskYesNo(std::string_view text) override;
  void TellError(std::string_view text) override;
  // The desk's window (tests look for the thread that owns it).
  HWND DeskWindow() const;

 private:
  class Desk;
  bool Ask(std::uintptr_t kind, std::string_view text);
  DWORD uiThread_;
  std::unique_ptr<Desk> desk_;
};

}  // namespace dw::ui
