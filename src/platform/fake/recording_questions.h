// UserQuestions for tests: records every question and the thread that asked
// it, and answers from a script (then with a fixed answer).
#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/user_questions.h"
#include "platform/threads.h"

namespace dw {

class RecordingQuestions final : public UserQuestions {
 public:
  struct Asked {
    std::string text;
    dw::ThreadId thread;
  };

  bool AskErrorYesNo(std::string_view text) override;
  bool AskYesNo(std::string_view text) override;
  // Recorded like a question; takes no answer from the script.
  void TellError(std::string_view text) override;

  // The answers to give, in order; when they run out, `otherwise`.
  void Script(std::vector<bool> answers, bool otherwise = false);
  std::vector<Asked> Questions() const;

 private:
  mutable dw::Mutex mutex_;
  std::deque<bool> answers_;
  bool otherwise_ = false;
  std::vector<Asked> asked_;
};

}  // namespace dw
