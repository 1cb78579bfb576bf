// Every Windows test on Windows 98 and ME: a call of an entry point those
// systems lack (Wine has them all) fails the test that made it. The simulator
// counts such calls in the state of the folder the test gave it.
#include "platform/win32/win.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "missing_calls_win.h"

namespace dw::test {
namespace {

unsigned long g_expected = 0;

// missing-calls of the test's simulator folder; 0 when the test used none.
unsigned long MissingCallsOfThisTest() {
  char folder[MAX_PATH + 1] = {};
  const DWORD n = GetEnvironmentVariableA("RASSIM_DIR", folder, sizeof folder);
  if (n == 0 || n >= sizeof folder) return 0;
  std::string path(folder);
  if (path.back() != '\\' && path.back() != '/') path += '\\';
  std::ifstream state(path + "state.txt");
  std::string line;
  while (std::getline(state, line)) {
    if (line.rfind("missing-calls=", 0) == 0) return std::stoul(line.substr(14));
  }
  return 0;
}

bool Win9x() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  return GetVersionExA(&info) && info.dwPlatformId != VER_PLATFORM_WIN32_NT;
}

class MissingCallsCheck final : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { g_expected = 0; }
  void OnTestEnd(const ::testing::TestInfo& info) override {
    if (!Win9x()) return;
    const unsigned long calls = MissingCallsOfThisTest();
    // Outside the test's own result, so the whole run fails.
    EXPECT_EQ(calls, g_expected) << info.test_suite_name() << "." << info.name()
                                 << " called an entry point Windows 98/ME lack";
  }
};

[[maybe_unused]] const bool g_registered = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new MissingCallsCheck);
  return true;
}();

}  // namespace

void ExpectMissingCalls(unsigned long calls) {
  g_expected = calls;
}

}  // namespace dw::test
