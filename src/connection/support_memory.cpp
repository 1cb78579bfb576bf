#include "connection/support_memory.h"

#include <exception>

#include "log/log.h"
#include "ras/error_text.h"
#include "text/texts.h"

namespace dw::connection {
namespace {

constexpr ras::Dword kNoAnswer = 678;  // ERROR_NO_ANSWER

}  // namespace

std::optional<report::ConnectAttempt> RememberedAttempt(const DialAttempt& attempt) {
  report::ConnectAttempt kept{attempt.started, attempt.apn, attempt.number, attempt.code, {}};
  if (attempt.connected) {
    kept.code = ras::kSuccess;
  } else if (attempt.code != 0) {
    kept.errorText = ras::GetRasErrorDescr(attempt.code);
  } else if (attempt.timedOut) {
    kept.code = kNoAnswer;
    kept.errorText = Text(TextId::DialModemSilent);
  } else {
    return std::nullopt;
  }
  return kept;
}

void AttemptRecorder::AttemptEnded(const DialAttempt& attempt) {
  try {
    const auto kept = RememberedAttempt(attempt);
    if (kept && !report::RecordAttempt(registry_, *kept)) WriteLog("RecordAttempt", 0, "not written");
  } catch (const std::exception& e) {
    WriteLog("RecordAttempt", ras::kCaughtErrorCode, e.what());
  }
}

std::optional<std::string> UpdateAnswerText(const AfterConnectResult& result, bool refreshAsked) {
  if (!refreshAsked) return std::nullopt;
  if (!result.apnsRefreshed) {
    return result.apnMessage.empty() ? Text(TextId::ReportUnknown) : result.apnMessage;
  }
  // A refresh that found its list current says so; one that took a new list
  // leaves no message.
  if (!result.apnMessage.empty()) return result.apnMessage;
  return Text(TextId::UpdateApnListTaken) + result.version;
}

}  // namespace dw::connection
