#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/win32/adapters_win.h"

namespace dw {
namespace {

// The generation the harness started this process under (DW_WINE_GEN).
std::string Generation() {
  const char* gen = std::getenv("DW_WINE_GEN");
  return gen != nullptr ? gen : "win7";
}

TEST(Environment, WinVerFollowsTheWindowsGeneration) {
  const auto env = MakeWin32Environment();
  const std::string gen = Generation();
  const struct {
    const char* gen;
    std::uint32_t winVer;
    std::uint32_t platformId;
  } expected[] = {{"win98", 410, 1}, {"winme", 490, 1}, {"win2k", 500, 2},
                  {"winxp", 501, 2}, {"win7", 601, 2},
                  {"win10", 602, 2}};  // 10 tells a program without a manifest 6.2
  bool known = false;
  for (const auto& e : expected) {
    if (gen != e.gen) continue;
    known = true;
    EXPECT_EQ(env->WinVer(), e.winVer);
    EXPECT_EQ(env->PlatformId(), e.platformId);
  }
  EXPECT_TRUE(known) << gen;
}

TEST(Environment, ExecutablePathNamesThisProgram) {
  const std::string path = MakeWin32Environment()->ExecutablePath();
  ASSERT_GT(path.size(), 3u);
  EXPECT_EQ(path[1], ':');
  EXPECT_NE(path.find("dialwave_win_tests.exe"), std::string::npos) << path;
}

}  // namespace
}  // namespace dw
