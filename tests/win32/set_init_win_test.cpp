// The administrator's step of the real dialwave.exe ("/setinit MODEM APN"),
// run as the shell would run it, against the system's registry: it writes
// the modem's UserInit, read back here, and nothing else; a copy already
// running neither hears of it nor loses its place.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "connection/set_init.h"
#include "modem/modems.h"
#include "platform/win32/wide.h"
#include "support_win.h"

namespace dw {
namespace {

constexpr const char* kNtClass =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}";
constexpr const char* kSettingsKey = "Software\\Korvana\\Dialwave";

bool Is9x() {
  return (GetVersion() & 0x80000000u) != 0;
}

std::optional<std::string> ReadText(const std::string& key, const char* name) {
  HKEY k = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  char value[512] = {};
  DWORD size = sizeof value - 1;
  DWORD type = 0;
  const LONG rc = RegQueryValueExA(k, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(k);
  if (rc != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
  return std::string(value);
}

void WriteText(const std::string& key, const char* name, const std::string& text) {
  HKEY k = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &k, nullptr),
            ERROR_SUCCESS)
      << key;
  RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
  RegCloseKey(k);
}

// The names and texts of the values under a key, to see that nothing moved.
std::vector<std::string> Snapshot(const char* key) {
  std::vector<std::string> values;
  HKEY k = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return {"<none>"};
  for (DWORD i = 0;; ++i) {
    char name[256] = {};
    DWORD nameSize = sizeof name;
    BYTE data[1024] = {};
    DWORD dataSize = sizeof data;
    if (RegEnumValueA(k, i, name, &nameSize, nullptr, nullptr, data, &dataSize) != ERROR_SUCCESS) {
      break;
    }
    values.push_back(std::string(name) + "=" +
                     std::string(reinterpret_cast<char*>(data), dataSize));
  }
  RegCloseKey(k);
  return values;
}

// A modem of the test's own in the layout of the running platform, removed
// again at the end.
class SetInitMode : public ::testing::Test {
 protected:
  // The prefix's other tests wait their turn (prefix_turn_win.cpp): no
  // other copy of the program runs meanwhile.
  void SetUp() override {
    modem_ = "SetInit Test Modem " + std::to_string(GetCurrentProcessId());
    std::string sub = std::to_string(9000 + GetCurrentProcessId() % 1000);
    if (Is9x()) {
      enumKey_ = "Enum\\Root\\Modem\\" + sub;
      WriteText(enumKey_, "FriendlyName", modem_);
      WriteText(enumKey_, "Driver", "Modem\\" + sub);
      userInitKey_ = "System\\CurrentControlSet\\Services\\Class\\Modem\\" + sub;
    } else {
      userInitKey_ = std::string(kNtClass) + "\\" + sub;
      WriteText(userInitKey_, "FriendlyName", modem_);
    }
    WriteText(userInitKey_, "UserInit", "ATZ");
  }

  void TearDown() override {
    if (first_.process) {
      if (HWND main = FindWindowW(L"TfrmGprsMain", nullptr)) PostMessageW(main, WM_CLOSE, 0, 0);
      if (first_.WaitExit(15000) == -1) first_.Kill();
    }
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, userInitKey_.c_str());
    if (!enumKey_.empty()) RegDeleteKeyA(HKEY_LOCAL_MACHINE, enumKey_.c_str());
  }

  long RunStep(const std::string& modem, const std::string& apn) {
    const std::string arguments = SetInitArguments({modem, apn});
    test::Child step = test::Start(test::BinDir() + L"dialwave.exe", Wide(arguments));
    EXPECT_TRUE(step.process) << "could not start dialwave.exe";
    const long code = step.WaitExit(60000);
    if (code == -1) step.Kill();
    return code;
  }

  std::string modem_;
  std::string enumKey_;
  std::string userInitKey_;
  test::Child first_;
};

// The log beside the program as it is now (other tests write one there).
std::string LogFileState() {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW((test::BinDir() + L"GPRSlog.log").c_str(), GetFileExInfoStandard,
                            &data)) {
    return "none";
  }
  return std::to_string(data.nFileSizeLow) + "@" +
         std::to_string(data.ftLastWriteTime.dwLowDateTime);
}

TEST_F(SetInitMode, WritesTheDialsCommandAndReadsBackAsWritten) {
  const auto settings = Snapshot(kSettingsKey);
  const std::string log = LogFileState();
  EXPECT_EQ(RunStep(modem_, "internet.kvr"), static_cast<long>(SetInitExit::kWritten));
  EXPECT_EQ(ReadText(userInitKey_, "UserInit"), modem::ApnInitCommand("internet.kvr"));
  EXPECT_EQ(Snapshot(kSettingsKey), settings) << "the settings are none of its business";
  EXPECT_EQ(LogFileState(), log) << "nor is the log";
}

TEST_F(SetInitMode, RefusesAnUnsafeApnAnUnknownModemAndAnythingElse) {
  EXPECT_EQ(RunStep(modem_, "x\";ATD*99#;\""), static_cast<long>(SetInitExit::kUnsafeApn));
  EXPECT_EQ(RunStep(modem_ + " 2", "internet.kvr"), static_cast<long>(SetInitExit::kNoModem));
  test::Child bare = test::Start(test::BinDir() + L"dialwave.exe",
                                 L"/setinit \"" + Wide(modem_) + L"\" internet.kvr");
  EXPECT_EQ(bare.WaitExit(60000), static_cast<long>(SetInitExit::kUsage))
      << "plain text, not hexadecimal";
  EXPECT_EQ(ReadText(userInitKey_, "UserInit"), "ATZ");
}

TEST_F(SetInitMode, ARunningCopyNeitherHearsOfItNorLosesItsPlace) {
  first_ = test::Start(test::BinDir() + L"dialwave.exe", L"/auto");
  ASSERT_TRUE(first_.process);
  HWND main = test::WaitForWindow(L"TfrmGprsMain", nullptr, 30000);
  ASSERT_NE(main, nullptr);
  ASSERT_FALSE(IsWindowVisible(main)) << "/auto starts in the notification area";

  EXPECT_EQ(RunStep(modem_, "internet.kvr"), static_cast<long>(SetInitExit::kWritten));
  EXPECT_EQ(ReadText(userInitKey_, "UserInit"), modem::ApnInitCommand("internet.kvr"));
  // A second copy would have woken the first before it ended: the first
  // would show itself.
  EXPECT_FALSE(IsWindowVisible(main)) << "the running copy was woken";
  EXPECT_EQ(first_.WaitExit(0), -1) << "the running copy must keep running";
  EXPECT_EQ(test::CountProcesses(L"dialwave.exe"), 1);
}

}  // namespace
}  // namespace dw
