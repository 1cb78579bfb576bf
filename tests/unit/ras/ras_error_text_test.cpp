#include <gtest/gtest.h>


#include "ras/error_text.h"
#include "ras_fixture.h"
#include "text/texts.h"
#include "unit/log/log_test_support.h"
#include "platform/threads.h"

namespace dw::ras::test {
namespace {

class RasErrorTexts : public RasTest {
 protected:
  void SetUp() override { log_.Configure({"/l", "/n"}); }
  std::vector<std::string> Records() const { return log_.Records(); }
  testing::LogFolder log_;
};

TEST_F(RasErrorTexts, TheSystemDescribesCodesAndUnknownOnesHaveNoText) {
  for (Generation g : sim::test::kGenerations) {
    StartRas(g);
    EXPECT_EQ(GetRasErrorDescr(678), "The remote computer did not respond.");
    EXPECT_EQ(GetRasErrorDescr(12345), "");  // RAS answers 87
  }
  EXPECT_EQ(configErrors_.load(), 0);
}

TEST_F(RasErrorTexts, Code711HasTheProgramsTextAndTellsTheMainWindowEveryTime) {
  StartRas(Generation::kWinXp);
  EXPECT_EQ(GetRasErrorDescr(711), Text(TextId::RasConfigError));
  EXPECT_EQ(TextUtf8(TextId::RasConfigError),
            "Во время работы программы возникла ошибка конфигурации системы. Восстановление "
            "требует перезагрузки.");
  EXPECT_EQ(configErrors_.load(), 1);

  // From a worker the send waits until the main window has handled it.
  std::atomic<bool> returned{false};
  std::atomic<int> seenByWorker{-1};
  dw::Thread worker([&] {
    EXPECT_EQ(GetRasErrorDescr(711), Text(TextId::RasConfigError));
    seenByWorker = configErrors_.load();
    returned = true;
  });
  while (!returned) messages_.ProcessPending();
  worker.join();
  EXPECT_EQ(seenByWorker.load(), 2);
  EXPECT_EQ(proxy_->Lookups("RasGetErrorStringA"), 0);
  EXPECT_EQ(proxy_->Lookups("RasEnumDevicesA"), 0);  // not even a readiness check
}

TEST_F(RasErrorTexts, LogRasErrorWritesOneTaggedRecordAndNothingForSuccess) {
  StartRas(Generation::kWin2000);
  LogRasError("EnumDevices", 0);
  EXPECT_EQ(proxy_->Lookups("RasEnumDevicesA"), 0);
  LogRasError("Dial", 678);
  LogRasError("HangUp", 12345);
  LogRasError("GetStatistics", 711);
  EXPECT_EQ(Records(), (std::vector<std::string>{
                           "RAS-Dial|678|The remote computer did not respond.",
                           "RAS-HangUp|12345|Unrecognized",
                           "RAS-GetStatistics|711|" + Text(TextId::RasConfigError),
                       }));
}

TEST_F(RasErrorTexts, AHungServiceGivesUnrecognizedAfterTheReadinessWait) {
  StartRas(Generation::kWin98);
  SetFault(true, false);
  LogRasError("Dial", 678);
  EXPECT_EQ(Records(), (std::vector<std::string>{"RAS-Dial|678|Unrecognized"}));
  EXPECT_EQ(fakeClock_.TotalSlept(), std::chrono::milliseconds(10500));
  EXPECT_EQ(configErrors_.load(), 0);  // the 711 of the check is not the caller's code
}

TEST_F(RasErrorTexts, AMissingEntryPointIsCaughtAndLoggedWith888) {
  StartRas(Generation::kWinMe);
  proxy_->replaced["RasGetErrorStringA"] = nullptr;
  EXPECT_EQ(GetRasErrorDescr(678), "");
  LogRasError("Dial", 678);
  const auto records = Records();
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0], "GetRasErrorDescr|888|RAS entry point not found: RasGetErrorStringA");
  EXPECT_EQ(records[1], records[0]);
  EXPECT_EQ(records[2], "RAS-Dial|678|Unrecognized");
}

}  // namespace
}  // namespace dw::ras::test
