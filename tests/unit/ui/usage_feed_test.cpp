// The main window's feeding of the usage ledger: connections dialled and
// adopted, the sampler's counters (less their baseline) put back to what the
// system reads, the file's writes, the budget's warnings and guard, the tip.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/fake/fake_clock.h"
#include "platform/fake/memory_data_files.h"
#include "unit/ui/main_fakes.h"
#include "usage/calendar.h"

namespace dw::ui::test {
namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t kMb = 1u << 20;

class UsageFeed : public MainFixture {
 protected:
  UsageFeed() {
    usageFiles = files;
    usageClock = &clock;
    Installed();
  }

  // A sample two seconds after the last, as the sampler sends it.
  void Sample(std::uint32_t received, std::uint32_t sent) {
    clock.Advance(2s);
    controller->OnStatistics(received, sent);
  }
  std::uint64_t PeriodBytes() {
    auto* u = controller->Usage();
    return u->PeriodTotals(u->CurrentPeriod(clock.Now())).Bytes();
  }
  // What a later start reads from the file.
  usage::Totals Stored() {
    usage::UsageRecorder::Setup s;
    s.files = files;
    s.path = usagePath;
    usage::UsageRecorder again(std::move(s), clock.Now());
    return again.PeriodTotals(again.CurrentPeriod(clock.Now()));
  }
  void Dial(std::pair<std::uint32_t, std::uint32_t> baseline = {0, 0}) {
    services.counters = baseline;
    services.dialResult = 7;
    controller->ConnectOrDisconnect();
    ASSERT_EQ(controller->ConnectionHandle(), 7u);
  }

  std::shared_ptr<MemoryDataFiles> files = std::make_shared<MemoryDataFiles>();
  FakeClock clock;
};

TEST_F(UsageFeed, ADialledConnectionCountsFromItsBaselineAndIsWrittenAtTheDisconnect) {
  Created();
  Dial({100'000, 50'000});
  Sample(3000, 1000);
  Sample(6000, 2000);
  EXPECT_EQ(PeriodBytes(), 8000u);
  EXPECT_EQ(files->Writes(), 1) << "the first sample's, then none within a minute";
  EXPECT_NE(Cp1251ToUtf8(view.trayHint).find("сеанс 0,0 / период 0,0 Мбайт"), std::string::npos)
      << Cp1251ToUtf8(view.trayHint);

  controller->ConnectOrDisconnect();
  EXPECT_EQ(controller->ConnectionHandle(), 0u);
  EXPECT_FALSE(controller->Usage()->Connected());
  EXPECT_EQ(Stored().received, 6000u);
  EXPECT_EQ(Stored().sent, 2000u);
  EXPECT_GE(Stored().connectedMs, 4000u);
  EXPECT_EQ(Cp1251ToUtf8(view.trayHint), "Dialwave - Отключено, за период 0,0 Мбайт");

  // The next connection starts from its own baseline and adds up.
  Dial({0, 0});
  Sample(3 * kMb, kMb / 2);
  EXPECT_EQ(PeriodBytes(), 8000u + 3 * kMb + kMb / 2);
  EXPECT_EQ(Cp1251ToUtf8(view.trayHint), "Dialwave - Подключено, сеанс 3,5 / период 3,5 Мбайт");
}

TEST_F(UsageFeed, AnAdoptedConnectionCountsFromTheCountersReadAtStart) {
  services.existing = 5;
  services.openConnection = 5;
  services.counters = {0xFFFFF000u, 10'000};
  Created();
  ASSERT_EQ(controller->ConnectionHandle(), 5u);
  ASSERT_TRUE(controller->Usage()->Connected());
  // Received wraps past 2^32 a moment later: 0x2000 bytes, not 4 GiB or less than nothing.
  Sample(0x2000, 500);
  EXPECT_EQ(PeriodBytes(), 0x2000u + 500u);
}

TEST_F(UsageFeed, WhileConnectedTheFileIsWrittenAtMostOnceAMinute) {
  Created();
  Dial();
  std::uint32_t received = 0;
  for (int i = 0; i < 90; ++i) Sample(received += 10'000, 0);  // three minutes
  EXPECT_GE(files->Writes(), 2);
  EXPECT_LE(files->Writes(), 3);
  // What a kill of the process now leaves: all but the last minute at most.
  EXPECT_GE(Stored().received, 900'000u - 300'000u);
}

TEST_F(UsageFeed, TheCloseAndTheEndOfTheSessionWriteWhatWasCounted) {
  for (bool sessionEnd : {false, true}) {
    SCOPED_TRACE(sessionEnd);
    files = std::make_shared<MemoryDataFiles>();
    usageFiles = files;
    Created();
    Dial();
    Sample(5000, 700);
    if (sessionEnd) {
      controller->OnSessionEnd();
    } else {
      controller->OnClose();
    }
    EXPECT_EQ(Stored().Bytes(), 5700u);
  }
}

TEST_F(UsageFeed, TheWarningsComeOncePerPeriodAndNotAgainAfterARestart) {
  Store("AllowanceMB", "4");
  Created();
  Dial();
  Sample(3 * kMb, 0);
  EXPECT_TRUE(view.usageWarnings.empty()) << "75 %";
  Sample(3 * kMb + kMb / 4, 0);
  ASSERT_EQ(view.usageWarnings.size(), 1u);
  EXPECT_NE(view.usageWarnings[0].find("80 %"), std::string::npos);
  Sample(3 * kMb + kMb / 2, 0);
  Sample(4 * kMb, 0);
  ASSERT_EQ(view.usageWarnings.size(), 2u);
  EXPECT_EQ(view.usageWarnings[1],
            "Трафик, включённый в тариф на этот расчётный период, израсходован.");
  EXPECT_EQ(controller->ConnectionHandle(), 7u) << "the disconnect option is off by default";
  Sample(5 * kMb, 0);
  EXPECT_EQ(view.usageWarnings.size(), 2u);
  controller->OnClose();

  view.usageWarnings.clear();
  Created();
  Dial();
  Sample(kMb, 0);
  EXPECT_TRUE(view.usageWarnings.empty());
  EXPECT_TRUE(view.messages.empty()) << "no question without the disconnect option";
}

TEST_F(UsageFeed, AtTheLimitTheOptionHangsUpAndTheNextConnectAsksFirst) {
  Store("AllowanceMB", "1");
  Store("UsedUpDisconnect", "1");
  Created();
  Dial();
  Sample(kMb / 2, 0);
  EXPECT_EQ(controller->ConnectionHandle(), 7u);
  Sample(kMb, 10);
  EXPECT_EQ(controller->ConnectionHandle(), 0u);
  EXPECT_EQ(services.closed, std::vector<ras::Handle>{7});
  ASSERT_FALSE(view.usageWarnings.empty());
  EXPECT_NE(view.usageWarnings.back().find("Соединение разорвано"), std::string::npos);
  EXPECT_EQ(Stored().Bytes(), kMb + 10u) << "written at the hang-up";

  // "No": nothing dialled.
  view.answers = {kResultNo};
  services.dialled.clear();
  controller->ConnectOrDisconnect();
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(Cp1251ToUtf8(view.messages[0].text),
            "Трафик, включённый в тариф на этот расчётный период, израсходован. Всё равно "
            "подключиться?");
  EXPECT_TRUE(services.dialled.empty());
  EXPECT_EQ(controller->ConnectionHandle(), 0u);
  EXPECT_TRUE(controller->connectAction().Enabled());

  // "Yes": dialled, and no hang-up for the rest of the period, even after a restart.
  view.answers = {kResultYes};
  Dial();
  EXPECT_EQ(view.messages.size(), 2u);
  Sample(kMb, 0);
  EXPECT_EQ(controller->ConnectionHandle(), 7u);
  controller->OnClose();
  view.messages.clear();
  Created();
  Dial();
  EXPECT_TRUE(view.messages.empty());
}

TEST_F(UsageFeed, WithoutItsFilesNothingIsCountedAndTheTipIsTheOldOne) {
  usageFiles = nullptr;
  Created();
  Dial();
  Sample(5000, 0);
  EXPECT_EQ(controller->Usage(), nullptr);
  EXPECT_EQ(Cp1251ToUtf8(view.trayHint), "Dialwave - Подключено");
}

TEST(UsageTexts, MegabytesRoundDownToATenthAndDatesAreDotted) {
  EXPECT_EQ(MegabytesText(0), "0,0");
  EXPECT_EQ(MegabytesText(kMb - 1), "0,9");
  EXPECT_EQ(MegabytesText(kMb + kMb / 2), "1,5");
  EXPECT_EQ(MegabytesText(std::uint64_t{10'000'000} * kMb), "10000000,0");
  // Far past 64 bits' room for bytes * 10.
  EXPECT_EQ(MegabytesText(0xFFFFFFFFFFFFFFFFull), "17592186044415,9");
  EXPECT_EQ(DottedDate(usage::DayOf(2027, 2, 3)), "03.02.2027");
}

TEST(UsageTexts, TheBudgetFieldsTakeOnlyValuesInRange) {
  const auto ok = BudgetFromFields(" 31 ", "", true);
  ASSERT_TRUE(ok.has_value());
  EXPECT_EQ(ok->billingDay, 31);
  EXPECT_EQ(ok->allowanceMb, 0u) << "empty: no allowance";
  EXPECT_TRUE(ok->disconnectWhenUsedUp);
  EXPECT_EQ(BudgetFromFields("5", "4096", false)->allowanceMb, 4096u);
  for (const auto& [day, allowance] : std::vector<std::pair<const char*, const char*>>{
           {"0", "1"}, {"32", "1"}, {"", "1"}, {"1", "-5"}, {"1", "10000001"}, {"x", "1"},
           {"1", "1 000"}}) {
    EXPECT_FALSE(BudgetFromFields(day, allowance, false).has_value()) << day << " " << allowance;
  }
}

TEST_F(UsageFeed, ThePanelShowsThePeriodItsDaysAndTheEarlierPeriods) {
  Store("BillingDay", "5");
  Store("AllowanceMB", "10");
  clock.SetNow({2026, 12, 7, 12, 0, 0, 0});
  Created();
  Dial();
  Sample(3 * kMb, kMb);
  controller->ConnectOrDisconnect();

  EXPECT_TRUE(controller->usageAction().Enabled());
  controller->OpenUsagePanel();
  EXPECT_EQ(controller->CurrentStage(), kShowUsage);
  EXPECT_EQ(view.panel, Panel::Usage);
  const UsageFigures& f = view.usageFigures;
  EXPECT_EQ(Cp1251ToUtf8(f.heading), "Трафик за расчётный период 05.12.2026 - 04.01.2027");
  EXPECT_EQ(Cp1251ToUtf8(f.received), "3,0 Мбайт");
  EXPECT_EQ(Cp1251ToUtf8(f.sent), "1,0 Мбайт");
  EXPECT_EQ(Cp1251ToUtf8(f.total), "4,0 Мбайт");
  EXPECT_EQ(Cp1251ToUtf8(f.left), "6,0 Мбайт");
  // 4 MB in 3 days: 10 MB on the 8th day of the period.
  EXPECT_EQ(Cp1251ToUtf8(f.forecast), "При таком расходе лимит закончится 12.12.2026");
  ASSERT_EQ(f.dayKib.size(), 31u);
  EXPECT_EQ(f.dayKib[2], 4096u);
  EXPECT_EQ(f.dayKib[0] + f.dayKib[1] + f.dayKib[3], 0u);
  EXPECT_EQ(Cp1251ToUtf8(UsageDayTip(f, 2)), "07.12.2026: 4,0 Мбайт");
  EXPECT_EQ(UsageDayTip(f, 31), "");
  const std::string history = Cp1251ToUtf8(f.history);
  EXPECT_EQ(std::count(history.begin(), history.end(), '\n'), 12);
  EXPECT_EQ(history.substr(0, history.find('\r')), "с 05.11.2026: 0,0 Мбайт");
  EXPECT_EQ(f.billingDay, "5");
  EXPECT_EQ(f.allowanceMb, "10");

  controller->ReturnFromUsage();
  EXPECT_EQ(controller->CurrentStage(), kShowMain);
  EXPECT_EQ(view.panel, Panel::Main);
}

TEST_F(UsageFeed, ThePanelFollowsTheSamplesWithoutTouchingTheFieldsBeingTyped) {
  Created();
  Dial();
  controller->OpenUsagePanel();
  const int fills = view.usageFieldFills;
  Sample(2 * kMb, 0);
  EXPECT_EQ(Cp1251ToUtf8(view.usageFigures.total), "2,0 Мбайт");
  EXPECT_EQ(view.usageFieldFills, fills);
}

TEST_F(UsageFeed, SaveKeepsValidFieldsAtOnceAndRefusesOthers) {
  Created();
  controller->OpenUsagePanel();
  EXPECT_FALSE(controller->SaveBudget("40", "4", false));
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].kind, 1);
  EXPECT_EQ(controller->settings().AllowanceMb, 0u);
  EXPECT_FALSE(registry.RawValue(kSettingsRoot, kSettingsKeyPath, "AllowanceMB").has_value());

  EXPECT_TRUE(controller->SaveBudget("15", "4", true));
  EXPECT_EQ(controller->Usage()->Budget().allowanceMb, 4u);
  EXPECT_EQ(controller->Usage()->Budget().billingDay, 15);
  EXPECT_TRUE(controller->Usage()->Budget().disconnectWhenUsedUp);
  EXPECT_EQ(view.usageFigures.allowanceMb, "4");
  // In the registry before any close.
  Settings stored;
  LoadSettings(registry, CommandLine::Parse({"x", "/r"}), stored);
  EXPECT_EQ(stored.AllowanceMb, 4u);
  EXPECT_EQ(stored.BillingDay, 15);
  EXPECT_TRUE(stored.DisconnectWhenUsedUp);
}

TEST_F(UsageFeed, TheTrayMenuOpensThePanelFromTheNotificationArea) {
  Created();
  view.hidden = true;
  const auto menu = controller->TrayMenu();
  ASSERT_EQ(menu.size(), 5u);
  EXPECT_EQ(Cp1251ToUtf8(menu[2].caption), "Учёт трафика");
  ASSERT_TRUE(menu[2].enabled);
  menu[2].action->Execute();
  EXPECT_FALSE(view.hidden);
  EXPECT_EQ(view.panel, Panel::Usage);
}

}  // namespace
}  // namespace dw::ui::test
