// rasapi32.dll comes from the system folder, whatever lies beside the program.
#include <gtest/gtest.h>

#include "support_win.h"

namespace dw {
namespace {

TEST(SystemRasLibrary, IgnoresADllPlantedBesideTheProgram) {
  const std::wstring dir = test::BinDir() + L"planted\\";
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
}

TEST(Environment, ArgumentsArriveInOrderAndUnchanged) {
  const std::string out =
      test::Capture(test::BinDir() + L"dialwave-probe.exe", L"env /auto \"two words\" /N");
  EXPECT_NE(out.find("arg0=env\r\narg1=/auto\r\narg2=two words\r\narg3=/N\r\n"), std::string::npos)
      << out;
}

}  // namespace
}  // namespace dw
