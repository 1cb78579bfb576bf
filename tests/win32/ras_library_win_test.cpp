// rasapi32.dll comes from the system folder, whatever lies beside the program.
#include <gtest/gtest.h>

#include "support_win.h"

namespace dw {
namespace {

TEST(SystemRasLibrary, IgnoresADllPlantedBesideTheProgram) {
  // A folder of this process's own: the generations run side by side, and one
  // copying the program over the other's while it starts loses that start.
  wchar_t temp[MAX_PATH + 1] = {};
  ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring dir =
      std::wstring(temp) + L"dw-planted-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
  ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  ASSERT_TRUE(CopyFileW((test::BinDir() + L"planted\\rasapi32.dll").c_str(),
                        (dir + L"rasapi32.dll").c_str(), FALSE));
  ASSERT_TRUE(CopyFileW((test::BinDir() + L"dialwave-probe.exe").c_str(),
                        (dir + L"dialwave-probe.exe").c_str(), FALSE));
  // The planted DLL is really there to be found by a bare name...
  const std::string search = test::Capture(dir + L"dialwave-probe.exe", L"raslib-search");
  EXPECT_NE(search.find("search-planted=1"), std::string::npos) << search;
  const std::string out = test::Capture(dir + L"dialwave-probe.exe", L"raslib");
  // ...and the program's rule does not take it.
  EXPECT_NE(out.find("system-loaded=1"), std::string::npos) << out;
  EXPECT_NE(out.find("system-planted=0"), std::string::npos) << out;
  EXPECT_NE(out.find("system-RasDialA=1"), std::string::npos) << out;
  for (const wchar_t* name : {L"dialwave-probe.exe", L"rasapi32.dll", L"planted-loaded.txt"}) {
    DeleteFileW((dir + name).c_str());
  }
  RemoveDirectoryW(dir.c_str());
}

TEST(Environment, ArgumentsArriveInOrderAndUnchanged) {
  const std::string out =
      test::Capture(test::BinDir() + L"dialwave-probe.exe", L"env /auto \"two words\" /N");
  EXPECT_NE(out.find("arg0=env\r\narg1=/auto\r\narg2=two words\r\narg3=/N\r\n"), std::string::npos)
      << out;
}

}  // namespace
}  // namespace dw
