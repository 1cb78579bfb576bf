// The simulator's rasapi32.dll under Wine, loaded by its full path from the
// build (the shared prefixes stay untouched): its marker proves it is the one
// loaded before anything is asserted as RAS behaviour; it dials with the
// records of the running generation; rassim.exe, another process, sees what
// this one did.
#include <gtest/gtest.h>

#include "platform/win32/win.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "core/entry_points.h"
#include "ras/records.h"
#include "ras_module_support_win.h"
#include "support_win.h"

namespace dw {
namespace {

using ras::Dword;
using ras::Record;

std::atomic<Dword> g_lastState{~0u};
std::atomic<Dword> g_lastError{0};
std::atomic<int> g_notes{0};
std::atomic<bool> g_inOrder{true};

void DW_RASAPI Notify(unsigned msg, Dword state, Dword error) {
  static const Dword kOrder[] = {0, 1, 2, 3, 4, 5, 14, 10, 18, 8192};
  const int n = g_notes++;
  if (msg != ras::kWmRasDialEvent || n >= 10 || kOrder[n] != state) g_inOrder = false;
  g_lastError = error;
  g_lastState = state;
}

ras::Generation RunningGeneration() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  GetVersionExA(&info);
  return ras::GenerationOf(info.dwMajorVersion * 100 + info.dwMinorVersion);
}

// A state folder of this process's own, with a quick scenario, set before
// the DLL's first call reads it.
std::string PrepareFolder() {
  return test::UseScenarioFolder("rassim", "device modem Korvana GPRS Modem\n"
                                          "device isdn Korvana ISDN Adapter\n"
                                          "apn internet.kvr connect\n"
                                          "number *99***1# connect\n"
                                          "notify-delay-ms 20\n");
}

class SimDll : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = PrepareFolder();
    module_ = LoadLibraryW((test::BinDir() + L"rasapi32.dll").c_str());
    ASSERT_NE(module_, nullptr) << GetLastError();
    const auto marker = reinterpret_cast<Dword(DW_RASAPI*)()>(
        reinterpret_cast<void*>(GetProcAddress(module_, "RasSimMarker")));
    // Wine's own stub has no marker: without it nothing below is RAS.
    ASSERT_NE(marker, nullptr) << "Wine's builtin rasapi32 was loaded instead of the simulator";
    ASSERT_EQ(marker(), sim::kMarker);
    generation_ = RunningGeneration();
  }
  void TearDown() override {
    // Connections stay with the service; the folder is this test's own.
  }

  template <typename F>
  F Fn(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }
  Dword Size(Record r) const { return ras::RecordSize(generation_, r); }

  std::string folder_;
  HMODULE module_ = nullptr;
  ras::Generation generation_ = ras::Generation::kWinXp;
};

TEST_F(SimDll, ExportsTheTwelveEntryPointsByTheirPublishedNames) {
  for (const char* name : {"RasGetErrorStringA", "RasEnumConnectionsA", "RasHangUpA",
                           "RasEnumEntriesA", "RasGetEntryPropertiesA", "RasGetEntryDialParamsA",
                           "RasSetEntryPropertiesA", "RasValidateEntryNameA", "RasEnumDevicesA",
                           "RasGetConnectStatusA", "RasDialA", "RasGetConnectionStatistics"}) {
    EXPECT_NE(GetProcAddress(module_, name), nullptr) << name;
  }
  char text[512] = {};
  EXPECT_EQ(Fn<ras::RasGetErrorStringAFn>("RasGetErrorStringA")(678, text, sizeof text), 0u);
  EXPECT_STREQ(text, "The remote computer did not respond.");
  EXPECT_EQ(Fn<ras::RasGetErrorStringAFn>("RasGetErrorStringA")(12345, text, sizeof text), 87u);
}

TEST_F(SimDll, DialsWithThisGenerationsRecordsAndAnotherProcessSeesIt) {
  ras::v501::RasEntryA e = test::IsdnEntry(Size(Record::kEntry));
  ASSERT_EQ(Fn<ras::RasSetEntryPropertiesAFn>("RasSetEntryPropertiesA")(nullptr, "Korvana", &e,
                                                                        e.dwSize, nullptr, 0),
            0u);
  EXPECT_EQ(Fn<ras::RasValidateEntryNameAFn>("RasValidateEntryNameA")(nullptr, "Korvana"), 183u);

  ras::v401::RasDialParamsA p{};
  p.dwSize = Size(Record::kDialParams);
  std::strcpy(p.szEntryName, "Korvana");
  std::strcpy(p.szUserName, "pvlok");
  ras::Handle conn = 0;
  ASSERT_EQ(Fn<ras::RasDialAFn>("RasDialA")(nullptr, nullptr, &p, 0,
                                            reinterpret_cast<void*>(&Notify), &conn),
            0u);
  ASSERT_NE(conn, 0u);
  for (int i = 0; i < 500 && g_lastState != 8192 && g_lastError == 0; ++i) Sleep(10);
  EXPECT_EQ(g_lastState.load(), 8192u);
  EXPECT_EQ(g_lastError.load(), 0u);
  EXPECT_TRUE(g_inOrder.load());

  std::vector<std::uint8_t> status(Size(Record::kConnStatus), 0);
  const Dword statusSize = Size(Record::kConnStatus);
  std::memcpy(status.data(), &statusSize, sizeof statusSize);
  ASSERT_EQ(Fn<ras::RasGetConnectStatusAFn>("RasGetConnectStatusA")(conn, status.data()), 0u);
  Dword state = 0;
  std::memcpy(&state, status.data() + 4, sizeof state);
  EXPECT_EQ(state, 8192u);
  // A record of a layout this generation does not write is refused.
  const Dword foreign = Size(Record::kConnStatus) == 160 ? 288 : 160;
  std::memcpy(status.data(), &foreign, sizeof foreign);
  EXPECT_EQ(Fn<ras::RasGetConnectStatusAFn>("RasGetConnectStatusA")(conn, status.data()), 632u);

  const std::string out = test::Capture(test::BinDir() + L"rassim.exe", L"state");
  EXPECT_NE(out.find("entries=1"), std::string::npos) << out;
  EXPECT_NE(out.find("entry.1.name=Korvana"), std::string::npos) << out;
  EXPECT_NE(out.find("entry.1.device-name=Korvana ISDN Adapter"), std::string::npos) << out;
  EXPECT_NE(out.find("connection.1.handle=" + std::to_string(conn)), std::string::npos) << out;
  EXPECT_NE(out.find("connection.1.state=8192"), std::string::npos) << out;

  // Hung up here, the other process sees it go.
  ASSERT_EQ(Fn<ras::RasHangUpAFn>("RasHangUpA")(conn), 0u);
  std::memcpy(status.data(), &statusSize, sizeof statusSize);
  Dword result = 0;
  for (int i = 0; i < 300 && result != 6; ++i) {
    result = Fn<ras::RasGetConnectStatusAFn>("RasGetConnectStatusA")(conn, status.data());
    if (result != 6) Sleep(10);
  }
  EXPECT_EQ(result, 6u);
  const std::string after = test::Capture(test::BinDir() + L"rassim.exe", L"state");
  EXPECT_NE(after.find("connections=0"), std::string::npos) << after;
}

// Run by sim_install.sh in a prefix of its own, after `rassim install`:
// the program's way of loading RAS (by full path in the system folder) gets
// the simulator, and a dial goes through the modem the tool installed.
TEST(SimInstalled, DISABLED_TheSystemRasapi32IsTheSimulatorAndDialsThroughTheModem) {
  char system[MAX_PATH + 1] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  HMODULE module = LoadLibraryA((std::string(system) + "\\rasapi32.dll").c_str());
  ASSERT_NE(module, nullptr);
  const auto marker = reinterpret_cast<Dword(DW_RASAPI*)()>(
      reinterpret_cast<void*>(GetProcAddress(module, "RasSimMarker")));
  ASSERT_NE(marker, nullptr) << "Wine's builtin rasapi32 is still the system's";
  ASSERT_EQ(marker(), sim::kMarker);
  const auto fn = [&](const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(module, name));
  };
  const ras::Generation g = RunningGeneration();

  // Select the APN the way the program does: the modem's UserInit.
  const bool win9x = ras::IsWin9x(g);
  const std::string key = win9x ? "System\\CurrentControlSet\\Services\\Class\\Modem\\0000"
                                : "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-"
                                  "BFC1-08002BE10318}\\0000";
  HKEY h = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_SET_VALUE, &h), ERROR_SUCCESS);
  const char init[] = "AT+CGDCONT=1,\"IP\",\"internet.kvr\"";
  RegSetValueExA(h, "UserInit", 0, REG_SZ, reinterpret_cast<const BYTE*>(init), sizeof init);
  RegCloseKey(h);

  ras::v501::RasEntryA e{};
  e.dwSize = ras::RecordSize(g, Record::kEntry);
  e.dwFramingProtocol = 1;
  e.dwType = 1;  // a phone line (2000 on)
  std::strcpy(e.szLocalPhoneNumber, "*99***1#");
  std::strcpy(e.szDeviceType, "modem");
  std::strcpy(e.szDeviceName, "Korvana GPRS Modem");
  ASSERT_EQ(reinterpret_cast<ras::RasSetEntryPropertiesAFn>(fn("RasSetEntryPropertiesA"))(
                nullptr, "Korvana", &e, e.dwSize, nullptr, 0),
            0u);
  ras::v401::RasDialParamsA p{};
  p.dwSize = ras::RecordSize(g, Record::kDialParams);
  std::strcpy(p.szEntryName, "Korvana");
  ras::Handle conn = 0;
  ASSERT_EQ(reinterpret_cast<ras::RasDialAFn>(fn("RasDialA"))(
                nullptr, nullptr, &p, 0, reinterpret_cast<void*>(&Notify), &conn),
            0u);
  for (int i = 0; i < 1000 && g_lastState != 8192 && g_lastError == 0; ++i) Sleep(10);
  EXPECT_EQ(g_lastState.load(), 8192u);
  EXPECT_EQ(g_lastError.load(), 0u);
  std::printf("handle=%llu\n", static_cast<unsigned long long>(conn));

  if (win9x) {
    // The system-wide counters the program reads before Windows 2000.
    Sleep(1500);
    std::vector<std::uint8_t> status(ras::RecordSize(g, Record::kConnStatus), 0);
    const Dword size = ras::RecordSize(g, Record::kConnStatus);
    std::memcpy(status.data(), &size, sizeof size);
    ASSERT_EQ(reinterpret_cast<ras::RasGetConnectStatusAFn>(fn("RasGetConnectStatusA"))(
                  conn, status.data()),
              0u);
    HKEY stats = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_DYN_DATA, "PerfStats\\StatData", 0, KEY_QUERY_VALUE, &stats),
              ERROR_SUCCESS);
    BYTE bytes[4] = {};
    DWORD n = sizeof bytes;
    EXPECT_EQ(
        RegQueryValueExA(stats, "Dial-Up Adapter\\TotalBytesRecvd", nullptr, nullptr, bytes, &n),
        ERROR_SUCCESS);
    RegCloseKey(stats);
    const Dword received =
        bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<Dword>(bytes[3]) << 24);
    EXPECT_GT(received, 0u);
  }
  // The connection is left up: the script checks that it outlives us.
}

}  // namespace
}  // namespace dw
