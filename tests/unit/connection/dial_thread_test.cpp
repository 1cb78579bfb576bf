// The dial thread against the simulator: adoption, the APN and number
// order, what the modem's UserInit holds after each outcome, the bar as the
// time limit, cancel, refused starts and errors inside the thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>

#include "ras/error_text.h"
#include "unit/connection/dial_fixture.h"

namespace dw::connection::test {
namespace {

using ras::Generation;
using sim::Outcome;

const std::string kBadInit = "AT+CGDCONT=1,\"IP\",\"old.apn\"";

int Count(const std::vector<ProgressEvent>& events, std::uint32_t message) {
  return static_cast<int>(std::count_if(events.begin(), events.end(),
                                        [&](const ProgressEvent& e) { return e.message == message; }));
}

TEST(DialTexts, ApnCommandTrimAndRetryableCodes) {
  EXPECT_EQ(ApnCommand("internet.kvr"), "AT+CGDCONT=1,\"IP\",\"internet.kvr\"");
  EXPECT_EQ(ApnCommand("internet.kvr").size(), 32u);
  EXPECT_EQ(ApnCommand("").size(), 20u) << "19 characters up to the APN's opening quotation mark";
  EXPECT_EQ(TrimApn(" \t internet.kvr\r\n"), "internet.kvr");
  EXPECT_EQ(TrimApn("in ter"), "in ter");
  EXPECT_EQ(TrimApn(" \x01 "), "");
  for (ras::Dword code : {629u, 660u, 668u, 676u, 678u, 691u, 719u, 730u, 734u, 736u, 749u, 645u}) {
    EXPECT_TRUE(IsRetryableDialError(code)) << code;
  }
  for (ras::Dword code : {0u, 633u, 718u, 711u, 692u, 735u}) EXPECT_FALSE(IsRetryableDialError(code)) << code;
}

class DialThread : public DialTest {
 protected:
  // A dial of the first APN with `deps`, `fail` set as the status `at` shows.
  ras::Handle RunFailing(const DialDependencies& deps, std::atomic<bool>& fail, TextId at) {
    onProgress = [&fail, at](const ProgressEvent& e) {
      if (e.status == Text(at)) fail.store(true);
    };
    std::vector<std::string> apns = {"internet.kvr"};
    connection::DialThread thread(deps);
    return RunDial(thread, apns);
  }
};

TEST_F(DialThread, ConnectsWithTheFirstApnOnEveryGeneration) {
  for (Generation g : sim::test::kGenerations) {
    SCOPED_TRACE(static_cast<int>(g));
    events.clear();
    baselines.clear();
    Prepare(g, Quick(sim::DefaultScenario()), "*99***1#", "ATZ");
    // The system-wide counters the 9x generations keep.
    const std::uint8_t received[] = {0x10, 0x27, 0, 0}, sent[] = {0xE8, 0x03, 0, 0};
    registry_.SetValue(RegistryRoot::kDynData, kStatDataKey, kBytesReceivedValue,
                       MemoryRegistry::ValueType::kBinary, {received, received + 4});
    registry_.SetValue(RegistryRoot::kDynData, kStatDataKey, kBytesSentValue,
                       MemoryRegistry::ValueType::kBinary, {sent, sent + 4});
    std::vector<std::string> apns = {"internet.kvr", "internet.ltkvr"};
    const ras::Handle conn = RunDial(apns);

    ASSERT_NE(conn, 0u);
    EXPECT_EQ(connectionAfter, conn);
    const auto live = Live();
    ASSERT_EQ(live.size(), 1u);
    EXPECT_EQ(live[0].connection.handle, conn);
    EXPECT_TRUE(live[0].view.connected);
    EXPECT_EQ(live[0].connection.apn, "internet.kvr");
    EXPECT_EQ(live[0].connection.phone, "*99***1#");
    // The modem keeps the APN that works; presence learns the APN from it.
    EXPECT_EQ(UserInit(), kKvrInit);
    EXPECT_EQ(apns, (std::vector<std::string>{"internet.kvr", "internet.ltkvr"}));
    EXPECT_EQ(EntryPhone(kEntry), "*99***1#");
    EXPECT_EQ(entryAfter, kEntry);

    EXPECT_EQ(logFiles->Messages("DIAL-params"),
              (std::vector<std::string>{
                  "Entry: Korvana ; Phone: *99***1#  ; APN: internet.kvr  User: pvlok  ; Pswd: pvlok  "}));
    // The thread's own statuses, then those of the states, in order.
    const std::vector<TextId> order = {TextId::DialChoosing,         TextId::DialModemSetup,
                                       TextId::DialConnectionSetup,  TextId::RasStateOpenPort,
                                       TextId::RasStatePortOpened,   TextId::RasStateConnectDevice,
                                       TextId::RasStateDeviceConnected, TextId::RasStateAllDevicesConnected,
                                       TextId::RasStateAuthenticate, TextId::RasStateAuthenticated,
                                       TextId::RasStateAuthProject,  TextId::RasStateProjected};
    auto it = events.begin();
    for (TextId id : order) {
      it = std::find_if(it, events.end(), [&](const ProgressEvent& e) { return e.status == Text(id); });
      ASSERT_NE(it, events.end()) << TextUtf8(id);
    }
    EXPECT_EQ(Count(events, kMsgProgressFirstStep), 0);
    EXPECT_EQ(Count(events, kMsgProgressLastStep), 0);
    EXPECT_EQ(progress.ErrorCode(), 0u);
    EXPECT_FALSE(DialThreadRegistered());
    // From Windows 2000 on the new connection's counters start at zero.
    if (ras::test::WinVerOf(g) >= 500) {
      EXPECT_EQ(baselines, (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{0, 0}}));
    } else {
      // Before Windows 2000 only the growth of the system-wide counters is ours.
      EXPECT_EQ(baselines, (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{10000, 1000}}));
    }
  }
}

TEST_F(DialThread, AdoptsAConnectionThroughTheModemWithoutDialling) {
  for (Generation g : {Generation::kWinXp, Generation::kWin2000}) {
    events.clear();
    baselines.clear();
    Prepare(g);
    ras::Handle existing = 0;
    ASSERT_EQ(Dial(kEntry, existing), 0u);
    CompleteDial(10);
    clock_.Advance(4000);  // traffic of four seconds
    const auto before = Live();
    ASSERT_EQ(before.size(), 1u);
    ASSERT_TRUE(before[0].view.connected);

    std::vector<std::string> apns = {"internet.kvr"};
    EXPECT_EQ(RunDial(apns), existing);
    EXPECT_EQ(connectionAfter, existing);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].message, kMsgProgressLastStep);
    EXPECT_EQ(events[0].position, 590);
    EXPECT_EQ(events[0].status, "") << "no status was set before";
    ASSERT_EQ(baselines.size(), 1u);
    EXPECT_EQ(baselines[0].first, before[0].view.received);
    EXPECT_EQ(baselines[0].second, before[0].view.sent);
    EXPECT_GT(baselines[0].first, 0u);
    EXPECT_TRUE(logFiles->Messages("DIAL-params").empty());
    EXPECT_EQ(Live().size(), 1u);
    EXPECT_EQ(UserInit(), kKvrInit);
  }
}

TEST_F(DialThread, TheSecondApnConnectingMovesToTheFrontTrimmed) {
  // The saved UserInit selects an APN the network refuses, so the second
  // number of the first APN (dialled with the saved text) fails as well.
  Prepare(Generation::kWinXp, Quick(sim::DefaultScenario()), "*99***1#", kBadInit);
  std::vector<std::string> apns = {"bad.apn", "  internet.kvr\t", "third"};
  const ras::Handle conn = RunDial(apns);
  ASSERT_NE(conn, 0u);
  EXPECT_EQ(apns, (std::vector<std::string>{"internet.kvr", "bad.apn", "third"}));
  EXPECT_EQ(Live().at(0).connection.apn, "internet.kvr");
  EXPECT_EQ(UserInit(), kKvrInit);
  // "*99***1#" is the entry's own number: only "*99#" is an alternate.
  EXPECT_EQ(logFiles->Messages("DIAL-params"),
            (std::vector<std::string>{
                "Entry: Korvana ; Phone: *99***1#  ; APN: bad.apn  User: pvlok  ; Pswd: pvlok  ",
                "Entry: Korvana ; Phone: *99#  ; APN: bad.apn  User: pvlok  ; Pswd: pvlok  ",
                "Entry: Korvana ; Phone: *99***1#  ; APN:   internet.kvr\t  User: pvlok  ; Pswd: pvlok  "}));
  // Each failed attempt restarts the bar.
  EXPECT_EQ(Count(events, kMsgProgressFirstStep), 2);
  EXPECT_EQ(Live().size(), 1u) << "failed attempts are hung up";
}

TEST_F(DialThread, AnEntryNumberOfStar99HasOneAlternateAndUserInitIsRestored) {
  Prepare(Generation::kWin2000,
          WithNumbers({{"*99#", Outcome::Error(691)}, {"*99***1#", Outcome::Error(678)}}), "*99#",
          kBadInit);
  std::vector<std::string> apns = {"internet.kvr", "internet.ltkvr"};
  EXPECT_EQ(RunDial(apns), 0u);
  EXPECT_EQ(DialedPhones(), (std::vector<std::string>{"*99#", "*99***1#", "*99#", "*99***1#"}));
  EXPECT_EQ(UserInit(), kBadInit) << "a failed attempt gives the modem its own text back";
  EXPECT_EQ(apns, (std::vector<std::string>{"internet.kvr", "internet.ltkvr"}));
  EXPECT_TRUE(Live().empty());
  EXPECT_EQ(progress.ErrorCode(), 678u);
  EXPECT_EQ(progress.ErrorText(), ras::GetRasErrorDescr(678));
  EXPECT_EQ(EntryPhone(kEntry), "*99#");
}

TEST_F(DialThread, AnAlternateThatConnectsBecomesTheEntrysNumber) {
  for (Generation g : {Generation::kWin98, Generation::kWinXp}) {
    events.clear();
    Prepare(g, WithNumbers({{"*99#", Outcome::Error(691)}, {"*99***1#", Outcome::Connect()}}), "*99#");
    std::vector<std::string> apns = {"internet.kvr"};
    ASSERT_NE(RunDial(apns), 0u);
    EXPECT_EQ(DialedPhones(), (std::vector<std::string>{"*99#", "*99***1#"}));
    EXPECT_EQ(EntryPhone(kEntry), "*99***1#");
    EXPECT_TRUE(logFiles->Messages("RAS-Execute-SetConnProperties").empty()) << logFiles->Text();
  }
}

// The network drops the dial before it is through: RAS forgets the handle
// and says nothing more. The wait notices at its next pass instead of
// running the bar out, reports a remote drop and tries the next number.
TEST_F(DialThread, ADialTheNetworkDropsEndsAtTheNextPassAndTheNextNumberIsTried) {
  Prepare(Generation::kWinXp, WithNumbers({{"*99***1#", Outcome::Silent()}, {"*99#", Outcome::Connect()}}),
          "*99***1#", kBadInit);
  std::vector<std::string> apns = {"internet.kvr"};
  // Dropped while the thread waits for its status step to be shown, so
  // before its next pass.
  bool dropped = false;
  onProgress = [&](const ProgressEvent& e) {
    if (!dropped && e.status == Text(TextId::RasStateConnectDevice)) dropped = sim_->Drop(std::nullopt) == 1;
  };
  const auto sleptBefore = fakeClock_.TotalSlept();
  const ras::Handle conn = RunDial(apns);
  ASSERT_TRUE(dropped);
  ASSERT_NE(conn, 0u) << "the next number connects; error " << progress.ErrorCode() << "\n" << logFiles->Text();
  EXPECT_EQ(DialedPhones(), (std::vector<std::string>{"*99***1#", "*99#"}));
  EXPECT_TRUE(SawStatus(TextId::DialModemSetup));
  EXPECT_FALSE(SawStatus(TextId::DialModemSilent));
  EXPECT_NE(logFiles->Messages("RAS-Dial-Status").size(), 0u) << logFiles->Text();
  EXPECT_LT(fakeClock_.TotalSlept() - sleptBefore, std::chrono::milliseconds(20'000))
      << "the bar was not run out";
  EXPECT_EQ(UserInit(), ApnCommand("internet.kvr")) << "the next number dialled with the APN";
}

TEST_F(DialThread, ADroppedDialWithNothingElseToTryReportsTheDropAndRestoresUserInit) {
  Prepare(Generation::kWin98, WithNumbers({{"*", Outcome::Silent()}}), "*99***1#", kBadInit);
  std::vector<std::string> apns = {"internet.kvr"};
  int drops = 0;
  onProgress = [&](const ProgressEvent& e) {
    if (e.status == Text(TextId::RasStateConnectDevice)) drops += sim_->Drop(std::nullopt);
  };
  EXPECT_EQ(RunDial(apns), 0u);
  EXPECT_EQ(drops, 2) << "both numbers were dialled and dropped";
  EXPECT_EQ(progress.ErrorCode(), kDialDroppedError);
  EXPECT_EQ(progress.ErrorText(), ras::GetRasErrorDescr(kDialDroppedError));
  EXPECT_EQ(UserInit(), kBadInit);
  EXPECT_EQ(EntryPhone(kEntry), "*99***1#");
  EXPECT_TRUE(Live().empty());
}

TEST_F(DialThread, Error691MovesOnAfterTheBarRestartsAnd718EndsAtOnce) {
  Prepare(Generation::kWinXp, WithNumbers({{"*99***1#", Outcome::Error(691)}, {"*99#", Outcome::Connect()}}));
  std::vector<std::string> apns = {"internet.kvr"};
  // The restart sets the saved UserInit back before "*99#": here it is the
  // same command, so the second number connects.
  ASSERT_NE(RunDial(apns), 0u);
  EXPECT_EQ(DialedPhones(), (std::vector<std::string>{"*99***1#", "*99#"}));
  const auto restart = std::find_if(events.begin(), events.end(), [](const ProgressEvent& e) {
    return e.message == kMsgProgressFirstStep;
  });
  ASSERT_NE(restart, events.end());
  EXPECT_EQ(restart->position, 10);
  EXPECT_TRUE(SawStatus(TextId::DialClosing));
  const auto error = std::find_if(events.begin(), restart, [](const ProgressEvent& e) {
    return e.status == Text(TextId::DialLinkError) + "691";
  });
  EXPECT_NE(error, restart) << "the notification's status comes before the restart";
  EXPECT_NE(std::find_if(restart, events.end(),
                         [](const ProgressEvent& e) { return e.status == Text(TextId::RasStateOpenPort); }),
            events.end());
  EXPECT_EQ(logFiles->Messages("RAS-Dialing error code").size(), 1u);
  EXPECT_EQ(EntryPhone(kEntry), "*99#");

  // 718 is not worth another number.
  events.clear();
  Prepare(Generation::kWinXp, WithNumbers({{"*99***1#", Outcome::Error(718)}, {"*99#", Outcome::Connect()}}));
  EXPECT_EQ(RunDial(apns), 0u);
  EXPECT_EQ(DialedPhones(), (std::vector<std::string>{"*99***1#"}));
  EXPECT_EQ(Count(events, kMsgProgressFirstStep), 0);
  EXPECT_EQ(progress.ErrorCode(), 718u);
  EXPECT_EQ(progress.ErrorText(), ras::GetRasErrorDescr(718));
  EXPECT_FALSE(progress.ErrorText().empty());
  EXPECT_TRUE(Live().empty());
}

TEST_F(DialThread, ASilentModemEndsAtTheBarsLastStepWithoutFurtherAttempts) {
  Prepare(Generation::kWinXp, WithNumbers({{"*", Outcome::Silent()}}), "*99***1#", kBadInit);
  std::vector<std::string> apns = {"internet.kvr", "internet.ltkvr"};
  const auto sleptBefore = fakeClock_.TotalSlept();
  EXPECT_EQ(RunDial(apns), 0u);
  EXPECT_EQ(DialedPhones(), (std::vector<std::string>{"*99***1#"}));
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back().status, Text(TextId::DialModemSilent));
  EXPECT_TRUE(SawStatus(TextId::DialClosing));
  EXPECT_NE(std::find_if(events.begin(), events.end(), [](const ProgressEvent& e) { return e.position == 590; }),
            events.end());
  EXPECT_EQ(progress.ErrorCode(), 0u);
  EXPECT_EQ(UserInit(), kBadInit);
  EXPECT_TRUE(Live().empty()) << "the silent dial is hung up";
  // The bar is the clock: 500 ms a step from where the statuses left it.
  const auto waited = fakeClock_.TotalSlept() - sleptBefore;
  EXPECT_GE(waited, std::chrono::milliseconds(25'000));
  EXPECT_LE(waited, std::chrono::milliseconds(40'000));
}

TEST_F(DialThread, CancelDuringTheWaitHangsUpAndEndsWithZero) {
  Prepare(Generation::kWinMe, WithNumbers({{"*", Outcome::Silent()}}), "*99***1#", kBadInit);
  onProgress = [this](const ProgressEvent& e) {
    if (e.status == Text(TextId::RasStateConnectDevice)) progress.SetCancelled(true);
  };
  std::vector<std::string> apns = {"internet.kvr", "internet.ltkvr"};
  EXPECT_EQ(RunDial(apns), 0u);
  EXPECT_EQ(connectionAfter, 0u);
  EXPECT_EQ(DialedPhones().size(), 1u);
  EXPECT_TRUE(Live().empty());
  EXPECT_EQ(UserInit(), kBadInit);
  EXPECT_TRUE(SawStatus(TextId::DialClosing));
  EXPECT_FALSE(SawStatus(TextId::DialModemSilent));
  EXPECT_LT(events.back().position, 590);
}

TEST_F(DialThread, EveryStateSetsItsStatusAndConnectedEndsTheWait) {
  struct Row {
    ras::Dword state;
    TextId text;
  };
  const Row rows[] = {
      {0, TextId::RasStateOpenPort},         {1, TextId::RasStatePortOpened},
      {2, TextId::RasStateConnectDevice},    {3, TextId::RasStateDeviceConnected},
      {4, TextId::RasStateAllDevicesConnected}, {5, TextId::RasStateAuthenticate},
      {6, TextId::RasStateAuthNotify},       {7, TextId::RasStateAuthRetry},
      {8, TextId::RasStateAuthCallback},     {9, TextId::RasStateAuthChangePassword},
      {10, TextId::RasStateAuthProject},     {11, TextId::RasStateAuthLinkSpeed},
      {12, TextId::RasStateAuthAck},         {13, TextId::RasStateReAuthenticate},
      {14, TextId::RasStateAuthenticated},   {15, TextId::RasStatePrepareForCallback},
      {16, TextId::RasStateWaitForModemReset}, {17, TextId::RasStateWaitForCallback},
      {18, TextId::RasStateProjected},       {19, TextId::RasStateAuthenticate},
      {20, TextId::RasStateCallbackComplete}, {21, TextId::RasStateLogonNetwork},
      {4096, TextId::RasStateInteractive},   {4097, TextId::RasStateRetryAuthentication},
      {4098, TextId::RasStateCallbackSetByCaller}, {4099, TextId::RasStatePasswordExpired},
      {4100, TextId::RasStateInvokeEapUi},
  };
  EXPECT_EQ(TextUtf8(TextId::RasStateAuthenticated), "Проверка имени и пароля выполенена...");
  EXPECT_EQ(TextUtf8(TextId::RasStateAuthRetry), "Повтор проверка имени и пароля...");
  EXPECT_EQ(TextUtf8(TextId::RasStateWaitForModemReset), "Ожидание инитиализации модема...");

  for (ras::Dword last : {ras::Dword{8192}, ras::Dword{22}, ras::Dword{8193}, ras::Dword{23}}) {
    SCOPED_TRACE(last);
    events.clear();
    Prepare(Generation::kWinXp, WithNumbers({{"*", Outcome::Silent()}}));
    waiter.slice = std::chrono::milliseconds(200);
    bool played = false;
    std::vector<std::string> seen;
    std::vector<int> steps;
    std::vector<std::string> apns = {"internet.kvr"};
    const ras::Handle conn = RunDial(apns, [&] {
      // The silent dial waits at "connect device": play RAS from here.
      if (played || events.empty() || events.back().status != Text(TextId::RasStateConnectDevice)) return;
      played = true;
      for (const Row& row : rows) {
        const std::size_t before = events.size();
        connection::DialThread::DialNotify(ras::kWmRasDialEvent, row.state, 0);
        steps.push_back(static_cast<int>(events.size() - before));
        seen.push_back(events.back().status);
      }
      const std::string status = events.back().status;
      // Unknown: a step, nothing else.
      connection::DialThread::DialNotify(ras::kWmRasDialEvent, 999, 0);
      EXPECT_EQ(events.back().status, status);
      connection::DialThread::DialNotify(ras::kWmRasDialEvent, last, 0);
    });
    ASSERT_TRUE(played);
    for (std::size_t i = 0; i < std::size(rows); ++i) {
      EXPECT_EQ(seen[i], Text(rows[i].text)) << rows[i].state;
      EXPECT_EQ(steps[i], 1) << rows[i].state;
    }
    if (last == 8192 || last == 22) {
      EXPECT_NE(conn, 0u) << "connected ends the wait with success";
      EXPECT_EQ(UserInit(), kKvrInit);
    } else {
      EXPECT_EQ(conn, 0u) << "a disconnection without an error gives up";
      EXPECT_EQ(DialedPhones().size(), 1u);
      EXPECT_TRUE(Live().empty());
    }
  }
}

TEST_F(DialThread, AnErrorNotificationRecordsCodeAndDescription) {
  Prepare(Generation::kWinXp, WithNumbers({{"*", Outcome::Silent()}}));
  waiter.slice = std::chrono::milliseconds(200);
  bool played = false;
  std::vector<std::string> apns = {"internet.kvr"};
  EXPECT_EQ(RunDial(apns, [&] {
              if (played || events.empty() || events.back().status != Text(TextId::RasStateConnectDevice)) return;
              played = true;
              connection::DialThread::DialNotify(ras::kWmRasDialEvent, 2, 692);
            }),
            0u);
  EXPECT_EQ(progress.ErrorCode(), 692u);
  EXPECT_EQ(progress.ErrorText(), ras::GetRasErrorDescr(692));
  EXPECT_TRUE(SawStatus(TextId::DialClosing));
  const std::string linkError = Text(TextId::DialLinkError) + "692";
  EXPECT_NE(std::find(Statuses().begin(), Statuses().end(), linkError), Statuses().end());
}

// The step a notification sends may end the dial thread's wait (the bar's
// last step); the thread then reads the code at once, so it must be there.
TEST_F(DialThread, AnErrorsCodeIsStoredBeforeItsStepMovesTheBar) {
  Prepare(Generation::kWinXp, WithNumbers({{"*", Outcome::Silent()}}));
  waiter.slice = std::chrono::milliseconds(200);
  const std::string linkError = Text(TextId::DialLinkError) + "678";
  std::vector<std::uint32_t> codesAtStep;
  onProgress = [&](const ProgressEvent& e) {
    if (e.status == linkError) codesAtStep.push_back(progress.ErrorCode());
  };
  bool played = false;
  std::vector<std::string> apns = {"internet.kvr"};
  RunDial(apns, [&] {
    if (played || events.empty() || events.back().status != Text(TextId::RasStateConnectDevice)) return;
    played = true;
    progress.MirrorBar(580, 600, 10);  // this step is the bar's last
    connection::DialThread::DialNotify(ras::kWmRasDialEvent, 2, 678);
  });
  ASSERT_TRUE(played);
  ASSERT_FALSE(codesAtStep.empty());
  EXPECT_EQ(codesAtStep.front(), 678u);
  // 678 may be retried: the next number is dialled, not a silent modem reported.
  EXPECT_EQ(DialedPhones().size(), 2u);
}

ras::Dword DW_RASAPI RefusingDial(void*, const char*, void*, ras::Dword, void*, ras::Handle* conn) {
  *conn = 0;
  return 633;
}

TEST_F(DialThread, ADialThatRefusesToStartIsTriedTwiceFiveSecondsApart) {
  Prepare(Generation::kWinXp);
  proxy_->replaced["RasDialA"] = reinterpret_cast<void*>(&RefusingDial);
  std::vector<std::string> apns = {"internet.kvr"};
  const auto sleptBefore = fakeClock_.TotalSlept();
  EXPECT_EQ(RunDial(apns), 0u);
  EXPECT_EQ(proxy_->Lookups("RasDialA"), 2);
  EXPECT_EQ(logFiles->Messages("RAS-Dial").size(), 2u);
  EXPECT_GE(fakeClock_.TotalSlept() - sleptBefore, std::chrono::milliseconds(5000));
  EXPECT_LT(fakeClock_.TotalSlept() - sleptBefore, std::chrono::milliseconds(5500))
      << "the error ends the wait at once";
  EXPECT_EQ(progress.ErrorCode(), 633u);
  EXPECT_EQ(progress.ErrorText(), ras::GetRasErrorDescr(633));
  EXPECT_TRUE(SawStatus(TextId::DialModemSetup));
  EXPECT_EQ(UserInit(), kKvrInit) << "restored to the saved text, which was this command";
}

TEST_F(DialThread, AnErrorInsideTheThreadEndsItLoggedAndTerminated) {
  // The modem's class key cannot even be read: the store raises its error.
  Prepare(Generation::kWinXp, Quick(sim::DefaultScenario()), "*99***1#", kBadInit);
  registry_.DenyAccess(RegistryRoot::kLocalMachine, modem::ModemInitStore(registry_, 2).ClassKey());
  std::vector<std::string> apns = {"internet.kvr"};
  EXPECT_EQ(RunDial(apns), 0u);
  EXPECT_EQ(logFiles->Messages("Execute"), (std::vector<std::string>{Text(TextId::ModemNoRights)}));
  EXPECT_TRUE(logFiles->Messages("DIAL-params").empty());
  EXPECT_FALSE(DialThreadRegistered());

}

// The modems' registry, whose writes raise once `fail` is set.
class FailingRegistry final : public Registry {
 public:
  explicit FailingRegistry(Registry& real) : real_(real) {}
  bool KeyExists(RegistryRoot root, std::string_view path) const override {
    return real_.KeyExists(root, path);
  }
  std::unique_ptr<RegistryKey> Open(RegistryRoot root, std::string_view path) override {
    return real_.Open(root, path);
  }
  std::unique_ptr<RegistryKey> Create(RegistryRoot root, std::string_view path) override {
    return real_.Create(root, path);
  }
  std::unique_ptr<RegistryKey> CreateForWrite(RegistryRoot root, std::string_view path,
                                              RegistryWrite& why) override {
    if (fail.load()) throw modem::ModemRightsError();
    return real_.CreateForWrite(root, path, why);
  }
  std::unique_ptr<RegistryKey> OpenReadOnly(RegistryRoot root,
                                            std::string_view path) const override {
    return real_.OpenReadOnly(root, path);
  }
  std::atomic<bool> fail{false};

 private:
  Registry& real_;
};

TEST_F(DialThread, AnErrorWhileAFailedDialIsHeldStillHangsItUp) {
  // The modem's command is set and the dial under way when the registry
  // starts failing: the first write to fail is the one that gives the modem
  // its text back after the failed dial, before that dial is hung up.
  Prepare(Generation::kWinXp, WithNumbers({{"*", Outcome::Error(691)}}));
  FailingRegistry registry(registry_);
  DialDependencies deps = Deps();
  deps.registry = &registry;
  EXPECT_EQ(RunFailing(deps, registry.fail, TextId::DialConnectionSetup), 0u);
  EXPECT_EQ(logFiles->Messages("Execute"), (std::vector<std::string>{Text(TextId::ModemNoRights)}));
  EXPECT_EQ(DialedPhones().size(), 1u);
  EXPECT_TRUE(logFiles->Messages("RAS-Dialing error code").empty())
      << "the error came before the attempt's own clean-up";
  EXPECT_TRUE(Live().empty()) << "the failed dial was hung up";
}

// The dial's waits, of which one fails once `fail` is set.
class FailingWaiter final : public ras::RasWaiter {
 public:
  explicit FailingWaiter(ras::RasWaiter& real) : real_(real) {}
  std::unique_ptr<Event> NewEvent() override { return real_.NewEvent(); }
  void Serve() override { real_.Serve(); }
  void WaitPass(const Event& done, std::chrono::milliseconds limit) override {
    if (fail.exchange(false)) throw std::runtime_error("the wait failed");
    real_.WaitPass(done, limit);
  }
  std::atomic<bool> fail{false};

 private:
  ras::RasWaiter& real_;
};

// RAS reporting the end of a dial as it hangs it up.
ras::RasHangUpAFn g_simHangUp = nullptr;
ras::Dword DW_RASAPI HangUpWithANotification(ras::Handle conn) {
  connection::DialThread::DialNotify(ras::kWmRasDialEvent, ras::kDisconnected, 0);
  return g_simHangUp(conn);
}

// Under AddressSanitizer: the notification the hang-up brings must not find
// the wait's event, gone with the error.
TEST_F(DialThread, AnErrorDuringTheWaitHangsUpAndLeavesNothingForALateNotification) {
  Prepare(Generation::kWinXp, WithNumbers({{"*", Outcome::Silent()}}));
  g_simHangUp = reinterpret_cast<ras::RasHangUpAFn>(library_->Lookup("RasHangUpA"));
  proxy_->replaced["RasHangUpA"] = reinterpret_cast<void*>(&HangUpWithANotification);
  FailingWaiter failing(waiter);
  DialDependencies deps = Deps();
  deps.waiter = &failing;
  EXPECT_EQ(RunFailing(deps, failing.fail, TextId::RasStateConnectDevice), 0u);
  EXPECT_EQ(logFiles->Messages("Execute"), std::vector<std::string>{"the wait failed"});
  EXPECT_TRUE(Live().empty());
}

TEST_F(DialThread, NoEntryRecordMeansNoDial) {
  Prepare(Generation::kWinXp);
  proxy_->replaced["RasGetEntryPropertiesA"] = nullptr;
  std::vector<std::string> apns = {"internet.kvr"};
  EXPECT_EQ(RunDial(apns), 0u);
  EXPECT_TRUE(logFiles->Messages("DIAL-params").empty());
  EXPECT_EQ(proxy_->Lookups("RasDialA"), 0);
}

TEST_F(DialThread, AnEmptyApnListDialsNothing) {
  Prepare(Generation::kWinXp, Quick(sim::DefaultScenario()), "*99***1#", kBadInit);
  std::vector<std::string> apns;
  EXPECT_EQ(RunDial(apns), 0u);
  EXPECT_EQ(proxy_->Lookups("RasDialA"), 0);
  EXPECT_EQ(UserInit(), kBadInit);
}

TEST_F(DialThread, ANotificationAfterTheThreadEndedIsIgnored) {
  Prepare(Generation::kWinXp);
  std::vector<std::string> apns = {"internet.kvr"};
  ASSERT_NE(RunDial(apns), 0u);
  const std::size_t before = events.size();
  progress.SetErrorCode(0);
  connection::DialThread::DialNotify(ras::kWmRasDialEvent, 8193, 0);
  connection::DialThread::DialNotify(ras::kWmRasDialEvent, 0, 691);
  messages_.ProcessPending();
  EXPECT_EQ(events.size(), before) << "no step reached the progress window";
  EXPECT_EQ(progress.ErrorCode(), 0u);
  EXPECT_FALSE(DialThreadRegistered());
}

}  // namespace
}  // namespace dw::connection::test
