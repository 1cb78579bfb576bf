#include "app/startup.h"

#include <gtest/gtest.h>

namespace dw {
namespace {

struct Case {
  std::vector<std::string> args;
  bool autoStart, writeLog, plainSettings, plainLog;
};

TEST(CommandLine, SwitchesArePositionalExactAndCaseSensitive) {
  const Case cases[] = {
      {{}, false, false, false, false},
      {{"/auto"}, true, false, false, false},
      {{"/l"}, false, true, false, false},
      {{"/l", "/n"}, false, true, false, true},
      {{"/auto", "/r"}, true, false, true, false},
      {{"/AUTO"}, false, false, false, false},
      {{"/Auto", "/r"}, false, false, true, false},
      {{"/l", "/auto"}, false, true, false, false},
      {{"x", "/auto"}, false, false, false, false},  // "/auto" only as the second argument
      {{"/r"}, false, false, false, false},          // "/r" only as the first
      {{"/n", "/l"}, false, false, false, false},
      {{"/auto "}, false, false, false, false},
      {{"/l", "/N"}, false, true, false, false},
      {{"/l", "/n", "/r"}, false, true, false, true},
  };
  for (const Case& c : cases) {
    std::string joined;
    for (const auto& a : c.args) joined += "[" + a + "]";
    SCOPED_TRACE(joined);
    const CommandLine cl = CommandLine::Parse(c.args);
    EXPECT_EQ(cl.autoStart, c.autoStart);
    EXPECT_EQ(cl.writeLog, c.writeLog);
    EXPECT_EQ(cl.plainSettings, c.plainSettings);
    EXPECT_EQ(cl.plainLog, c.plainLog);
  }
}

class NoRas final : public RasLibrary {
 public:
  bool IsLoaded() const override { return false; }
  void* Lookup(const char*) const override { return nullptr; }
};

TEST(StartupValues, ReadinessWaitIsLongOnlyForTheStartUpEntry) {
  StartupState state;
  FillStartupValues(state, 410, {"/auto"}, std::make_unique<NoRas>());
  EXPECT_EQ(state.rasReadyWaitCount.load(), 120);
  EXPECT_EQ(state.winVer, 410u);
  EXPECT_FALSE(state.rasLibrary->IsLoaded());  // an unloadable library does not stop the start

  StartupState normal;
  FillStartupValues(normal, 501, {"/l", "/auto"}, nullptr);
  EXPECT_EQ(normal.rasReadyWaitCount.load(), 20);
  EXPECT_TRUE(normal.commandLine.writeLog);
}

}  // namespace
}  // namespace dw
