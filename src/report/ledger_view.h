// The usage ledger as the report reads it: the file's newest intact copy,
// read once and never written or renamed (setting a damaged file aside is
// the running program's business; the report only says so).
#pragma once

#include <optional>
#include <string>

#include "platform/clock.h"
#include "platform/data_files.h"
#include "report/report.h"

namespace dw::report {

class LedgerFileView final : public UsageLedgerView {
 public:
  // `billingDay` as the settings hold it (1..31); `now` picks the period.
  LedgerFileView(DataFiles& files, const std::string& path, int billingDay,
                 const LocalDateTime& now);
  std::optional<UsageSummary> CurrentPeriod() const override { return summary_; }

 private:
  std::optional<UsageSummary> summary_;
};

}  // namespace dw::report
