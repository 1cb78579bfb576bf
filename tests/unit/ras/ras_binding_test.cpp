#include <gtest/gtest.h>

#include <chrono>
#include <iterator>
#include <utility>

#include "ras/binding.h"
#include "ras/record_access.h"
#include "ras_fixture.h"
#include "platform/threads.h"

namespace dw::ras::test {
namespace {

TEST(RasModules, ExactWinVersSelectTheirModuleAndXpSplitsEntriesFromTheRest) {
  for (std::uint32_t winVer : {0u, 400u, 409u, 411u, 500u, 502u, 599u}) {
    EXPECT_EQ(EntryModule(winVer), Module::kRas2k) << winVer;
    EXPECT_EQ(CallModule(winVer), Module::kRas2k) << winVer;
  }
  EXPECT_EQ(EntryModule(410), Module::kRas98);
  EXPECT_EQ(CallModule(410), Module::kRas98);
  EXPECT_EQ(EntryModule(490), Module::kRasMe);
  EXPECT_EQ(CallModule(490), Module::kRasMe);
  EXPECT_EQ(EntryModule(501), Module::kRasXp);
  EXPECT_EQ(CallModule(501), Module::kRas2k);
}

// Vista 600, 7 601, 8 and every later system without a manifest 602, 8.1
// with one 603, 10 and 11 with one 1000: XP's modules and records.
TEST(RasModules, FromVistaOnEveryWinVerWritesXpsRecords) {
  for (std::uint32_t winVer : {600u, 601u, 602u, 603u, 1000u, 1100u}) {
    EXPECT_EQ(GenerationOf(winVer), Generation::kVista) << winVer;
    EXPECT_FALSE(IsWin9x(GenerationOf(winVer))) << winVer;
    EXPECT_EQ(EntryModule(winVer), Module::kRasXp) << winVer;
    EXPECT_EQ(CallModule(winVer), Module::kRas2k) << winVer;
    for (Record r : kAllRecords) {
      const Module m = r == Record::kEntry ? EntryModule(winVer) : CallModule(winVer);
      EXPECT_EQ(ModuleRecordSize(m, r), ModuleRecordSize(r == Record::kEntry ? EntryModule(501)
                                                                             : CallModule(501),
                                                         r))
          << "WinVer " << winVer << ", record " << static_cast<int>(r);
      EXPECT_EQ(RecordSize(GenerationOf(winVer), r), RecordSize(Generation::kWinXp, r));
    }
  }
#if UINTPTR_MAX == 0xFFFFFFFFu
  // The numbers themselves, from the published i686 headers.
  EXPECT_EQ(ModuleRecordSize(EntryModule(602), Record::kEntry), 2884u);
  EXPECT_EQ(ModuleRecordSize(CallModule(602), Record::kEntryName), 532u);
  EXPECT_EQ(ModuleRecordSize(CallModule(602), Record::kDialParams), 1060u);
  EXPECT_EQ(ModuleRecordSize(CallModule(602), Record::kConn), 692u);
  EXPECT_EQ(ModuleRecordSize(CallModule(602), Record::kConnStatus), 288u);
  EXPECT_EQ(ModuleRecordSize(CallModule(602), Record::kStats), 60u);
#endif
}

// The dwSize each generation's modules write, from the published headers
// (the SDK's WINVER 0x400/0x401/0x500/0x501 blocks), not from our structs.
// Windows 98 and ME write the 0x400 entry; XP writes the 0x500 connection.
// The 64-bit numbers are mingw-w64's x86_64 <ras.h>: sizeof of the newest
// layout, offsetof of the first field each later layout adds for the older.
struct PublishedSizes {
  Record record;
  Dword win98, winMe, win2000, winXp;
};
#if UINTPTR_MAX == 0xFFFFFFFFu
constexpr Dword kDialParams401 = 1060, kConn400 = 412, kConn401 = 676, kConn500 = 692;
#else
// dwCallbackId and hrasconn are pointer-sized, still packed to 4.
constexpr Dword kDialParams401 = 1064, kConn400 = 416, kConn401 = 680, kConn500 = 696;
#endif
constexpr PublishedSizes kPublishedSizes[] = {
    {Record::kEntryName, 264, 264, 532, 532},
    {Record::kEntry, 1768, 1768, 2088, 2884},
    {Record::kDialParams, 1052, kDialParams401, kDialParams401, kDialParams401},
    {Record::kDevInfo, 152, 152, 152, 152},
    {Record::kConn, kConn400, kConn401, kConn500, kConn500},
    {Record::kConnStatus, 160, 288, 288, 288},
    {Record::kStats, 0, 0, 60, 60},  // RasGetConnectionStatistics is 2000 and later
};

TEST(RasModules, EachGenerationWritesThePublishedSizesThroughItsModules) {
  ASSERT_EQ(std::size(kPublishedSizes), std::size(kAllRecords));
  for (const PublishedSizes& p : kPublishedSizes) {
    const std::pair<Generation, Dword> expected[] = {{Generation::kWin98, p.win98},
                                                     {Generation::kWinMe, p.winMe},
                                                     {Generation::kWin2000, p.win2000},
                                                     {Generation::kWinXp, p.winXp}};
    for (const auto& [g, size] : expected) {
      const std::uint32_t winVer = WinVerOf(g);
      const Module m = p.record == Record::kEntry ? EntryModule(winVer) : CallModule(winVer);
      EXPECT_EQ(ModuleRecordSize(m, p.record), size)
          << "WinVer " << winVer << ", record " << static_cast<int>(p.record);
    }
  }
  // RasXP declares the entry record only.
  EXPECT_EQ(ModuleRecordSize(Module::kRasXp, Record::kConn), 0u);
  EXPECT_EQ(ModuleRecordSize(Module::kRasXp, Record::kDevInfo), 0u);
  EXPECT_EQ(ModuleRecordSize(Module::kRasXp, Record::kEntry), 2884u);
}

TEST(RecordAccess, SystemSizedArraysRoundTheElementSizeAndNeverShortTheBuffer) {
  EXPECT_EQ(SystemElementSize(1064, 2, 532), 532u);
  EXPECT_EQ(SystemElementSize(1065, 2, 532), 533u);  // 532.5 rounds up
  EXPECT_EQ(SystemElementSize(1063, 2, 532), 532u);  // 531.5 rounds up
  EXPECT_EQ(SystemElementSize(1000, 3, 152), 333u);  // 333.3
  EXPECT_EQ(SystemElementSize(1001, 3, 152), 334u);  // 333.7
  EXPECT_EQ(SystemElementSize(0xFFFFFFFFu, 1, 152), 0xFFFFFFFFu);
  EXPECT_EQ(SystemElementSize(500, 0, 152), 152u);  // no division by zero

  auto array = SystemSizedArray(456, 3, 152);
  EXPECT_EQ(array.size(), 456u);
  EXPECT_EQ(ReadDword(array, 0), 152u);
  // The system asks for more than count * stride: the room follows the system.
  array = SystemSizedArray(1000, 2, 152);
  EXPECT_EQ(array.size(), 1000u);
  EXPECT_EQ(ReadDword(array, 0), 500u);
  array = SystemSizedArray(10, 2, 152);
  EXPECT_EQ(array.size(), 304u);
  for (std::size_t i = 4; i < array.size(); ++i) ASSERT_EQ(array[i], 0) << i;
}

TEST(RecordAccess, TextFieldsAreCutAndTerminatedAndNeverOverrun) {
  std::vector<std::uint8_t> record(40, 0xAA);
  WriteField(record, 4, 17, "a-very-long-device-type-name");
  EXPECT_EQ(ReadField(record, 4, 17), "a-very-long-devi");  // 16 characters and a zero
  EXPECT_EQ(record[20], 0);
  EXPECT_EQ(record[21], 0xAA);  // the next field is untouched
  EXPECT_EQ(record[3], 0xAA);
  WriteField(record, 4, 17, "isdn");
  EXPECT_EQ(ReadField(record, 4, 17), "isdn");
  EXPECT_EQ(record[19], 0);  // the rest of the field is zeroed

  // A field without a zero is read to its end, not into the next one.
  std::vector<std::uint8_t> full(30, 'x');
  EXPECT_EQ(ReadField(full, 4, 10), std::string(10, 'x'));
  // A field that runs past the record is clipped to it, for both directions.
  EXPECT_EQ(ReadField(full, 25, 17), std::string(5, 'x'));
  EXPECT_EQ(ReadField(full, 30, 17), "");
  WriteField(full, 25, 17, "abcdefgh");
  EXPECT_EQ(std::string(full.begin() + 25, full.end()), std::string("abcd\0", 5));
  EXPECT_EQ(ReadDword(full, 28), 0u);  // would straddle the end
}

class RasGuard : public RasTest {};

Dword DW_RASAPI ProbeAnswers87(void*, Dword*, Dword*) { return 87; }

TEST_F(RasGuard, ProbeResultsOtherThan711LetTheCallThrough) {
  waiter_.grace = std::chrono::seconds(5);
  char text[512] = {};
  // 603: devices to list (the default scenario).
  StartRas(Generation::kWin2000);
  EXPECT_EQ(CallBinding().GetErrorString(678, text, sizeof text), 0u);
  EXPECT_STREQ(text, "The remote computer did not respond.");
  EXPECT_EQ(proxy_->Lookups("RasGetErrorStringA"), 1);

  // 0: no devices.
  sim::Scenario none = sim::DefaultScenario();
  none.devices.clear();
  StartRas(Generation::kWin2000, none);
  text[0] = 0;
  EXPECT_EQ(CallBinding().GetErrorString(678, text, sizeof text), 0u);
  EXPECT_STREQ(text, "The remote computer did not respond.");

  // Any other error from the probe.
  StartRas(Generation::kWin2000);
  proxy_->replaced["RasEnumDevicesA"] = reinterpret_cast<void*>(&ProbeAnswers87);
  text[0] = 0;
  EXPECT_EQ(CallBinding().GetErrorString(678, text, sizeof text), 0u);
  EXPECT_STREQ(text, "The remote computer did not respond.");
  EXPECT_EQ(fakeClock_.TotalSlept().count(), 0);
}

TEST_F(RasGuard, A711ProbeStopsTheCallWithoutAskingRas) {
  StartRas(Generation::kWinXp);
  SetFault(false, true);
  char text[512] = {};
  // The simulator would describe 678 even now; 711 proves RAS was not asked.
  EXPECT_EQ(CallBinding().GetErrorString(678, text, sizeof text), 711u);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(proxy_->Lookups("RasGetErrorStringA"), 0);
}

TEST_F(RasGuard, FirstAutoCheckWaits121PassesAndLaterChecks21) {
  StartRas(Generation::kWin98);
  Configure(120);  // "/auto"
  SetFault(true, false);
  EXPECT_EQ(CheckRasReady(), 711u);
  EXPECT_EQ(waiter_.serves, 121);
  EXPECT_EQ(fakeClock_.TotalSlept(), std::chrono::milliseconds(60500));
  EXPECT_EQ(waitCount_.load(), 20);

  Dword bytes = 0, count = 0;
  EXPECT_EQ(CallBinding().EnumDevices(nullptr, &bytes, &count), 711u);
  EXPECT_EQ(waiter_.serves, 121 + 21);
  EXPECT_EQ(fakeClock_.TotalSlept(), std::chrono::milliseconds(60500 + 10500));

  // A negative count allows no pass at all.
  waitCount_ = -1;
  EXPECT_EQ(CheckRasReady(), 711u);
  EXPECT_EQ(waiter_.serves, 142);
  EXPECT_EQ(waitCount_.load(), 20);
}

TEST_F(RasGuard, TheWaiterStopsAtTheFirstPassAfterTheWorkerIsDone) {
  waiter_.grace = std::chrono::seconds(5);
  StartRas(Generation::kWinMe);
  Configure(120);
  EXPECT_EQ(CheckRasReady(), 603u);
  EXPECT_LE(waiter_.serves, 3);
  EXPECT_EQ(fakeClock_.TotalSlept().count(), 0);
  EXPECT_EQ(waitCount_.load(), 20);
}

TEST_F(RasGuard, AMissingLibraryOrNameIsAnErrorAndTheProbeWaitsItsFullTime) {
  StartRas(Generation::kWin2000);
  proxy_->replaced["RasValidateEntryNameA"] = nullptr;
  EXPECT_THROW(kRas2k.ValidateEntryName("Korvana"), RasError);

  proxy_->loaded = false;
  waiter_.serves = 0;
  // The probe finds nothing to call, so the check gives up: 711, not an error.
  EXPECT_EQ(CheckRasReady(), 711u);
  EXPECT_EQ(waiter_.serves, 21);
  EXPECT_EQ(CallBinding().GetConnectStatus(1, nullptr), 711u);

  ConfigureRas({nullptr, 500, nullptr, &waiter_, nullptr, 0, std::chrono::milliseconds(1)});
  EXPECT_THROW(ResolveEntryPoint("RasDialA"), RasError);
}

TEST_F(RasGuard, WaitingCallersKeepServingTheirMessages) {
  StartRas(Generation::kWin2000);
  SetFault(true, false);
  std::atomic<bool> handled{false};
  std::atomic<bool> handledOnUi{false};
  const WindowHandle other = messages_.AddWindow([&](std::uint32_t, std::uintptr_t, std::intptr_t) {
    handledOnUi = dw::CurrentThreadId() == messages_.UiThread();
    handled = true;
    return std::intptr_t{7};
  });
  std::intptr_t answer = 0;
  dw::Thread sender([&] { answer = messages_.Send(other, 0x999, 0, 0); });
  EXPECT_EQ(CheckRasReady(), 711u);
  sender.join();
  EXPECT_TRUE(handled.load());
  EXPECT_TRUE(handledOnUi.load());
  EXPECT_EQ(answer, 7);
}

TEST_F(RasGuard, GuardedCallsWakeWithTheWorkerInsteadOfSleepingWholePasses) {
  StartRas(Generation::kWinXp);
  auto waiter = MakeMessagesWaiter(messages_);
  ConfigureRas({proxy_.get(), 501, &waitCount_, waiter.get(), &messages_, mainWindow_,
                std::chrono::milliseconds(500)});
  const auto start = std::chrono::steady_clock::now();
  constexpr int kCalls = 10;
  for (int i = 0; i < kCalls; ++i) {
    Dword bytes = 0, count = 0;
    ASSERT_EQ(CallBinding().EnumDevices(nullptr, &bytes, &count), 603u);
  }
  // Sleeping whole passes would take at least 5 s.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2500));
  WaitForWorkers();
  ConfigureRas({});
}

// Hang-up, with RasHangUpA and the status query replaced by counting ones.
std::atomic<int> g_hangUps{0};
std::atomic<Dword> g_statusSize{0};
std::atomic<bool> g_release{false};

Dword DW_RASAPI CountingHangUp(Handle conn) {
  ++g_hangUps;
  return sim::entry::RasHangUpA(conn);
}
Dword DW_RASAPI NumberedHangUp(Handle) { return 600 + static_cast<Dword>(++g_hangUps); }
Dword DW_RASAPI BlockedHangUp(Handle) {
  ++g_hangUps;
  while (!g_release) dw::SleepFor(std::chrono::milliseconds(2));
  return 0;
}
Dword DW_RASAPI StatusNeverGone(Handle, void* status) {
  Dword size = 0;
  std::memcpy(&size, status, sizeof size);
  g_statusSize = size;
  return 0;
}

class RasHangUp : public RasTest {
 protected:
  void SetUp() override {
    g_hangUps = 0;
    g_statusSize = 0;
    g_release = false;
  }
  void TearDown() override {
    g_release = true;
    RasTest::TearDown();
  }
};

TEST_F(RasHangUp, AConnectionAlreadyGoneTakesOneCall) {
  for (Generation g : sim::test::kGenerations) {
    StartRas(g);
    g_hangUps = 0;
    proxy_->replaced["RasHangUpA"] = reinterpret_cast<void*>(&CountingHangUp);
    const Dword expected = sim::entry::RasHangUpA(4242);  // what RAS says of a gone handle
    EXPECT_EQ(CallBinding().HangUp(4242), expected);
    EXPECT_EQ(g_hangUps.load(), 1);
  }
}

TEST_F(RasHangUp, AConnectionThatNeverGoesTakesExactly21CallsAndGivesTheLastCode) {
  for (Generation g : sim::test::kGenerations) {
    StartRas(g);
    g_hangUps = 0;
    proxy_->replaced["RasHangUpA"] = reinterpret_cast<void*>(&NumberedHangUp);
    proxy_->replaced["RasGetConnectStatusA"] = reinterpret_cast<void*>(&StatusNeverGone);
    EXPECT_EQ(CallBinding().HangUp(77), 621u);
    EXPECT_EQ(g_hangUps.load(), 21);
    EXPECT_EQ(g_statusSize.load(), RecordSize(g, Record::kConnStatus));
  }
}

TEST_F(RasHangUp, ARealConnectionIsHungUpUntilRasLetsItGo) {
  StartRas(Generation::kWin2000);
  ASSERT_EQ(SaveEntry("Korvana", "Korvana ISDN Adapter", "*99***1#", "isdn"), 0u);
  Handle conn = 0;
  ASSERT_EQ(Dial("Korvana", conn), 0u);
  proxy_->replaced["RasHangUpA"] = reinterpret_cast<void*>(&CountingHangUp);
  // The simulated service lets the handle go after its hang-up delay.
  dw::Thread network([this] {
    // The second call comes after the first has been recorded.
    while (g_hangUps < 2) dw::SleepFor(std::chrono::milliseconds(1));
    clock_.Advance(1000);
  });
  // Whether the handle went after a call or a later call found it gone, the
  // connection was hung up.
  const Dword result = CallBinding().HangUp(conn);
  network.join();
  EXPECT_EQ(result, 0u);
  EXPECT_GE(g_hangUps.load(), 1);
  EXPECT_LT(g_hangUps.load(), 21);
  EXPECT_EQ(ConnectStatus(conn).result, kErrorInvalidHandle);
}


TEST_F(RasHangUp, AConnectionThatGoesDuringTheWorkersSleepIsHungUp) {
  for (Generation g : sim::test::kGenerations) {
    SCOPED_TRACE(static_cast<int>(g));
    StartRas(g);  // the hang-up takes its time, as on Windows
    ASSERT_EQ(SaveEntry("Korvana", "Korvana ISDN Adapter", "*99***1#", "isdn"), 0u);
    Handle conn = 0;
    ASSERT_EQ(Dial("Korvana", conn), 0u);
    CompleteDial(10);
    g_hangUps = 0;
    LoseConnectionAfterFirstStatus();
    proxy_->replaced["RasHangUpA"] = reinterpret_cast<void*>(&CountingHangUp);
    // The second RasHangUpA answers 6: the handle it names is gone by then.
    EXPECT_EQ(CallBinding().HangUp(conn), 0u);
    KeepConnectionAfterStatus();
    EXPECT_EQ(g_hangUps.load(), 2);
    EXPECT_EQ(ConnectStatus(conn).result, kErrorInvalidHandle);
  }
}

TEST_F(RasHangUp, AWorkerBlockedInRasGivesZeroAfter121Passes) {
  StartRas(Generation::kWinXp);
  proxy_->replaced["RasHangUpA"] = reinterpret_cast<void*>(&BlockedHangUp);
  EXPECT_EQ(CallBinding().HangUp(5), 0u);
  // Three passes at most for the readiness check (a sleep for each pass its
  // worker has not answered by, on a busy machine), then the full hang-up
  // wait of 121 passes.
  EXPECT_GE(waiter_.serves, 121);
  EXPECT_LE(waiter_.serves, 124);
  EXPECT_GE(fakeClock_.TotalSlept(), std::chrono::milliseconds(60500));
  EXPECT_LE(fakeClock_.TotalSlept(), std::chrono::milliseconds(61500));
  EXPECT_EQ(g_hangUps.load(), 1);
}

TEST_F(RasHangUp, TheReadinessCheckStopsAHangUpBeforeItStarts) {
  StartRas(Generation::kWin98);
  SetFault(false, true);
  proxy_->replaced["RasHangUpA"] = reinterpret_cast<void*>(&CountingHangUp);
  EXPECT_EQ(CallBinding().HangUp(5), 711u);
  EXPECT_EQ(g_hangUps.load(), 0);
  proxy_->replaced["RasGetConnectStatusA"] = nullptr;
  ClearFault();
  EXPECT_THROW(CallBinding().HangUp(5), RasError);
  EXPECT_EQ(g_hangUps.load(), 0);
}

}  // namespace
}  // namespace dw::ras::test
