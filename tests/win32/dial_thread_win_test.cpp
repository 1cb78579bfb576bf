// The dial thread under Wine, once per generation: through the simulator's
// rasapi32.dll in strict mode (only this generation's record sizes pass), the
// modem's UserInit in the real registry in the generation's layout, and the
// real progress dialog serving the thread's step messages.
#include <gtest/gtest.h>

#include "dial_support_win.h"

namespace dw {
namespace {

using test::DialWineTest;
using ras::Dword;
using ras::Record;

class DialThreadWine : public DialWineTest {};

TEST_F(DialThreadWine, ADialThroughTheSimulatorReachesConnectedWithThisGenerationsRecords) {
  UseSimulator("apn internet.kvr connect\napn * error 734\nnumber *99***1# connect\nnumber * error 691\n");
  SaveEntry("*99***1#");
  ui::ProgressDialog form(nullptr, lock_);
  connection::DialThread thread(Deps(form));
  std::vector<std::string> apns = {"bad.apn", "internet.kvr"};
  const DWORD start = GetTickCount();
  const ras::Handle conn = Run(form, thread, apns);
  const DWORD took = GetTickCount() - start;

  ASSERT_NE(conn, 0u) << "error " << form.Shared().ErrorCode();
  EXPECT_EQ(State(conn), 8192u);
  EXPECT_EQ(apns, (std::vector<std::string>{"internet.kvr", "bad.apn"}));
  EXPECT_EQ(modem::ModemInitStore(*registry_, platformId_).Read(modem_),
            "AT+CGDCONT=1,\"IP\",\"internet.kvr\"");
  // The entry keeps its number, which worked.
  std::vector<std::uint8_t> entry(sizeof(ras::v501::RasEntryA));
  Dword size = ras::EntryBinding().Size(Record::kEntry);
  ras::WriteDword(entry, 0, size);
  ASSERT_EQ(ras::EntryBinding().GetEntryProperties("Korvana", entry.data(), &size, nullptr, nullptr), 0u);
  EXPECT_EQ(ras::ReadField(entry, offsetof(ras::v401::RasEntryA, szLocalPhoneNumber), ras::kMaxPhoneNumber + 1),
            "*99***1#");
  // The wait wakes on the notifications: three attempts, no whole passes.
  EXPECT_LT(took, 20000u);
  EXPECT_GT(form.Shared().BarPosition(), 0);
  EXPECT_EQ(form.statusLine.Text(), thread.StatusText());
}

TEST_F(DialThreadWine, CancelDuringTheWaitHangsUpAndRestoresUserInit) {
  UseSimulator("number * silent\n");
  SaveEntry("*99***1#");
  ui::ProgressDialog form(nullptr, lock_);
  connection::DialThread thread(Deps(form));
  std::vector<std::string> apns = {"internet.kvr"};
  // Cancel as the user would, once the dial waits.
  const DWORD start = GetTickCount();
  bool cancelled = false;
  const ras::Handle conn = Run(form, thread, apns, [&] {
    if (!cancelled && thread.StatusText() == Text(TextId::RasStateConnectDevice)) {
      form.CancelOrClose();
      cancelled = true;
    }
  });
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(conn, 0u);
  EXPECT_TRUE(Connections().empty());
  EXPECT_EQ(modem::ModemInitStore(*registry_, platformId_).Read(modem_), "ATZ");
  EXPECT_LT(GetTickCount() - start, 15000u) << "the cancel is seen within a pass";
}

}  // namespace
}  // namespace dw
