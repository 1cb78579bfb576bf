// Questions only the user can answer. They are shown on the user-interface
// thread, whichever thread asks; a worker that asks waits for the answer.
#pragma once

#include <string_view>

namespace dw {

class UserQuestions {
 public:
  virtual ~UserQuestions() = default;
  // The system's standard error question: title "Error", the error icon,
  // buttons "&Yes" and "&No". `text` is code page 1251. Blocks the calling
  // thread until answered; true for "&Yes". A dialog closed without an
  // answer, or one that could not be shown, counts as "&No".
  virtual bool AskErrorYesNo(std::string_view text) = 0;
  // The program's own message box, confirmation icon, "Да" and "Нет"; the
  // same rules. True for "Да".
  virtual bool AskYesNo(std::string_view text) = 0;
  // The program's own message box, error icon and "ОК"; blocks until closed.
  virtual void TellError(std::string_view text) = 0;
};

}  // namespace dw
