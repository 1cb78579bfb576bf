#include "connection/presence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <iterator>

#include "platform/fake/recording_questions.h"
#include "text/texts.h"
#include "unit/log/log_test_support.h"
#include "unit/ras/ras_fixture.h"

namespace dw::connection {
namespace {

using ras::Dword;
using ras::Generation;
using ras::Handle;

constexpr const char* kModem = "Korvana GPRS Modem";
constexpr const char* kIsdn = "Korvana ISDN Adapter";
const std::string kOurInit = "AT+CGDCONT=1,\"IP\",\"internet.kvr\"";
const std::vector<std::string> kApns = {"internet.kvr", "internet.ltkvr"};

class Presence : public ras::test::RasTest {
 protected:
  void SetUp() override { log_.Configure({"/l", "/n"}); }
  void TearDown() override {
    ConfigurePresence({});
    RasTest::TearDown();
  }

  static sim::Scenario Quick() {
    sim::Scenario s = sim::DefaultScenario();
    s.notifyDelayMs = 10;
    s.hangupDelayMs = 0;
    return s;
  }
  void Begin(Generation g) {
    StartRas(g, Quick());
    ConfigurePresence({&registry_, ras::IsWin9x(g) ? 1u : 2u, &questions_});
  }
  // A connection made the way the program makes one: the modem's UserInit
  // selects the APN, then the entry is dialled.
  Handle Connect(const std::string& entry, const std::string& device,
                 const std::string& deviceType = "modem") {
    EXPECT_EQ(SaveEntry(entry, device, "*99***1#", deviceType), 0u);
    if (deviceType == "modem") SetUserInit(device, kOurInit);
    Handle conn = 0;
    Notes::Get().Clear();
    EXPECT_EQ(Dial(entry, conn), 0u);
    const auto notes = CompleteDial(10);
    EXPECT_EQ(notes.size(), 10u);
    EXPECT_EQ(ConnectStatus(conn).state, static_cast<Dword>(ras::kConnected));
    return conn;
  }
  using Notes = sim::test::Notes;

  testing::LogFolder log_;
  RecordingQuestions questions_;
};

TEST_F(Presence, NoConnectionGivesZeroWithoutAQuestion) {
  for (Generation g : sim::test::kGenerations) {
    Begin(g);
    std::string entry = "Korvana";
    EXPECT_EQ(CheckAlreadyConnected(kModem, entry, kApns), 0u);
    EXPECT_EQ(entry, "Korvana");
  }
  EXPECT_TRUE(questions_.Questions().empty());
  EXPECT_TRUE(log_.Lines().empty());
}

TEST_F(Presence, OurConnectionIsAdoptedSilentlyWhenItsApnIsInTheListInAnyCase) {
  for (Generation g : sim::test::kGenerations) {
    SCOPED_TRACE(static_cast<int>(g));
    Begin(g);
    const Handle conn = Connect("Korvana_2", kModem);
    std::string entry = "Korvana";
    EXPECT_EQ(CheckAlreadyConnected(kModem, entry, {"other.apn", "INTERNET.Kvr"}), conn);
    EXPECT_EQ(entry, "Korvana");  // only the question's No renames
    EXPECT_TRUE(ConnIsOpen(conn));
  }
  EXPECT_TRUE(questions_.Questions().empty());
}

TEST_F(Presence, AConnectionThroughAnotherDeviceIsLeftUp) {
  for (Generation g : sim::test::kGenerations) {
    SCOPED_TRACE(static_cast<int>(g));
    Begin(g);
    const Handle isdn = Connect("Office", kIsdn, "isdn");
    std::string entry = "Korvana";
    EXPECT_EQ(CheckAlreadyConnected(kModem, entry, kApns), 0u);
    EXPECT_EQ(entry, "Korvana");
    EXPECT_TRUE(ConnIsOpen(isdn));
    // Device names compare exactly.
    EXPECT_EQ(CheckAlreadyConnected("korvana isdn adapter", entry, kApns), 0u);
  }
  EXPECT_TRUE(questions_.Questions().empty());
}

TEST_F(Presence, OnlyTheFirstConnectionIsLookedAt) {
  Begin(Generation::kWinMe);
  const Handle isdn = Connect("Office", kIsdn, "isdn");
  const Handle modem = Connect("Korvana", kModem);
  std::string entry;
  EXPECT_EQ(CheckAlreadyConnected(kModem, entry, kApns), 0u);
  EXPECT_TRUE(ConnIsOpen(isdn));
  EXPECT_TRUE(ConnIsOpen(modem));
  EXPECT_TRUE(questions_.Questions().empty());
  EXPECT_EQ(proxy_->Lookups("RasEnumConnectionsA"), 2);  // 603, then the whole list
}

TEST_F(Presence, AnotherApnAsksAndYesHangsUpForANewDial) {
  for (Generation g : sim::test::kGenerations) {
    SCOPED_TRACE(static_cast<int>(g));
    Begin(g);
    const Handle conn = Connect("Theirs", kModem);
    SetUserInit(kModem, "AT+CGDCONT=1,\"IP\",\"wap.kvr\"");
    questions_.Script({true});
    std::string entry = "Korvana";
    EXPECT_EQ(CheckAlreadyConnected(kModem, entry, kApns), 0u);
    EXPECT_EQ(entry, "Korvana");
    EXPECT_EQ(ConnectStatus(conn).result, 6u);  // gone
  }
  const auto asked = questions_.Questions();
  ASSERT_EQ(asked.size(), std::size(sim::test::kGenerations));
  for (const auto& q : asked) EXPECT_EQ(q.text, Text(TextId::OtherApnConnected));
  EXPECT_TRUE(log_.Lines().empty());
}

TEST_F(Presence, AnotherApnAsksAndNoAdoptsTheConnectionUnderItsOwnEntry) {
  for (Generation g : sim::test::kGenerations) {
    SCOPED_TRACE(static_cast<int>(g));
    Begin(g);
    const Handle conn = Connect("Theirs", kModem);
    SetUserInit(kModem, "AT+CGDCONT=1,\"IP\",\"wap.kvr\"");
    questions_.Script({false});
    std::string entry = "Korvana";
    EXPECT_EQ(CheckAlreadyConnected(kModem, entry, kApns), conn);
    EXPECT_EQ(entry, "Theirs");
    EXPECT_TRUE(ConnIsOpen(conn));
  }
  EXPECT_EQ(questions_.Questions().size(), std::size(sim::test::kGenerations));
}

TEST_F(Presence, AUserInitTooShortToHoldAnApnAsks) {
  for (const std::string& init :
       {std::string(), std::string("ATZ"), std::string("AT+CGDCONT=1,\"IP\",\""),
        std::string("AT+CGDCONT=1,\"IP\",\"\"")}) {
    SCOPED_TRACE(init);
    Begin(Generation::kWin2000);
    const Handle conn = Connect("Korvana", kModem);
    SetUserInit(kModem, init);
    questions_.Script({false});
    std::string entry = "Korvana";
    EXPECT_EQ(CheckAlreadyConnected(kModem, entry, kApns), conn);
  }
  EXPECT_EQ(questions_.Questions().size(), 4u);
}

TEST_F(Presence, AnEmptyApnIsNeverOursEvenWhenTheListHasOne) {
  Begin(Generation::kWinXp);
  const Handle conn = Connect("Korvana", kModem);
  SetUserInit(kModem, "AT+CGDCONT=1,\"IP\",\"\"");
  questions_.Script({false});
  std::string entry;
  EXPECT_EQ(CheckAlreadyConnected(kModem, entry, {"", "internet.kvr"}), conn);
  EXPECT_EQ(questions_.Questions().size(), 1u);
}

TEST_F(Presence, ADialStillInProgressIsNotAdopted) {
  Begin(Generation::kWin98);
  ASSERT_EQ(SaveEntry("Korvana", kModem, "*99***1#"), 0u);
  SetUserInit(kModem, kOurInit);
  Handle conn = 0;
  ASSERT_EQ(Dial("Korvana", conn), 0u);  // the clock stands still: never connected
  std::string entry;
  EXPECT_EQ(CheckAlreadyConnected(kModem, entry, kApns), 0u);
  EXPECT_FALSE(ConnIsOpen(conn));
  EXPECT_TRUE(questions_.Questions().empty());
}

TEST_F(Presence, WithoutAnyoneToAskTheCheckLogsAndDialsAnew) {
  Begin(Generation::kWinXp);
  ConfigurePresence({&registry_, 2, nullptr});
  const Handle conn = Connect("Theirs", kModem);
  SetUserInit(kModem, "ATZ");
  std::string entry = "Korvana";
  EXPECT_EQ(CheckAlreadyConnected(kModem, entry, kApns), 0u);
  EXPECT_EQ(entry, "Korvana");
  EXPECT_TRUE(ConnIsOpen(conn));  // nobody said to hang up
  const auto lines = log_.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("src: CheckAlreadyConnected      code: 888"), std::string::npos);
}

TEST_F(Presence, RasNotAnsweringGivesZeroAndLogsTheEnumeration) {
  Begin(Generation::kWinMe);
  const Handle conn = Connect("Korvana", kModem);
  SetFault(false, true);
  std::string entry;
  EXPECT_EQ(CheckAlreadyConnected(kModem, entry, kApns), 0u);
  EXPECT_FALSE(ConnIsOpen(conn));
  const auto lines = log_.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("src: RAS-EnumConnections      code: 711"), std::string::npos);
  EXPECT_NE(lines[1].find("src: RAS-GetConnectStatus      code: 711"), std::string::npos);
  EXPECT_EQ(configErrors_.load(), 2);
}

TEST_F(Presence, ConnIsOpenLogsAStatusQueryThatFails) {
  Begin(Generation::kWin2000);
  EXPECT_FALSE(ConnIsOpen(0x4242));
  const auto lines = log_.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("src: RAS-GetConnectStatus      code: 6"), std::string::npos);
}

TEST_F(Presence, CloseConnectionOfNothingMakesNoRasCall) {
  Begin(Generation::kWinXp);
  EXPECT_TRUE(CloseConnection(0));
  EXPECT_EQ(proxy_->Lookups("RasEnumDevicesA"), 0);  // not even the readiness probe
  EXPECT_EQ(proxy_->Lookups("RasHangUpA"), 0);
  EXPECT_TRUE(log_.Lines().empty());
}

TEST_F(Presence, CloseConnectionHangsUpAndSaysWhetherItWorked) {
  for (Generation g : sim::test::kGenerations) {
    SCOPED_TRACE(static_cast<int>(g));
    Begin(g);
    const Handle conn = Connect("Korvana", kModem);
    EXPECT_TRUE(CloseConnection(conn));
    EXPECT_EQ(ConnectStatus(conn).result, 6u);
  }
  EXPECT_TRUE(log_.Lines().empty());

  // RAS not answering: logged, and the main window hears of 711.
  Begin(Generation::kWin98);
  const Handle conn = Connect("Korvana", kModem);
  SetFault(false, true);
  EXPECT_FALSE(CloseConnection(conn));
  EXPECT_EQ(configErrors_.load(), 1);
  ClearFault();
  EXPECT_TRUE(ConnIsOpen(conn));
  const auto lines = log_.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("src: RAS-HangUp      code: 711"), std::string::npos);
}

TEST_F(Presence, AHangUpThatCannotBeMadeIsNotReportedAsDone) {
  Begin(Generation::kWin2000);
  const Handle conn = Connect("Korvana", kModem);
  proxy_->replaced["RasHangUpA"] = nullptr;
  EXPECT_FALSE(CloseConnection(conn));
  EXPECT_TRUE(ConnIsOpen(conn));
  const auto lines = log_.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("src: CloseConnection      code: 888"), std::string::npos);
}

// Status queries that all fail with 632.
Dword DW_RASAPI StatusInvalidSize(Handle, void*) {
  return 632;
}

TEST_F(Presence, AConnectionThatGoesDuringTheHangUpIsClosedWithNothingLogged) {
  for (Generation g : sim::test::kGenerations) {
    SCOPED_TRACE(static_cast<int>(g));
    sim::Scenario s = Quick();
    s.hangupDelayMs = 200;
    StartRas(g, s);
    ConfigurePresence({&registry_, ras::IsWin9x(g) ? 1u : 2u, &questions_});
    const Handle conn = Connect("Korvana", kModem);
    LoseConnectionAfterFirstStatus();
    EXPECT_TRUE(CloseConnection(conn));
    KeepConnectionAfterStatus();
    EXPECT_EQ(ConnectStatus(conn).result, 6u);
  }
  EXPECT_TRUE(log_.Lines().empty()) << log_.Lines().front();
}

TEST_F(Presence, AConnectionRasIsStillClosingAfterTheHangUpCountsAsClosed) {
  sim::Scenario s = Quick();
  s.hangupDelayMs = 60000;
  StartRas(Generation::kWinXp, s);
  ConfigurePresence({&registry_, 2, &questions_});
  const Handle conn = Connect("Korvana", kModem);
  EXPECT_TRUE(CloseConnection(conn));
  EXPECT_EQ(ConnectStatus(conn).state, static_cast<Dword>(ras::kDisconnected));
  EXPECT_TRUE(log_.Lines().empty());
}

TEST_F(Presence, AfterTheHangUpOnlyANoSuchConnectionAnswerCountsAsGone) {
  Begin(Generation::kWin2000);
  const Handle conn = Connect("Korvana", kModem);
  proxy_->replaced["RasGetConnectStatusA"] = reinterpret_cast<void*>(&StatusInvalidSize);
  EXPECT_FALSE(CloseConnection(conn)) << "a failed status query says nothing of the connection";
  const auto lines = log_.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("src: CloseConnection      code: 632"), std::string::npos) << lines[0];
}

TEST(ModemInitApn, TheApnIsBetweenThePrefixAndTheClosingQuote) {
  EXPECT_EQ(ApnOfModemInit("AT+CGDCONT=1,\"IP\",\"internet.kvr\""), "internet.kvr");
  EXPECT_EQ(ApnOfModemInit("AT+CGDCONT=1,\"IP\",\"x\""), "x");  // 21 characters
  for (const char* shorter : {"", "\"", "ATZ", "AT+CGDCONT=1,\"IP\",", "AT+CGDCONT=1,\"IP\",\"",
                                    "AT+CGDCONT=1,\"IP\",\"\""}) {
    EXPECT_EQ(ApnOfModemInit(shorter), "") << shorter;
  }
}

}  // namespace
}  // namespace dw::connection
