// What a connect leaves behind for the support report: each dial's end and
// the update server's answer, kept in the program's own memory
// (report/history) so that a report made later still shows them.
#pragma once

#include <optional>

#include "connection/after_connect.h"
#include "connection/dial_thread.h"
#include "platform/clock.h"
#include "platform/registry.h"
#include "report/history.h"

namespace dw::connection {

// The attempt as the report keeps it. RAS gives a silent modem no code: it is
// kept as "no answer" (678) with the program's own status line for text, so
// it never reads as connected. A dial stopped before RAS said anything (the
// user's cancel, the program's end) is nullopt: nothing happened to report.
std::optional<report::ConnectAttempt> RememberedAttempt(const DialAttempt& attempt);

// Records each attempt in `registry`, which must outlive the dials. A write
// that fails costs the dial nothing.
class AttemptRecorder final : public DialAttemptListener {
 public:
  explicit AttemptRecorder(Registry& registry) : registry_(registry) {}
  void AttemptEnded(const DialAttempt& attempt) override;

 private:
  Registry& registry_;
};

// The refresh's outcome in words: the new list's version, "not needed", or
// why it failed; nullopt when no refresh ran.
std::optional<std::string> UpdateAnswerText(const AfterConnectResult& result, bool refreshAsked);

}  // namespace dw::connection
