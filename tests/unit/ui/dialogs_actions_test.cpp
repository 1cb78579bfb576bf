// Actions of the window framework: bound controls follow changes, disabled
// actions do not run, and the idle update reaches every live action list.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/framework/actions.h"
#include "unit/log/log_test_support.h"

namespace dw::ui {
namespace {

TEST(Actions, BoundControlsFollowOnlyRealChanges) {
  ActionList list;
  Action& connect = list.Add("Connect", "A");
  std::vector<std::string> seen;
  connect.Bind([&](const Action& a) {
    seen.push_back(a.Caption() + (a.Enabled() ? "+" : "-") + (a.Visible() ? "v" : "h"));
  });
  connect.SetCaption("A");
  connect.SetCaption("B");
  connect.SetEnabled(false);
  connect.SetEnabled(false);
  connect.SetVisible(false);
  EXPECT_EQ(seen, (std::vector<std::string>{"A+v", "B+v", "B-v", "B-h"}));
  EXPECT_EQ(list.Find("Connect"), &connect);
  EXPECT_EQ(list.Find("Install"), nullptr);
}

TEST(Actions, DisabledOrEmptyActionsDoNotRun) {
  int runs = 0;
  Action a("Quit", "x", [&] { ++runs; });
  EXPECT_TRUE(a.Execute());
  a.SetEnabled(false);
  EXPECT_FALSE(a.Execute());
  Action none("About");
  EXPECT_FALSE(none.Execute());
  EXPECT_EQ(runs, 1);
}

TEST(Actions, IdleUpdateReachesEveryLiveListAndSurvivesOneGoingAway) {
  int first = 0;
  int third = 0;
  auto a = std::make_unique<ActionList>();
  auto b = std::make_unique<ActionList>();
  ActionList c;
  a->SetOnUpdate([&] {
    ++first;
    b.reset();  // an update that releases another list
  });
  b->SetOnUpdate([] { FAIL() << "a released list was updated"; });
  c.SetOnUpdate([&] { ++third; });
  UpdateActionsOnIdle();
  EXPECT_EQ(first, 1);
  EXPECT_EQ(third, 1);
  a.reset();
  UpdateActionsOnIdle();
  EXPECT_EQ(first, 1);
  EXPECT_EQ(third, 2);
}

TEST(Actions, AnUpdateThatThrowsIsLoggedAndTheOthersStillRun) {
  dw::testing::LogFolder folder;
  folder.Configure({"/l", "/n"});
  int after = 0;
  ActionList bad;
  ActionList good;
  bad.SetOnUpdate([] { throw std::runtime_error("broken update"); });
  good.SetOnUpdate([&] { ++after; });
  EXPECT_NO_THROW(UpdateActionsOnIdle());
  EXPECT_EQ(after, 1);
  EXPECT_NO_THROW(UpdateActionsOnIdle()) << "the next beat comes as well";
  EXPECT_EQ(after, 2);
  const auto lines = folder.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("UpdateActions"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find("888"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find("broken update"), std::string::npos) << lines[0];
}

}  // namespace
}  // namespace dw::ui
