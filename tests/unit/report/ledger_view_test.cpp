// The report's reading of the usage ledger: the billing period's sums from
// the file's newest intact copy, and a file it cannot use stated, never
// renamed or rewritten.
#include "report/ledger_view.h"

#include <gtest/gtest.h>

#include "platform/fake/memory_data_files.h"
#include "text/texts.h"
#include "usage/calendar.h"
#include "usage/ledger_file.h"

namespace dw::report {
namespace {

const std::string kPath = "C:\\Data\\Korvana\\Dialwave\\usage.dat";
const LocalDateTime kNow{2026, 12, 9, 16, 40, 0, 0};

std::string FileOf(const usage::Ledger& ledger, std::uint64_t sequence) {
  return usage::EncodeSlot(ledger, sequence) + std::string(usage::kSlotBytes, '\0');
}

TEST(LedgerView, SumsTheBillingPeriodOfTheNewestCopyAndLeavesTheFileAsItWas) {
  usage::Ledger ledger;
  ledger.Add(usage::DayOf(2026, 11, 14), {5'000, 500, 60'000});  // the period before
  ledger.Add(usage::DayOf(2026, 11, 15), {1'000, 100, 30'000});
  ledger.Add(usage::DayOf(2026, 12, 9), {2'000, 200, 90'500});
  MemoryDataFiles files;
  files.SetContent(kPath, FileOf(ledger, 7));
  const std::string before = *files.Content(kPath);

  const LedgerFileView view(files, kPath, 15, kNow);
  const auto period = view.CurrentPeriod();
  ASSERT_TRUE(period.has_value());
  EXPECT_EQ(period->periodStart.year, 2026);
  EXPECT_EQ(period->periodStart.month, 11);
  EXPECT_EQ(period->periodStart.day, 15);
  EXPECT_EQ(period->periodEnd.month, 12);
  EXPECT_EQ(period->periodEnd.day, 14);
  EXPECT_EQ(period->received, 3'000u);
  EXPECT_EQ(period->sent, 300u);
  EXPECT_EQ(period->secondsOnline, 120u);
  EXPECT_TRUE(period->notes.empty());
  EXPECT_EQ(files.Writes(), 0);
  EXPECT_EQ(files.Files().size(), 1u);
  EXPECT_EQ(*files.Content(kPath), before);
}

TEST(LedgerView, NoFileIsNoLedgerAndAFileItCannotUseIsSaidWithZeros) {
  MemoryDataFiles files;
  EXPECT_FALSE(LedgerFileView(files, kPath, 1, kNow).CurrentPeriod().has_value());

  usage::Ledger ledger;
  ledger.Add(usage::DayOf(2026, 12, 9), {2'000, 200, 1'000});
  std::string damaged = FileOf(ledger, 3);
  damaged[45] = static_cast<char>(damaged[45] ^ 0x5A);  // inside its one day
  files.SetContent(kPath, damaged);
  auto period = LedgerFileView(files, kPath, 1, kNow).CurrentPeriod();
  ASSERT_TRUE(period.has_value());
  EXPECT_EQ(period->received, 0u);
  EXPECT_EQ(period->notes, Text(TextId::ReportLedgerDamaged) + kPath);
  EXPECT_EQ(*files.Content(kPath), damaged) << "set aside only by the running program";
  EXPECT_EQ(files.Files().size(), 1u);

  files.SetContent(kPath, FileOf(ledger, 3));
  files.FailReads(true);
  period = LedgerFileView(files, kPath, 1, kNow).CurrentPeriod();
  ASSERT_TRUE(period.has_value());
  EXPECT_EQ(period->notes, Text(TextId::ReportLedgerUnreadable) + kPath);
}

}  // namespace
}  // namespace dw::report
