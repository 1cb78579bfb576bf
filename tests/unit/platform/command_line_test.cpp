#include "platform/command_line.h"

#include <gtest/gtest.h>

namespace dw {
namespace {

TEST(SplitCommandLine, BlanksSeparateQuotesGroupAndVanish) {
  using V = std::vector<std::string>;
  EXPECT_EQ(SplitCommandLine(""), V{});
  EXPECT_EQ(SplitCommandLine("   \t "), V{});
  EXPECT_EQ(SplitCommandLine("C:\\Korvana\\dialwave.exe /auto"), (V{"C:\\Korvana\\dialwave.exe", "/auto"}));
  EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\d.exe\"  /l\t/n  "),
            (V{"C:\\Program Files\\d.exe", "/l", "/n"}));
  EXPECT_EQ(SplitCommandLine("d.exe \"/au\"to x\"y z\""), (V{"d.exe", "/auto", "xy z"}));
  EXPECT_EQ(SplitCommandLine("d.exe \"\" /l"), (V{"d.exe", "", "/l"}));
  EXPECT_EQ(SplitCommandLine("d.exe \"unterminated /l"), (V{"d.exe", "unterminated /l"}));
  // Code page 1251 letters are not blanks.
  EXPECT_EQ(SplitCommandLine("d.exe \xCA\xEE\xF0"), (V{"d.exe", "\xCA\xEE\xF0"}));
}

}  // namespace
}  // namespace dw
