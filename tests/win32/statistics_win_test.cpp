// Traffic counters under Wine, once per generation: from the dynamic
// registry (HKEY_DYN_DATA) through the real registry adapter on the 9x
// generations, where the simulator keeps its system-wide counters; from the
// simulator's RasGetConnectionStatistics with the generation's RAS_STATS on
// the NT ones. Then the statistics thread against a real window.
#include <gtest/gtest.h>

#include "platform/win32/win.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "connection/current_connection.h"
#include "connection/statistics.h"
#include "connection/traffic_sampler.h"
#include "core/entry_points.h"
#include "missing_calls_win.h"
#include "platform/message_numbers.h"
#include "platform/registry.h"
#include "platform/win32/adapters_win.h"
#include "ras/binding.h"
#include "ras/context.h"
#include "ras/readiness.h"
#include "ras/records.h"
#include "ras_module_support_win.h"
#include "support_win.h"

namespace dw {
namespace {

using test::ModuleLibrary;
using test::WinVer;
using ras::Dword;
using ras::Record;

std::atomic<Dword> g_lastState{~0u};
std::atomic<Dword> g_lastError{0};

void DW_RASAPI Notify(unsigned, Dword state, Dword error) {
  g_lastError = error;
  g_lastState = state;
}

bool Win9xHarness() {
  char gen[16] = {};
  GetEnvironmentVariableA("DW_WINE_GEN", gen, sizeof gen);
  const std::string name = gen;
  return name == "win98" || name == "winme";
}

// The value as the system stores it, read without the adapter.
std::uint32_t RawCounter(const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_DYN_DATA, "PerfStats\\StatData", 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS) {
    ADD_FAILURE() << "no PerfStats\\StatData under HKEY_DYN_DATA";
    return 0;
  }
  BYTE bytes[4] = {};
  DWORD n = sizeof bytes;
  const LONG rc = RegQueryValueExA(key, name, nullptr, nullptr, bytes, &n);
  RegCloseKey(key);
  EXPECT_EQ(rc, ERROR_SUCCESS) << name;
  EXPECT_EQ(n, 4u) << name;
  return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

void PutRawValue(const char* name, const std::vector<BYTE>& bytes) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_DYN_DATA, "PerfStats\\StatData", 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(key, name, 0, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

class StatisticsWine : public ::testing::Test {
 protected:
  void SetUp() override {
    messages_ = MakeWin32WindowMessages();
    waiter_ = ras::MakeMessagesWaiter(*messages_);
    test::UseScenarioFolder("stats", "device isdn Korvana ISDN Adapter\n"
                                     "number *99***1# connect\n"
                                     "notify-delay-ms 20\n"
                                     "rate-received 8000\n"
                                     "rate-sent 2000\n"
                                     "strict on\n");
    module_ = LoadLibraryW((test::BinDir() + L"rasapi32.dll").c_str());
    ASSERT_NE(module_, nullptr);
    ASSERT_NE(GetProcAddress(module_, "RasSimMarker"), nullptr) << "not the simulator";
    library_ = std::make_unique<ModuleLibrary>(module_);
    winVer_ = WinVer();
    generation_ = ras::GenerationOf(winVer_);
    ras::ConfigureRas({library_.get(), winVer_, &waitCount_, waiter_.get(), messages_.get(), 0,
                       std::chrono::milliseconds(500)});
    registry_ = MakeWin32Registry();
    connection::ConfigureStatistics(registry_.get());
  }
  void TearDown() override {
    if (conn_ != 0) Fn<ras::RasHangUpAFn>("RasHangUpA")(conn_);
    connection::SetMainConnectionHandle(0);
    connection::ConfigureStatistics(nullptr);
    for (int i = 0; i < 500 && ras::RunningRasWorkers() != 0; ++i) Sleep(10);
    ras::ConfigureRas({});
  }

  template <typename F>
  F Fn(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }
  Dword Size(Record r) const { return ras::RecordSize(generation_, r); }

  // An ISDN entry dialled through the DLL, up and connected.
  void DialConnected() {
    ras::v501::RasEntryA e = test::IsdnEntry(Size(Record::kEntry));
    ASSERT_EQ(Fn<ras::RasSetEntryPropertiesAFn>("RasSetEntryPropertiesA")(nullptr, "Korvana", &e,
                                                                          e.dwSize, nullptr, 0),
              0u);
    ras::v401::RasDialParamsA p{};
    p.dwSize = Size(Record::kDialParams);
    std::strcpy(p.szEntryName, "Korvana");
    std::strcpy(p.szUserName, "pvlok");
    ASSERT_EQ(Fn<ras::RasDialAFn>("RasDialA")(nullptr, nullptr, &p, 0,
                                              reinterpret_cast<void*>(&Notify), &conn_),
              0u);
    ASSERT_NE(conn_, 0u);
    for (int i = 0; i < 500 && g_lastState != ras::kConnected && g_lastError == 0; ++i) Sleep(10);
    ASSERT_EQ(g_lastState.load(), ras::kConnected);
    ASSERT_EQ(g_lastError.load(), 0u);
  }

  // Any call makes the simulator bring its 9x counters up to date.
  bool StillConnected() {
    std::vector<std::uint8_t> status(Size(Record::kConnStatus) + 16, 0);
    const Dword size = Size(Record::kConnStatus);
    std::memcpy(status.data(), &size, sizeof size);
    if (Fn<ras::RasGetConnectStatusAFn>("RasGetConnectStatusA")(conn_, status.data()) != 0) {
      return false;
    }
    Dword state = 0;
    std::memcpy(&state, status.data() + 4, sizeof state);
    return state == ras::kConnected;
  }

  // RasGetConnectionStatistics with the generation's record: received, sent.
  std::pair<Dword, Dword> Direct() {
    std::vector<std::uint8_t> record(Size(Record::kStats), 0);
    const Dword size = Size(Record::kStats);
    std::memcpy(record.data(), &size, sizeof size);
    EXPECT_EQ(Fn<ras::RasGetConnectionStatisticsFn>("RasGetConnectionStatistics")(conn_,
                                                                                    record.data()),
              0u);
    ras::RasStats s{};
    std::memcpy(&s, record.data(), sizeof s);
    return {s.dwBytesRcved, s.dwBytesXmited};
  }

  std::unique_ptr<WindowMessages> messages_;
  std::unique_ptr<ras::RasWaiter> waiter_;
  std::unique_ptr<RasLibrary> library_;
  std::unique_ptr<Registry> registry_;
  std::atomic<std::int32_t> waitCount_{20};
  HMODULE module_ = nullptr;
  std::uint32_t winVer_ = 0;
  ras::Generation generation_ = ras::Generation::kWinXp;
  ras::Handle conn_ = 0;
};

TEST_F(StatisticsWine, TheRegistryAdapterReadsTheDynamicDataRoot) {
  // Wine keeps HKEY_DYN_DATA on every version setting; a key of our own.
  const std::string path = "DialwaveTest-" + std::to_string(GetCurrentProcessId());
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_DYN_DATA, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const BYTE two[2] = {0x34, 0x12};
  ASSERT_EQ(RegSetValueExA(key, "Counter", 0, REG_BINARY, two, sizeof two), ERROR_SUCCESS);
  RegCloseKey(key);

  const auto opened = registry_->OpenReadOnly(RegistryRoot::kDynData, "\\" + path);
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(connection::ReadBinary(opened.get(), "Counter"), 4660u);
  EXPECT_EQ(connection::ReadBinary(opened.get(), "Missing"), 0u);
  EXPECT_FALSE(opened->WriteText("Counter", "x"));  // opened for reading only
  RegDeleteKeyA(HKEY_DYN_DATA, path.c_str());
}

TEST_F(StatisticsWine, Before2000TheSimulatorsSystemWideCountersComeThroughTheRegistry) {
  if (winVer_ >= 500) {
    EXPECT_FALSE(Win9xHarness());
    GTEST_SKIP() << "RAS statistics from Windows 2000 on";
  }
  ASSERT_TRUE(Win9xHarness());
  DialConnected();
  const auto missingCalls = [] {
    const std::string state = test::Capture(test::BinDir() + L"rassim.exe", L"state");
    const std::size_t at = state.find("\nmissing-calls=");
    if (at == std::string::npos) return std::string("absent");
    return state.substr(at + 15, state.find_first_of("\r\n", at + 1) - at - 15);
  };
  // The program's 9x path never calls what 9x lacks...
  EXPECT_EQ(missingCalls(), "0");
  Sleep(1200);
  ASSERT_TRUE(StillConnected());
  const std::uint32_t rawReceived = RawCounter("Dial-Up Adapter\\TotalBytesRecvd");
  const std::uint32_t rawSent = RawCounter("Dial-Up Adapter\\TotalBytesXmit");
  ASSERT_GT(rawSent, 0u);
  ASSERT_GT(rawReceived, rawSent);  // the scenario receives four times as fast

  std::uint32_t received = 0;
  std::uint32_t sent = 0;
  // No RAS call in between: the values the simulator left are read as they are.
  EXPECT_EQ(connection::GetStatistics(received, sent, conn_), 0u);
  EXPECT_EQ(received, rawReceived);
  EXPECT_EQ(sent, rawSent);
  // This generation has no per-connection statistics at all: the one call
  // of what it lacks, made here on purpose.
  test::ExpectMissingCalls(1);
  std::vector<std::uint8_t> record(60, 0);
  record[0] = 60;
  EXPECT_EQ(Fn<ras::RasGetConnectionStatisticsFn>("RasGetConnectionStatistics")(conn_,
                                                                                  record.data()),
            ras::kErrorCallNotImplemented);

  // A shorter value is little-endian as well.
  PutRawValue("Dial-Up Adapter\\TotalBytesXmit", {0x34, 0x12});
  EXPECT_EQ(connection::GetStatistics(received, sent, 0), 0u);
  EXPECT_EQ(sent, 4660u);
  EXPECT_EQ(received, rawReceived);

  // The next RAS call puts the simulator's counters back, grown meanwhile.
  Sleep(300);
  ASSERT_TRUE(StillConnected());
  EXPECT_EQ(connection::GetStatistics(received, sent, 0), 0u);
  EXPECT_GT(received, rawReceived);
  EXPECT_GE(sent, rawSent);
  // ...and the one call above that does is on record.
  EXPECT_EQ(missingCalls(), "1");
}

TEST_F(StatisticsWine, From2000OnTheConnectionsCountersComeFromRasWithTheGenerationsRecord) {
  if (winVer_ < 500) {
    EXPECT_TRUE(Win9xHarness());
    GTEST_SKIP() << "system-wide counters before Windows 2000";
  }
  EXPECT_EQ(Size(Record::kStats), 60u);
  DialConnected();
  std::uint32_t received = 1;
  std::uint32_t sent = 1;
  // No connection of the main window and none named: zeros.
  EXPECT_EQ(connection::GetStatistics(received, sent, 0), 0u);
  EXPECT_EQ(received, 0u);
  EXPECT_EQ(sent, 0u);

  Sleep(800);
  const auto before = Direct();
  EXPECT_EQ(connection::GetStatistics(received, sent, conn_), 0u);
  const auto after = Direct();
  // The counters grow in real time: ours lies between two direct readings.
  EXPECT_GE(received, before.first);
  EXPECT_LE(received, after.first);
  EXPECT_GE(sent, before.second);
  EXPECT_LE(sent, after.second);
  EXPECT_GT(sent, 0u);
  EXPECT_GT(received, sent);

  connection::SetMainConnectionHandle(conn_);
  Sleep(300);
  std::uint32_t viaMain = 0;
  std::uint32_t ignored = 0;
  EXPECT_EQ(connection::GetStatistics(viaMain, ignored, 0), 0u);
  EXPECT_GT(viaMain, received);

  // Gone: the counters stay as they were.
  ASSERT_EQ(Fn<ras::RasHangUpAFn>("RasHangUpA")(conn_), 0u);
  Dword result = 0;
  for (int i = 0; i < 300 && result != ras::kErrorInvalidHandle; ++i) {
    std::uint32_t r = 0, s = 0;
    result = connection::GetStatistics(r, s, conn_);
    if (result != ras::kErrorInvalidHandle) Sleep(10);
  }
  EXPECT_EQ(result, ras::kErrorInvalidHandle);
  conn_ = 0;
}

// The statistics thread against a real window of this thread: real
// SendMessage, the generation's counters, and a loss handler that pauses
// the thread while it waits for the reply.
struct LoopWindow {
  std::vector<UINT> messages;
  std::vector<WPARAM> received;
  connection::TrafficSampler* thread = nullptr;
  int pausedInHandler = 0;
};
LoopWindow* g_loop = nullptr;

LRESULT CALLBACK LoopWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (g_loop && (message == kMsgStatistics || message == kMsgConnectionLost)) {
    g_loop->messages.push_back(message);
    if (message == kMsgStatistics) g_loop->received.push_back(wparam);
    if (message == kMsgConnectionLost && g_loop->thread) {
      g_loop->thread->Pause();
      g_loop->thread->Accumulate();
      ++g_loop->pausedInHandler;
    }
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

TEST_F(StatisticsWine, TheThreadReportsSamplesAndTheLossToARealWindow) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = LoopWindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"DialwaveStatLoopTest";
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                wc.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  LoopWindow loop;
  g_loop = &loop;

  DialConnected();
  std::uint32_t baseReceived = 0;
  std::uint32_t baseSent = 0;
  if (winVer_ < 500) {
    ASSERT_TRUE(StillConnected());
    ASSERT_EQ(connection::GetStatistics(baseReceived, baseSent, 0), 0u);
  }
  connection::SetMainConnectionHandle(conn_);

  connection::TrafficSampler::Setup setup;
  setup.messages = std::shared_ptr<WindowMessages>(MakeWin32WindowMessages());
  setup.clock = std::shared_ptr<Clock>(MakeSystemClock());
  setup.target = reinterpret_cast<WindowHandle>(window);
  const ras::Generation g = generation_;
  setup.connIsOpen = [g](ras::Handle conn) {
    std::vector<std::uint8_t> status(ras::RecordSize(g, Record::kConnStatus) + 16, 0);
    const Dword size = ras::RecordSize(g, Record::kConnStatus);
    std::memcpy(status.data(), &size, sizeof size);
    if (ras::CallBinding().GetConnectStatus(conn, status.data()) != 0) return false;
    Dword state = 0;
    std::memcpy(&state, status.data() + 4, sizeof state);
    return state == ras::kConnected;
  };
  setup.period = std::chrono::milliseconds(300);
  setup.slice = std::chrono::milliseconds(50);
  {
    connection::TrafficSampler thread(std::move(setup));
    loop.thread = &thread;
    thread.SetBaseline(baseReceived, baseSent);
    ASSERT_TRUE(thread.Resume());
    auto event = messages_->NewEvent();
    for (int i = 0; i < 200 && loop.received.size() < 3; ++i) {
      messages_->WaitServing(*event, std::chrono::milliseconds(50));
    }
    ASSERT_GE(loop.received.size(), 3u);
    EXPECT_GT(loop.received[0], 0u);
    EXPECT_GT(loop.received[2], loop.received[1]);
    EXPECT_GT(thread.CurrentSpeed(), 0u);

    // The network drops the line: the second failed check reports it, and
    // the handler's pause holds the thread once the reply is back.
    EXPECT_EQ(test::Capture(test::BinDir() + L"rassim.exe", L"drop all").find("dropped=1"), 0u);
    for (int i = 0; i < 200 && loop.pausedInHandler == 0; ++i) {
      messages_->WaitServing(*event, std::chrono::milliseconds(50));
    }
    ASSERT_EQ(loop.pausedInHandler, 1);
    for (int i = 0; i < 100 && !thread.WaitsPaused(); ++i) {
      messages_->WaitServing(*event, std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(thread.WaitsPaused());
    const std::size_t seen = loop.messages.size();
    messages_->WaitServing(*event, std::chrono::milliseconds(800));
    EXPECT_EQ(loop.messages.size(), seen);
    EXPECT_EQ(loop.messages.back(), kMsgConnectionLost);
    loop.thread = nullptr;
  }  // terminated and joined here
  conn_ = 0;
  g_loop = nullptr;
  DestroyWindow(window);
}

}  // namespace
}  // namespace dw
