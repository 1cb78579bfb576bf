#include "report/ledger_view.h"

#include "text/texts.h"
#include "usage/billing.h"
#include "usage/calendar.h"
#include "usage/ledger_file.h"

namespace dw::report {
namespace {

LocalDateTime AsTime(usage::Day day) {
  const usage::Date date = usage::DateOf(day);
  LocalDateTime time;
  time.year = date.year;
  time.month = date.month;
  time.day = date.day;
  return time;
}

}  // namespace

LedgerFileView::LedgerFileView(DataFiles& files, const std::string& path, int billingDay,
                               const LocalDateTime& now) {
  std::string bytes;
  const ReadResult read = files.Read(path, usage::kFileBytes, bytes);
  if (read == ReadResult::kMissing) return;  // no ledger yet

  const usage::Period period = usage::PeriodContaining(usage::DayOf(now), billingDay);
  UsageSummary summary;
  summary.periodStart = AsTime(period.first);
  summary.periodEnd = AsTime(period.last);
  if (read == ReadResult::kFailed) {
    summary.notes = Text(TextId::ReportLedgerUnreadable) + path;
  } else {
    const usage::LedgerImage image = usage::DecodeFile(bytes);
    switch (image.state) {
      case usage::FileState::kEmpty:
        break;
      case usage::FileState::kIntact: {
        const usage::Totals totals = image.ledger.Sum(period);
        summary.received = totals.received;
        summary.sent = totals.sent;
        summary.secondsOnline = totals.connectedMs / 1000;
        if (image.otherDamaged) summary.notes = Text(TextId::ReportLedgerCopyDamaged);
        break;
      }
      case usage::FileState::kDamaged:
        summary.notes = Text(TextId::ReportLedgerDamaged) + path;
        break;
      case usage::FileState::kNewerVersion:
        summary.notes = Text(TextId::ReportLedgerNewer) + path;
        break;
    }
  }
  summary_ = summary;
}

}  // namespace dw::report
