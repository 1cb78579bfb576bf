// The report's ports for tests: files in memory, fixed system facts, a
// ledger that says what it is told.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "report/report.h"

namespace dw::report {

// Files by path; the tail as a real file gives it.
class MemoryFiles final : public ReportFiles {
 public:
  Tail ReadTail(const std::string& path, std::size_t maxBytes) override {
    Tail tail;
    const auto it = files.find(path);
    if (it == files.end()) return tail;
    tail.found = unreadable ? Found::kUnreadable : Found::kYes;
    tail.whole = it->second.size() <= maxBytes;
    tail.bytes = tail.whole ? it->second : it->second.substr(it->second.size() - maxBytes);
    lastMax = maxBytes;
    return tail;
  }
  bool WriteWhole(const std::string& path, std::string_view bytes) override {
    if (refuse) return false;
    files[path] = std::string(bytes);
    return true;
  }
  std::map<std::string, std::string> files;
  bool refuse = false;
  bool unreadable = false;
  std::size_t lastMax = 0;
};

class FixedFacts final : public SystemFacts {
 public:
  WindowsVersion Version() const override { return version; }
  UserRights Rights() const override { return rights; }
  WindowsVersion version{5, 1, 2600, "Service Pack 3"};
  UserRights rights{Answer::kYes, Answer::kUnknown, false};
};

class Ledger final : public UsageLedgerView {
 public:
  std::optional<UsageSummary> CurrentPeriod() const override { return period; }
  std::optional<UsageSummary> period;
};

}  // namespace dw::report
