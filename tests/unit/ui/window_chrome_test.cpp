#include <gtest/gtest.h>

#include "ui/window_chrome.h"

namespace dw::ui {
namespace {

TEST(SkinZones, InclusiveRangesAndTheGap) {
  EXPECT_EQ(SkinZoneAt(453, 5), SkinZone::Minimise);
  EXPECT_EQ(SkinZoneAt(472, 21), SkinZone::Minimise);
  EXPECT_EQ(SkinZoneAt(473, 10), SkinZone::None);
  EXPECT_EQ(SkinZoneAt(474, 10), SkinZone::None);
  EXPECT_EQ(SkinZoneAt(475, 5), SkinZone::Close);
  EXPECT_EQ(SkinZoneAt(494, 21), SkinZone::Close);
  EXPECT_EQ(SkinZoneAt(495, 10), SkinZone::None);
  EXPECT_EQ(SkinZoneAt(452, 10), SkinZone::None);
  EXPECT_EQ(SkinZoneAt(460, 4), SkinZone::None);
  EXPECT_EQ(SkinZoneAt(460, 22), SkinZone::None);
}

class FakeHintWindow final : public HintWindowPort {
 public:
  void Create() override { ++creates; }
  void Destroy() override {
    ++destroys;
    visible = false;
    text.clear();
  }
  bool Visible() const override { return visible; }
  const std::string& Text() const override { return text; }
  void ShowAt(HintAnchor a, int x, int y, const std::string& t) override {
    ++shows;
    anchor = a;
    px = x;
    py = y;
    text = t;
    visible = true;
  }
  void StartTimer(int ms) override {
    ++timerStarts;
    interval = ms;
    running = true;
  }
  void StopTimer() override { running = false; }
  bool TimerRunning() const override { return running; }

  int creates = 0, destroys = 0, shows = 0, timerStarts = 0, interval = 0;
  int px = 0, py = 0;
  HintAnchor anchor = HintAnchor::MainWindow;
  bool visible = false, running = false;
  std::string text;
};

TEST(Hint, OneWindowReusedNoFlickerGoneAtTheTick) {
  FakeHintWindow port;
  HintController hints(port);
  hints.ShowHintAt(HintAnchor::MainWindow, 480, "  Close  ", -13);
  EXPECT_TRUE(hints.Exists());
  EXPECT_EQ(port.creates, 1);
  EXPECT_EQ(port.text, "Close");
  EXPECT_EQ(port.px, 480);
  EXPECT_EQ(port.py, -13);
  EXPECT_EQ(port.interval, 2500);
  // Moving within the zone: the same text, nothing happens.
  hints.ShowHintAt(HintAnchor::MainWindow, 481, "Close", -12);
  EXPECT_EQ(port.shows, 1);
  // Another text reuses the window; the running timer is not restarted.
  hints.ShowHintAt(HintAnchor::Graph, 3, "Minimise", 0);
  EXPECT_EQ(port.creates, 1);
  EXPECT_EQ(port.shows, 2);
  EXPECT_EQ(port.anchor, HintAnchor::Graph);
  EXPECT_EQ(port.timerStarts, 1);
  hints.TimerTick();
  EXPECT_FALSE(hints.Exists());
  EXPECT_EQ(port.destroys, 1);
  EXPECT_FALSE(port.running);
  hints.ShowHintAt(HintAnchor::MainWindow, 1, "Close", 1);
  EXPECT_EQ(port.creates, 2);
  EXPECT_EQ(port.timerStarts, 2);
}

TEST(Hint, BlankTextShowsNothing) {
  FakeHintWindow port;
  HintController hints(port);
  hints.ShowHintAt(HintAnchor::MainWindow, 1, " \t\r\n", 1);
  EXPECT_FALSE(hints.Exists());
  EXPECT_EQ(port.creates, 0);
}

TEST(Hint, AHiddenHintWithTheSameTextIsShownAgain) {
  FakeHintWindow port;
  HintController hints(port);
  hints.ShowHintAt(HintAnchor::MainWindow, 1, "Close", 1);
  port.visible = false;
  hints.ShowHintAt(HintAnchor::MainWindow, 1, "Close", 1);
  EXPECT_EQ(port.shows, 2);
  EXPECT_EQ(port.creates, 1);
}

}  // namespace
}  // namespace dw::ui
