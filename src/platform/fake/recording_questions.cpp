#include "platform/fake/recording_questions.h"
#include "platform/threads.h"

namespace dw {

bool RecordingQuestions::AskErrorYesNo(std::string_view text) {
  std::lock_guard lock(mutex_);
  asked_.push_back({std::string(text), dw::CurrentThreadId()});
  if (answers_.empty()) return otherwise_;
  const bool answer = answers_.front();
  answers_.pop_front();
  return answer;
}

bool RecordingQuestions::AskYesNo(std::string_view text) { return AskErrorYesNo(text); }

void RecordingQuestions::TellError(std::string_view text) {
  std::lock_guard lock(mutex_);
  asked_.push_back({std::string(text), dw::CurrentThreadId()});
}

void RecordingQuestions::Script(std::vector<bool> answers, bool otherwise) {
  std::lock_guard lock(mutex_);
  answers_.assign(answers.begin(), answers.end());
  otherwise_ = otherwise;
}

std::vector<RecordingQuestions::Asked> RecordingQuestions::Questions() const {
  std::lock_guard lock(mutex_);
  return asked_;
}

}  // namespace dw
