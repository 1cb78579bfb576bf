// The simulator's own dialling (the program's dial thread is tested in
// unit/connection): the notifications RAS sends and their order, what the
// network decides from the APN, the number, the modem's initialisation and
// the login, hang-up, traffic, faults, and several processes (simulators)
// sharing one service.
#include <gtest/gtest.h>

#include <atomic>

#include "sim_fixture.h"
#include "platform/threads.h"

namespace dw::sim::test {
namespace {

const std::vector<Dword> kConnectOrder = {0, 1, 2, 3, 4, 5, 14, 10, 18, 8192};

std::vector<Dword> States(const std::vector<Notes::Note>& notes) {
  std::vector<Dword> states;
  for (const auto& n : notes) states.push_back(n.state);
  return states;
}

class SimDialling : public SimTest {
 protected:
  void Prepare(Generation g, Scenario s = DefaultScenario(),
               const std::string& init = "AT+CGDCONT=1,\"IP\",\"internet.kvr\"") {
    Start(g, s);
    ASSERT_EQ(SaveEntry("Korvana", "Korvana GPRS Modem", "*99***1#"), 0u);
    SetUserInit("Korvana GPRS Modem", init);
  }
  // Dialled and connected under `g`, the counters growing at these bytes a
  // second.
  void ConnectAtRates(Generation g, Dword received, Dword sent, Handle& conn) {
    Scenario s = DefaultScenario();
    s.rateReceived = received;
    s.rateSent = sent;
    Prepare(g, s);
    ASSERT_EQ(Dial("Korvana", conn), 0u);
    CompleteDial(kConnectOrder.size());
  }
};

TEST_F(SimDialling, AGoodApnConnectsThroughThePppStatesInOrder) {
  for (Generation g : kGenerations) {
    Prepare(g);
    Handle conn = 0;
    ASSERT_EQ(Dial("Korvana", conn), 0u);
    EXPECT_NE(conn, 0u) << "the handle is filled before RasDialA returns";
    const auto notes = CompleteDial(kConnectOrder.size());
    EXPECT_EQ(States(notes), kConnectOrder);
    for (const auto& n : notes) EXPECT_EQ(n.error, 0u);
    for (unsigned msg : Notes::Get().Messages()) EXPECT_EQ(msg, 0xCCCDu);
    const Status s = ConnectStatus(conn);
    EXPECT_EQ(s.result, 0u);
    EXPECT_EQ(s.state, 8192u);
  }
}

TEST_F(SimDialling, NotificationsComeOneDelayApartFromAThreadOfTheirOwn) {
  Prepare(Generation::kWinXp);
  Handle conn = 0;
  ASSERT_EQ(Dial("Korvana", conn), 0u);
  // The first state comes at once; nothing more until the clock moves.
  EXPECT_EQ(Notes::Get().WaitFor(1).size(), 1u);
  EXPECT_EQ(ConnectStatus(conn).state, 0u);
  clock_.Advance(100);
  EXPECT_EQ(States(Notes::Get().WaitFor(2)), (std::vector<Dword>{0, 1}));
  EXPECT_EQ(ConnectStatus(conn).state, 1u);
  clock_.Advance(250);
  EXPECT_EQ(States(Notes::Get().WaitFor(4)), (std::vector<Dword>{0, 1, 2, 3}));
  EXPECT_EQ(Notes::Get().Now().size(), 4u);
}

TEST_F(SimDialling, TheApnComesFromUserInitAtDialTime) {
  Prepare(Generation::kWin2000, DefaultScenario(), "ATZ");
  SetUserInit("Korvana GPRS Modem", "AT&F+CGDCONT=1,\"IP\",\"wrong.apn\"");
  Handle conn = 0;
  ASSERT_EQ(Dial("Korvana", conn), 0u);
  const auto notes = CompleteDial(6);
  EXPECT_EQ(States(notes), (std::vector<Dword>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(notes.back().error, 734u);
  const Status s = ConnectStatus(conn);
  EXPECT_EQ(s.result, 0u) << "a failed dial keeps its handle until it is hung up";
  EXPECT_EQ(s.error, 734u);
  EXPECT_EQ(sim_->Connections().at(0).connection.apn, "wrong.apn");

  // The program rewrites UserInit between dials; the next dial sees it.
  ASSERT_EQ(Fn<ras::RasHangUpAFn>("RasHangUpA")(conn), 0u);
  SetUserInit("Korvana GPRS Modem", "AT+CGDCONT=1,\"IP\",\"INTERNET.KVR\"");
  Notes::Get().Clear();
  ASSERT_EQ(Dial("Korvana", conn), 0u);
  EXPECT_EQ(CompleteDial(kConnectOrder.size()).back().state, 8192u);
}

TEST_F(SimDialling, Win9xModemsKeepUserInitBehindTheirDriverKey) {
  for (Generation g : {Generation::kWin98, Generation::kWinMe}) {
    Prepare(g, DefaultScenario(), "AT+CGDCONT=1,\"IP\",\"internet.kvr\"");
    // The NT place holds another APN; a 9x modem never reads it.
    registry_.SetText(RegistryRoot::kLocalMachine, std::string(kNtModemClassKey) + "\\0000",
                      "FriendlyName", "Korvana GPRS Modem");
    registry_.SetText(RegistryRoot::kLocalMachine, std::string(kNtModemClassKey) + "\\0000",
                      "UserInit", "AT+CGDCONT=1,\"IP\",\"bad\"");
    Handle conn = 0;
    ASSERT_EQ(Dial("Korvana", conn), 0u);
    EXPECT_EQ(CompleteDial(kConnectOrder.size()).back().state, 8192u);
  }
}

TEST_F(SimDialling, TheNumberDecidesBeforeTheApn) {
  Scenario s = DefaultScenario();
  s.numbers.push_back({"*99***2#", Outcome::Error(676)});
  s.numbers.push_back({"*99***3#", Outcome::Silent()});
  Prepare(Generation::kWinXp, s);
  Handle conn = 0;
  ASSERT_EQ(Dial("Korvana", conn, "*99***2#"), 0u);
  auto notes = CompleteDial(3);
  EXPECT_EQ(States(notes), (std::vector<Dword>{0, 1, 2}));
  EXPECT_EQ(notes.back().error, 676u);
  EXPECT_EQ(sim_->Connections().back().connection.phone, "*99***2#");
  ASSERT_EQ(Fn<ras::RasHangUpAFn>("RasHangUpA")(conn), 0u);

  // A number that never answers: the dial stays at "connect device".
  Notes::Get().Clear();
  clock_.Advance(1000);
  ASSERT_EQ(Dial("Korvana", conn, "*99***3#"), 0u);
  notes = CompleteDial(3);
  clock_.Advance(60000);
  EXPECT_EQ(Notes::Get().Now().size(), 3u);
  EXPECT_EQ(notes.back().error, 0u);
  const Status s2 = ConnectStatus(conn);
  EXPECT_EQ(s2.state, 2u);
  EXPECT_EQ(s2.error, 0u);
  ASSERT_EQ(Fn<ras::RasHangUpAFn>("RasHangUpA")(conn), 0u);

  // Another number than the default scenario knows.
  Notes::Get().Clear();
  clock_.Advance(1000);
  ASSERT_EQ(Dial("Korvana", conn, "12345"), 0u);
  EXPECT_EQ(CompleteDial(3).back().error, 678u);
}

TEST_F(SimDialling, AnApnThatNeverAnswersStallsAfterAuthenticate) {
  Scenario s = DefaultScenario();
  s.apns.insert(s.apns.begin(), {"slow.kvr", Outcome::Silent()});
  Prepare(Generation::kWinXp, s, "AT+CGDCONT=1,\"IP\",\"slow.kvr\"");
  Handle conn = 0;
  ASSERT_EQ(Dial("Korvana", conn), 0u);
  CompleteDial(6);
  clock_.Advance(600000);
  EXPECT_EQ(States(Notes::Get().Now()), (std::vector<Dword>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(ConnectStatus(conn).state, 5u);
}

TEST_F(SimDialling, HangUpTakesEffectAfterAShortWhile) {
  Prepare(Generation::kWinXp);
  Handle conn = 0;
  ASSERT_EQ(Dial("Korvana", conn), 0u);
  CompleteDial(kConnectOrder.size());
  const auto hangUp = Fn<ras::RasHangUpAFn>("RasHangUpA");
  ASSERT_EQ(hangUp(conn), 0u);
  // Still there: the status query answers until the port is closed, with
  // the connection disconnecting, no longer connected.
  EXPECT_EQ(ConnectStatus(conn).result, 0u);
  EXPECT_EQ(ConnectStatus(conn).state, ras::kDisconnected);
  EXPECT_EQ(hangUp(conn), 0u) << "hanging up again while it goes is no error";
  clock_.Advance(199);
  EXPECT_EQ(ConnectStatus(conn).result, 0u);
  EXPECT_EQ(ConnectStatus(conn).state, ras::kDisconnected);
  ASSERT_EQ(sim_->Connections().size(), 1u);
  EXPECT_FALSE(sim_->Connections()[0].view.connected);
  clock_.Advance(1);
  EXPECT_EQ(ConnectStatus(conn).result, 6u);
  // As Windows answers for a handle that is gone.
  EXPECT_EQ(hangUp(conn), 6u);
}

TEST_F(SimDialling, ANetworkThatWantsALoginRefusesAnyOtherWith691) {
  for (const char* password : {"pvlok", "wrong"}) {
    Scenario s = DefaultScenario();
    s.login = std::make_pair(std::string("pvlok"), std::string(password));
    Prepare(Generation::kWinMe, s);
    Handle conn = 0;
    ASSERT_EQ(Dial("Korvana", conn), 0u);  // sends pvlok/pvlok
    const auto notes = CompleteDial(std::string(password) == "pvlok" ? kConnectOrder.size() : 6);
    ASSERT_FALSE(notes.empty());
    if (std::string(password) == "pvlok") {
      EXPECT_EQ(notes.back().state, 8192u);
      EXPECT_EQ(notes.back().error, 0u);
    } else {
      EXPECT_EQ(States(notes), (std::vector<Dword>{0, 1, 2, 3, 4, 5}));
      EXPECT_EQ(notes.back().error, 691u);
    }
  }
}

TEST_F(SimDialling, AModemInitialisationTheModemCannotParseFailsAtTheModemWith651) {
  for (const char* init : {"AT+CGDCONT=1,\"IP\",\"internet.kvr", "+CGDCONT=1,\"IP\",\"internet.kvr\"",
                           "AT+CGDCONT=1,\"IP\",\"internet.kvr\"\r\nATZ"}) {
    SCOPED_TRACE(init);
    Prepare(Generation::kWin2000, DefaultScenario(), init);
    Handle conn = 0;
    ASSERT_EQ(Dial("Korvana", conn), 0u);
    const auto notes = CompleteDial(3);
    EXPECT_EQ(States(notes), (std::vector<Dword>{0, 1, 2}));
    ASSERT_FALSE(notes.empty());
    EXPECT_EQ(notes.back().error, 651u);
  }
  // A modem with no extra initialisation, or a plain one, dials.
  for (const char* init : {"", "ATZ", "at+cgdcont=1,\"IP\",\"internet.kvr\""}) {
    SCOPED_TRACE(init);
    Scenario s = DefaultScenario();
    s.apns.clear();
    Prepare(Generation::kWin2000, s, init);
    Handle conn = 0;
    ASSERT_EQ(Dial("Korvana", conn), 0u);
    EXPECT_EQ(CompleteDial(kConnectOrder.size()).back().state, 8192u);
  }
}

TEST_F(SimDialling, HangingUpDuringTheDialStopsTheNotifications) {
  Prepare(Generation::kWinXp);
  Handle conn = 0;
  ASSERT_EQ(Dial("Korvana", conn), 0u);
  clock_.Advance(100);
  Notes::Get().WaitFor(2);
  ASSERT_EQ(Fn<ras::RasHangUpAFn>("RasHangUpA")(conn), 0u);
  clock_.Advance(5000);
  // The thread checks before every notification; give it time to look.
  dw::SleepFor(std::chrono::milliseconds(50));
  EXPECT_EQ(States(Notes::Get().Now()), (std::vector<Dword>{0, 1}));
  EXPECT_EQ(ConnectStatus(conn).result, 6u);
}

TEST_F(SimDialling, CountersGrowAtTheScenarioRates) {
  Handle conn = 0;
  ASSERT_NO_FATAL_FAILURE(ConnectAtRates(Generation::kWinXp, 1000, 250, conn));
  const auto stats = [&] {
    auto bytes = Blank(60);
    EXPECT_EQ(
        Fn<ras::RasGetConnectionStatisticsFn>("RasGetConnectionStatistics")(conn, bytes.data()),
        0u);
    ras::RasStats r{};
    std::memcpy(&r, bytes.data(), sizeof r);
    return r;
  };
  const ras::RasStats first = stats();
  clock_.Advance(4000);
  const ras::RasStats later = stats();
  EXPECT_EQ(later.dwSize, 60u);
  EXPECT_EQ(later.dwBytesRcved - first.dwBytesRcved, 4000u);
  EXPECT_EQ(later.dwBytesXmited - first.dwBytesXmited, 1000u);
  EXPECT_EQ(later.dwConnectDuration - first.dwConnectDuration, 4000u);
  auto wrong = Blank(64);
  EXPECT_EQ(Fn<ras::RasGetConnectionStatisticsFn>("RasGetConnectionStatistics")(conn, wrong.data()),
            632u);
}

TEST_F(SimDialling, Win9xPublishesTheSystemWideCountersAcrossConnections) {
  Handle conn = 0;
  ASSERT_NO_FATAL_FAILURE(ConnectAtRates(Generation::kWin98, 100, 10, conn));
  clock_.Advance(10000 - 2000);  // CompleteDial moved 2 s, 0.9 s of it dialling
  ASSERT_EQ(Fn<ras::RasHangUpAFn>("RasHangUpA")(conn), 0u);
  clock_.Advance(1000);
  ConnectStatus(conn);
  std::pair<Dword, Dword> afterFirst;
  {
    std::lock_guard lock(countersMutex_);
    afterFirst = published_;
  }
  // 9.1 s connected: a link being closed carries nothing more.
  EXPECT_EQ(afterFirst.first, 910u);
  EXPECT_EQ(afterFirst.second, 91u);
  // A second connection adds to the totals instead of starting again.
  Notes::Get().Clear();
  ASSERT_EQ(Dial("Korvana", conn), 0u);
  CompleteDial(kConnectOrder.size());
  ConnectStatus(conn);
  std::lock_guard lock(countersMutex_);
  EXPECT_GT(published_.first, afterFirst.first);
}

TEST_F(SimDialling, ConnectionsDropAfterTheScenariosTimeOrOnCommand) {
  Scenario s = DefaultScenario();
  s.dropAfterSeconds = 30;
  Prepare(Generation::kWinXp, s);
  Handle conn = 0;
  ASSERT_EQ(Dial("Korvana", conn), 0u);
  CompleteDial(kConnectOrder.size());
  clock_.Advance(20000);
  EXPECT_EQ(ConnectStatus(conn).state, 8192u);
  clock_.Advance(10000);
  EXPECT_EQ(ConnectStatus(conn).result, 6u);

  Notes::Get().Clear();
  ASSERT_EQ(Dial("Korvana", conn), 0u);
  CompleteDial(kConnectOrder.size());
  EXPECT_EQ(sim_->Drop(conn + 1), 0);
  EXPECT_EQ(sim_->Drop(conn), 1);
  EXPECT_EQ(ConnectStatus(conn).result, 6u);
}

TEST_F(SimDialling, AHangUpThatNeverCompletesKeepsTheHandleValid) {
  Scenario s = DefaultScenario();
  s.hangupNever = true;
  Prepare(Generation::kWin2000, s);
  Handle conn = 0;
  ASSERT_EQ(Dial("Korvana", conn), 0u);
  CompleteDial(kConnectOrder.size());
  for (int i = 0; i < 21; ++i) {
    EXPECT_EQ(Fn<ras::RasHangUpAFn>("RasHangUpA")(conn), 0u);
    clock_.Advance(10);
  }
  clock_.Advance(60000);
  EXPECT_EQ(ConnectStatus(conn).result, 0u);
  // Once the fault is cleared, hanging up again ends it.
  s.hangupNever = false;
  store_.SetScenario(s);
  EXPECT_EQ(Fn<ras::RasHangUpAFn>("RasHangUpA")(conn), 0u);
  clock_.Advance(s.hangupDelayMs + 1);
  EXPECT_EQ(ConnectStatus(conn).result, 6u);
}

TEST_F(SimDialling, TheModemCarriesOneConnectionAndAnEntryOneDial) {
  Prepare(Generation::kWinXp);
  ASSERT_EQ(SaveEntry("Second", "Korvana GPRS Modem", "*99#"), 0u);
  Handle first = 0;
  ASSERT_EQ(Dial("Korvana", first), 0u);
  Handle again = 0;
  EXPECT_EQ(Dial("korvana", again), 756u) << "the entry is being dialled";
  CompleteDial(kConnectOrder.size());
  // SimDialling a connected entry hands out its handle.
  Notes::Get().Clear();
  ASSERT_EQ(Dial("Korvana", again), 0u);
  EXPECT_EQ(again, first);
  EXPECT_EQ(States(Notes::Get().WaitFor(1)), (std::vector<Dword>{8192}));
  // Another entry on the same modem cannot have the port.
  Notes::Get().Clear();
  Handle second = 0;
  ASSERT_EQ(Dial("Second", second), 0u);
  const auto notes = Notes::Get().WaitFor(1);
  EXPECT_EQ(notes.at(0).state, 0u);
  EXPECT_EQ(notes.at(0).error, 633u);
}

TEST_F(SimDialling, DialRefusesWhatRasRefuses) {
  Prepare(Generation::kWinXp);
  Handle conn = 0;
  EXPECT_EQ(Dial("Missing", conn), 623u);
  EXPECT_EQ(conn, 0u);
  ras::v401::RasDialParamsA p{};
  p.dwSize = Size(Record::kDialParams);
  std::strcpy(p.szEntryName, "Korvana");
  const auto dial = Fn<ras::RasDialAFn>("RasDialA");
  Handle preset = 77;
  EXPECT_EQ(dial(nullptr, nullptr, &p, 0, reinterpret_cast<void*>(&Notes::Notifier), &preset), 6u)
      << "the handle must be zero on entry";
  EXPECT_EQ(dial(nullptr, nullptr, &p, 0, reinterpret_cast<void*>(&Notes::Notifier), nullptr), 87u);
  EXPECT_EQ(dial(nullptr, nullptr, &p, 9, reinterpret_cast<void*>(&Notes::Notifier), &conn), 87u);
  p.dwSize = Size(Record::kDialParams) + 4;
  EXPECT_EQ(dial(nullptr, nullptr, &p, 0, reinterpret_cast<void*>(&Notes::Notifier), &conn), 632u);
}

std::atomic<int> g_func2Calls{0};
std::atomic<ras::UlongPtr> g_func2Callback{0};
std::atomic<Handle> g_func2Handle{0};

// A RasDialFunc2 that has heard enough after three notifications.
Dword DW_RASAPI Func2(ras::UlongPtr callbackId, Dword, Handle conn, unsigned, Dword, Dword, Dword) {
  g_func2Callback = callbackId;
  g_func2Handle = conn;
  return ++g_func2Calls < 3 ? 1 : 0;
}

TEST_F(SimDialling, ARasDialFunc2ThatAnswersZeroGetsNoMoreNotifications) {
  Prepare(Generation::kWinXp);
  ras::v401::RasDialParamsA p{};
  p.dwSize = Size(Record::kDialParams);
  p.dwCallbackId = 0x1234;
  std::strcpy(p.szEntryName, "Korvana");
  Handle conn = 0;
  ASSERT_EQ(Fn<ras::RasDialAFn>("RasDialA")(nullptr, nullptr, &p, 2,
                                            reinterpret_cast<void*>(&Func2), &conn),
            0u);
  clock_.Advance(2000);
  // The connection goes on; only the notifications stop. Every state is due
  // by now, so a thread that went on would reach ten calls at once.
  EXPECT_EQ(ConnectStatus(conn).state, 8192u);
  for (int i = 0; i < 5000 && g_func2Calls < 3; ++i) {
    dw::SleepFor(std::chrono::milliseconds(1));
  }
  dw::SleepFor(std::chrono::milliseconds(100));
  EXPECT_EQ(g_func2Calls.load(), 3);
  EXPECT_EQ(g_func2Callback.load(), 0x1234u);
  EXPECT_EQ(g_func2Handle.load(), conn);
}

// A call on a thread of its own, to see whether it returns.
class Background {
 public:
  template <class Call>
  explicit Background(Call call) : thread_([this, call] {
    result_ = call();
    done_ = true;
  }) {}
  ~Background() {
    if (thread_.joinable()) thread_.join();
  }
  bool DoneWithin(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done_ && std::chrono::steady_clock::now() < end) dw::SleepFor(std::chrono::milliseconds(1));
    return done_;
  }
  Dword Get() {
    thread_.join();
    return result_;
  }

 private:
  std::atomic<bool> done_{false};
  Dword result_ = 0;
  dw::Thread thread_;
};

TEST_F(SimDialling, WithoutANotifierTheDialIsSynchronous) {
  Prepare(Generation::kWinXp, DefaultScenario(), "AT+CGDCONT=1,\"IP\",\"bad\"");
  ras::v401::RasDialParamsA p{};
  p.dwSize = Size(Record::kDialParams);
  std::strcpy(p.szEntryName, "Korvana");
  Handle conn = 0;
  Background result([&] {
    return Fn<ras::RasDialAFn>("RasDialA")(nullptr, nullptr, &p, 0, nullptr, &conn);
  });
  EXPECT_FALSE(result.DoneWithin(std::chrono::milliseconds(50)));
  clock_.Advance(1000);
  EXPECT_EQ(result.Get(), 734u);
  EXPECT_NE(conn, 0u);
}

TEST_F(SimDialling, Every711AndAHungServiceAffectAllButTheErrorTexts) {
  Prepare(Generation::kWinXp);
  Scenario s = DefaultScenario();
  s.all711 = true;
  store_.SetScenario(s);
  Dword bytes = 0;
  Dword count = 0;
  EXPECT_EQ(Fn<ras::RasEnumDevicesAFn>("RasEnumDevicesA")(nullptr, &bytes, &count), 711u);
  EXPECT_EQ(Fn<ras::RasValidateEntryNameAFn>("RasValidateEntryNameA")(nullptr, "x"), 711u);
  char text[512];
  EXPECT_EQ(Fn<ras::RasGetErrorStringAFn>("RasGetErrorStringA")(711, text, sizeof text), 0u);

  s.all711 = false;
  s.hung = true;
  store_.SetScenario(s);
  Background probe([&] {
    return Fn<ras::RasEnumDevicesAFn>("RasEnumDevicesA")(nullptr, &bytes, &count);
  });
  EXPECT_FALSE(probe.DoneWithin(std::chrono::milliseconds(200)))
      << "the readiness probe must not return while the service is hung";
  EXPECT_EQ(Fn<ras::RasGetErrorStringAFn>("RasGetErrorStringA")(603, text, sizeof text), 0u);
  s.hung = false;
  store_.SetScenario(s);
  EXPECT_EQ(probe.Get(), 603u);
}

TEST_F(SimDialling, TwoProcessesShareThePhoneBookAndTheConnection) {
  Prepare(Generation::kWinXp);
  Handle conn = 0;
  ASSERT_EQ(Dial("Korvana", conn), 0u);
  CompleteDial(kConnectOrder.size());
  // A second process: its own simulator over the same store, and no
  // notifications of its own.
  Simulator other(Host{Generation::kWinXp, &store_, &clock_, &registry_, nullptr});
  auto names = Blank(Size(Record::kEntryName), 2);
  Dword bytes = 2 * Size(Record::kEntryName);
  Dword count = 0;
  ASSERT_EQ(other.EnumEntries(nullptr, nullptr, names.data(), &bytes, &count), 0u);
  EXPECT_EQ(count, 1u);
  auto conns = Blank(Size(Record::kConn), 2);
  bytes = 2 * Size(Record::kConn);
  ASSERT_EQ(other.EnumConnections(conns.data(), &bytes, &count), 0u);
  ASSERT_EQ(count, 1u);
  ras::v500::RasConnA c{};
  std::memcpy(&c, conns.data(), sizeof c);
  const Handle listed = c.hrasconn;  // packed: no reference to the field itself
  EXPECT_EQ(listed, conn);
  EXPECT_STREQ(c.szEntryName, "Korvana");
  EXPECT_STREQ(c.szDeviceName, "Korvana GPRS Modem");
  // The first process ends without hanging up: the connection stays.
  library_.reset();
  sim_.reset();
  EXPECT_EQ(other.HangUp(conn), 0u);
  clock_.Advance(1000);
  auto status = Blank(Size(Record::kConnStatus));
  EXPECT_EQ(other.GetConnectStatus(conn, status.data()), 6u);
}

}  // namespace
}  // namespace dw::sim::test
