#include <gtest/gtest.h>

#include "log/log.h"
#include "unit/log/log_test_support.h"
#include "unit/ui/main_fakes.h"
#include "ui/status_display.h"

namespace dw::ui::test {
namespace {

std::string U(const std::string& cp1251) { return Cp1251ToUtf8(cp1251); }

TEST(StatusTexts, MaximumLabelRoundsToNearestWithLatinUnits) {
  EXPECT_EQ(U(MaxSpeedText(0)), "0 байт/сек");
  EXPECT_EQ(U(MaxSpeedText(9000)), "9000 байт/сек");
  EXPECT_EQ(U(MaxSpeedText(9001)), "9 Kбайт/сек");
  EXPECT_EQ(U(MaxSpeedText(9000000)), "8789 Kбайт/сек");
  EXPECT_EQ(U(MaxSpeedText(9000001)), "9 Mбайт/сек");
  EXPECT_EQ(U(MaxSpeedText(4294967295u)), "4096 Mбайт/сек");
  // K and M are Latin; the rest of the unit is Cyrillic.
  EXPECT_EQ(MaxSpeedText(9001)[2], 'K');
  EXPECT_EQ(MaxSpeedText(9000001)[2], 'M');
}

TEST(StatusTexts, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(DivideRoundingToEven(512, 1024), 0u);
  EXPECT_EQ(DivideRoundingToEven(1536, 1024), 2u);
  EXPECT_EQ(DivideRoundingToEven(2560, 1024), 2u);
  EXPECT_EQ(DivideRoundingToEven(2561, 1024), 3u);
  EXPECT_EQ(DivideRoundingToEven(2559, 1024), 2u);
  // 10 752 / 1 024 = 10.5: the label reads 10, not 11.
  EXPECT_EQ(U(TrafficText(10752)), "10 Kбайт");
  EXPECT_EQ(U(TrafficText(11776)), "12 Kбайт");
}

TEST(StatusTexts, ReadoutsRoundUpWithTheirOwnThresholds) {
  EXPECT_EQ(U(SpeedReadoutText(9000)), "9000 байт/сек");
  EXPECT_EQ(U(SpeedReadoutText(9001)), "9001 байт/сек");
  EXPECT_EQ(U(SpeedReadoutText(100000)), "100000 байт/сек");
  EXPECT_EQ(U(SpeedReadoutText(100001)), "98 Kбайт/сек");
  EXPECT_EQ(U(SpeedReadoutText(9000000)), "8790 Kбайт/сек");
  EXPECT_EQ(U(SpeedReadoutText(9000001)), "8790 Kбайт/сек");
  EXPECT_EQ(U(SpeedReadoutText(10000000)), "9766 Kбайт/сек");
  EXPECT_EQ(U(SpeedReadoutText(10000001)), "10 Мбайт/сек");
  // Here М is Cyrillic (0xCC in code page 1251), K Latin.
  EXPECT_EQ(static_cast<unsigned char>(SpeedReadoutText(10000001)[3]), 0xCC);
  EXPECT_EQ(SpeedReadoutText(100001)[3], 'K');
}

TEST(StatusTexts, TrafficAndTime) {
  EXPECT_EQ(U(TrafficText(10000)), "10000 байт");
  EXPECT_EQ(U(TrafficText(1)), "1 байт");
  EXPECT_EQ(U(TrafficText(10001)), "10 Kбайт");
  EXPECT_EQ(U(TrafficText(0)), "0 байт");
  // Beyond 2 GiB the count stays positive.
  EXPECT_EQ(U(TrafficText(3000000000u)), "2929688 Kбайт");
  using namespace std::chrono;
  EXPECT_EQ(U(ConnectionTimeText(milliseconds(0))), "0 часов 00 минут");
  EXPECT_EQ(U(ConnectionTimeText(hours(1) + minutes(5) + seconds(59))), "1 часов 05 минут");
  EXPECT_EQ(U(ConnectionTimeText(hours(25) + minutes(3))), "1 часов 03 минут");
  EXPECT_EQ(U(ConnectionTimeText(hours(23) + minutes(59) + seconds(59))), "23 часов 59 минут");
  EXPECT_EQ(U(ConnectionTimeText(hours(24))), "0 часов 00 минут");
}

class StatusDisplay : public MainFixture {
 protected:
  MainController& Connected() {
    Installed();
    MainController& c = Created();
    services.dialResult = 0x20;
    c.connectAction().Execute();
    thread = services.lastThread;
    return c;
  }
  FakeStatThread* thread = nullptr;
};

TEST_F(StatusDisplay, SampleFillsTheLabelsAndTheGraph) {
  MainController& c = Connected();
  thread->speed = 9001;
  thread->elapsed = std::chrono::hours(25) + std::chrono::minutes(3);
  c.OnStatistics(10000, 1);
  EXPECT_EQ(view.Caption(ViewControl::ConnectionTime), "1 часов 03 минут");
  EXPECT_EQ(view.Caption(ViewControl::MaximumSpeed), "9 Kбайт/сек");
  EXPECT_EQ(view.Caption(ViewControl::ReceivedBytes), "10000 байт");
  EXPECT_EQ(view.Caption(ViewControl::SentBytes), "1 байт");
  EXPECT_EQ(view.Caption(ViewControl::TotalBytes), "10 Kбайт");
  EXPECT_EQ(graph.samples(), std::vector<std::uint32_t>{9001});
  // One width for the three, the widest text's.
  const int widest =
      view.TextWidth(ViewControl::ReceivedBytes, view.captions[ViewControl::ReceivedBytes]);
  EXPECT_EQ(view.widths[ViewControl::ReceivedBytes], widest);
  EXPECT_EQ(view.widths[ViewControl::SentBytes], widest);
  EXPECT_EQ(view.widths[ViewControl::TotalBytes], widest);
}

TEST_F(StatusDisplay, ALowerSpeedLeavesTheMaximum) {
  MainController& c = Connected();
  thread->speed = 9000000;
  c.OnStatistics(0, 0);
  EXPECT_EQ(view.Caption(ViewControl::MaximumSpeed), "8789 Kбайт/сек");
  thread->speed = 9000;
  c.OnStatistics(0, 0);
  EXPECT_EQ(view.Caption(ViewControl::MaximumSpeed), "8789 Kбайт/сек");
  EXPECT_EQ(c.MaxSpeedRecord(), 9000000u);
  thread->speed = 9000001;
  c.OnStatistics(0, 0);
  EXPECT_EQ(view.Caption(ViewControl::MaximumSpeed), "9 Mбайт/сек");
  EXPECT_EQ(graph.samples(), (std::vector<std::uint32_t>{9000000, 9000, 9000001}));
}

TEST_F(StatusDisplay, GraphTooltipFollowsTheCustomHint) {
  MainController& c = Connected();
  view.hintShowing = true;
  c.OnStatistics(0, 0);
  EXPECT_FALSE(view.graphTooltipEnabled);
  view.hintShowing = false;
  c.OnStatistics(0, 0);
  EXPECT_TRUE(view.graphTooltipEnabled);
  EXPECT_EQ(view.repaints.back(), ViewControl::SpeedGraph);
}

TEST_F(StatusDisplay, HoverAndClickReadOuts) {
  MainController& c = Connected();
  for (std::uint32_t v : {100001u, 10000001u}) graph.AddValue(v);
  // ValueAt maps x = 0 to the first sample and 5 (5 * 40 / 192 = 1.04) to the second.
  c.OnGraphMouseMove(0, 10);
  EXPECT_EQ(U(view.graphTooltip), "98 Kбайт/сек");
  c.OnGraphMouseMove(5, 10);
  EXPECT_EQ(U(view.graphTooltip), "10 Мбайт/сек");
  c.OnGraphMouseMove(100, 10);  // no sample there: unchanged
  EXPECT_EQ(U(view.graphTooltip), "10 Мбайт/сек");
  c.OnGraphMouseMove(0, 46);  // below the graph
  EXPECT_EQ(U(view.graphTooltip), "10 Мбайт/сек");

  c.OnGraphMouseDown(false, 0, 10);
  EXPECT_TRUE(view.hints.empty());
  c.OnGraphMouseDown(true, 100, 10);
  EXPECT_TRUE(view.hints.empty());
  c.OnGraphMouseDown(true, 0, 10);
  ASSERT_EQ(view.hints.size(), 1u);
  EXPECT_EQ(view.hints[0].anchor, HintAnchor::Graph);
  EXPECT_EQ(U(view.hints[0].text), "98 Kбайт/сек");
  EXPECT_EQ(view.hints[0].x, 0);
  EXPECT_EQ(view.hints[0].y, 0) << "never above the graph";
  EXPECT_FALSE(view.graphTooltipEnabled);
  c.OnGraphMouseDown(true, 5, 30);
  EXPECT_EQ(view.hints[1].y, 10);
}

TEST_F(StatusDisplay, FirstStartNoticeOnTheFirstConnectionOnly) {
  testing::LogFolder folder;
  folder.Configure({"/l", "/n"});
  MainController& c = Created();
  ASSERT_TRUE(c.settings().FirstStart);
  c.LeaveAgreement();
  c.installAction().Execute();
  services.dialResult = 0x30;
  c.connectAction().Execute();
  c.connectAction().Execute();
  c.connectAction().Execute();
  // The connect sends it, after kMsgConnected and off the window's thread.
  ASSERT_EQ(services.requests.size(), 2u);
  EXPECT_TRUE(services.requests[0].notifyFirstStart);
  EXPECT_FALSE(services.requests[1].notifyFirstStart);
  EXPECT_EQ(services.firstStartNotices, 0);
  EXPECT_FALSE(c.settings().FirstStart);
  thread = services.lastThread;
  thread->speed = 77;
  thread->elapsed = std::chrono::seconds(3723);
  c.OnStatistics(5, 6);
  bool notice = false, sample = false;
  for (const std::string& line : folder.Lines()) {
    const std::string readable = ReadableLogLine(line);
    if (readable.find("src: FIRST_START      code: 888         msg: no server") != std::string::npos) notice = true;
    if (readable.find("src: THREAD-new-stat      code: 0         msg: Speed: 77 Received 5 Tramsmitted 6 Time 1:02:03") !=
        std::string::npos) {
      sample = true;
    }
  }
  EXPECT_FALSE(notice) << "the driver logs the notice of a connect";
  EXPECT_TRUE(sample);
}

TEST_F(StatusDisplay, AConnectionAdoptedAtTheFirstStartSendsTheNoticeOnce) {
  testing::LogFolder folder;
  folder.Configure({"/l", "/n"});
  MainController& c = Created();
  ASSERT_TRUE(c.settings().FirstStart);
  services.existing = 0x31;
  services.openConnection = 0x31;
  services.firstStartBody = "";
  c.LeaveAgreement();
  c.installAction().Execute();
  EXPECT_EQ(services.firstStartNotices, 1);
  EXPECT_FALSE(c.settings().FirstStart);
  bool notice = false;
  for (const std::string& line : folder.Lines()) {
    if (ReadableLogLine(line).find("src: FIRST_START      code: 888         msg: no server") !=
        std::string::npos) {
      notice = true;
    }
  }
  EXPECT_TRUE(notice);
}

TEST_F(StatusDisplay, TheConnectAsksForTheRefreshUntilOneSucceedsAndKeepsWhatComesBack) {
  MainController& c = Created();
  c.LeaveAgreement();
  c.installAction().Execute();
  services.dialResult = 0x30;
  services.dialledApnList = {"internet.ltkvr", "internet.kvr"};
  c.connectAction().Execute();  // connect, refresh fails
  c.connectAction().Execute();  // hang up
  EXPECT_EQ(c.settings().ApnList, services.dialledApnList) << "the dial's order is kept";
  EXPECT_FALSE(c.ApnListUpdated());
  services.refreshedVersion = "1.0.7";
  services.refreshedApnList = {"fresh.kvr"};
  services.dialledApnList.clear();
  c.connectAction().Execute();
  c.connectAction().Execute();
  c.connectAction().Execute();
  ASSERT_EQ(services.requests.size(), 3u);
  EXPECT_TRUE(services.requests[0].refreshApns);
  EXPECT_TRUE(services.requests[1].refreshApns) << "a failed refresh is tried again";
  EXPECT_FALSE(services.requests[2].refreshApns) << "once per run";
  EXPECT_EQ(services.requests[1].apnList,
            (std::vector<std::string>{"internet.ltkvr", "internet.kvr"}));
  EXPECT_EQ(c.settings().ApnList, std::vector<std::string>{"fresh.kvr"});
  EXPECT_EQ(c.settings().ApnVersion, "7");
  EXPECT_TRUE(c.ApnListUpdated());
}

TEST_F(StatusDisplay, DisconnectedLabelsKeepTheirValues) {
  MainController& c = Connected();
  thread->speed = 123;
  c.OnStatistics(40, 2);
  c.connectAction().Execute();
  EXPECT_EQ(view.Caption(ViewControl::ReceivedBytes), "40 байт");
  EXPECT_EQ(view.Caption(ViewControl::MaximumSpeed), "123 байт/сек");
}

}  // namespace
}  // namespace dw::ui::test
