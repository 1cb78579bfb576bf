#include "ui/framework/scrolling.h"

#include <gtest/gtest.h>

namespace dw::ui {
namespace {

// The agreement's box: 1 155 pixels of text in a view 174 high.
constexpr int kRange = 1155;
constexpr int kVisible = 174;

TEST(WheelScroll, ANotchIsTwelvePixelsAndStopsAtBothEnds) {
  EXPECT_EQ(WheelScrollPosition(0, -120, kRange, kVisible), 12);
  EXPECT_EQ(WheelScrollPosition(12, 120, kRange, kVisible), 0);
  EXPECT_EQ(WheelScrollPosition(5, 120, kRange, kVisible), 0);
  EXPECT_EQ(WheelScrollPosition(975, -120, kRange, kVisible), 981);
  EXPECT_EQ(WheelScrollPosition(981, -120, kRange, kVisible), 981);
  // A position beyond the end (set from elsewhere) is pulled back.
  EXPECT_EQ(WheelScrollPosition(986, 0, kRange, kVisible), 981);
  int position = 0;
  for (int notch = 0; notch < 200; ++notch) position = WheelScrollPosition(position, -120, kRange, kVisible);
  EXPECT_EQ(position, 981);
}

TEST(WheelScroll, FineDeltasRoundUp) {
  // Away from the user: 125 / 10 = 12.5 rounds up to 13 pixels back.
  EXPECT_EQ(WheelScrollPosition(100, 125, kRange, kVisible), 87);
  EXPECT_EQ(WheelScrollPosition(100, 1, kRange, kVisible), 99);
  // Towards the user: -125 / 10 = -12.5 rounds up to -12, 12 pixels on.
  EXPECT_EQ(WheelScrollPosition(100, -125, kRange, kVisible), 112);
  EXPECT_EQ(WheelScrollPosition(100, -1, kRange, kVisible), 100);
  EXPECT_EQ(WheelScrollPosition(100, -9, kRange, kVisible), 100);
  EXPECT_EQ(WheelScrollPosition(100, -10, kRange, kVisible), 101);
  // Content shorter than the view never moves.
  EXPECT_EQ(WheelScrollPosition(0, -120, 100, kVisible), 0);
}

TEST(ScrollBarSteps, StepsAndThumbStayWithinTheBar) {
  // The agreement's bar: maximum 1 155, page 170, steps 10 and 150.
  const auto target = [](ScrollRequest r, int position, int track = 0) {
    return ScrollBarTarget(r, position, track, 1155, 170, 10, 150);
  };
  EXPECT_EQ(target(ScrollRequest::LineDown, 0), 10);
  EXPECT_EQ(target(ScrollRequest::LineUp, 5), 0);
  EXPECT_EQ(target(ScrollRequest::PageDown, 0), 150);
  EXPECT_EQ(target(ScrollRequest::PageUp, 100), 0);
  EXPECT_EQ(target(ScrollRequest::Track, 0, 500), 500);
  EXPECT_EQ(target(ScrollRequest::Bottom, 0), 986);
  EXPECT_EQ(target(ScrollRequest::PageDown, 900), 986);
  EXPECT_EQ(target(ScrollRequest::Top, 700), 0);
  EXPECT_EQ(target(ScrollRequest::Track, 0, 5000), 986);
}

}  // namespace
}  // namespace dw::ui
