// The traffic graph: bar rectangles and colours as drawn through a canvas,
// the scrolling window of samples and the position-to-sample mapping.
#include <gtest/gtest.h>

#include "control_test_support.h"
#include "ui/controls/speed_graph.h"

namespace dw::ui {
namespace {

constexpr Color kTop = Rgb(44, 159, 22);       // topColour 1482540
constexpr Color kBottom = Rgb(154, 209, 147);  // bottomColour 9687450

struct Bar {
  Rect rect;
  Color color;
  bool operator==(const Bar&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Bar& b) {
  return os << "(" << b.rect.left << "," << b.rect.top << "," << b.rect.right << ","
            << b.rect.bottom << " #" << std::hex << b.color << std::dec << ")";
}

// The main window's instance.
class SpeedGraphTest : public ::testing::Test {
 protected:
  SpeedGraphTest() {
    graph.SetSize(192, 45);
    graph.faceColour = kWhite;
    graph.outerBevel = Bevel::None;
    graph.SetScaleLength(40);
    graph.barWidthPercent = 60;
    graph.topColour = kTop;
    graph.bottomColour = kBottom;
  }

  // The bars of the last paint: every fill after the panel's background.
  std::vector<Bar> Bars() {
    host.PaintNow();
    const auto fills = test::Fills(host.canvas.calls());
    EXPECT_FALSE(fills.empty());
    EXPECT_EQ(fills.front().rect, (Rect{0, 0, 192, 45})) << "the panel's background comes first";
    EXPECT_EQ(fills.front().brush, kWhite);
    std::vector<Bar> bars;
    for (std::size_t i = 1; i < fills.size(); ++i) bars.push_back({fills[i].rect, fills[i].brush});
    return bars;
  }

  SpeedGraph graph;
  test::RecordingHost host{graph};
};

TEST_F(SpeedGraphTest, FirstSampleAfterClearReachesTheTopMarginInBothColours) {
  graph.AddValue(100000);
  graph.AddValue(5000);
  graph.Clear();
  EXPECT_TRUE(graph.samples().empty());
  EXPECT_EQ(graph.maximum(), 1u);
  for (std::uint32_t v : {1u, 7u, 4000000000u}) {
    graph.Clear();
    graph.AddValue(v);
    EXPECT_EQ(Bars(), (std::vector<Bar>{{{0, 2, 3, 23}, kTop}, {{0, 23, 3, 45}, kBottom}}))
        << "sample " << v;
  }
}

TEST_F(SpeedGraphTest, HalfTheMaximumIsOneColourAndOneMoreIsTwo) {
  graph.AddValue(10);
  graph.AddValue(5);  // top = 45 - ceil(22.5)
  graph.AddValue(6);  // top = 45 - ceil(27)
  const auto bars = Bars();
  ASSERT_EQ(bars.size(), 5u);
  EXPECT_EQ(bars[2], (Bar{{5, 22, 8, 45}, kBottom}));
  EXPECT_EQ(bars[3], (Bar{{10, 18, 13, 23}, kTop}));
  EXPECT_EQ(bars[4], (Bar{{10, 23, 13, 45}, kBottom}));
}

TEST_F(SpeedGraphTest, HalfIsComparedWithoutOverflowForLargeSamples) {
  graph.AddValue(0xFFFFFFFFu);
  graph.AddValue(0x7FFFFFFFu);  // 2v = max - 1: one colour
  graph.AddValue(0x80000000u);  // just above half: two colours
  const auto bars = Bars();
  ASSERT_EQ(bars.size(), 5u);
  EXPECT_EQ(bars[2].color, kBottom);
  EXPECT_EQ(bars[2].rect.top, 45 - 23);
  EXPECT_EQ(bars[3].color, kTop);
  EXPECT_EQ(bars[4].color, kBottom);
}

TEST_F(SpeedGraphTest, BarsSitAtTheExactRealPitch) {
  for (int i = 0; i < 40; ++i) graph.AddValue(1);
  const auto bars = Bars();
  ASSERT_EQ(bars.size(), 80u);  // all at the maximum: two colours each
  // ceiling(4.8 i): whole multiples must not round up (5 x 4.8 is 24, not 25).
  const std::pair<int, int> expected[] = {{0, 0}, {1, 5}, {2, 10}, {5, 24}, {10, 48},
                                          {25, 120}, {36, 173}, {39, 188}};
  for (auto [i, left] : expected) {
    EXPECT_EQ(bars[2 * i].rect.left, left) << "bar " << i;
    EXPECT_EQ(bars[2 * i].rect.right, left + 3) << "bar " << i << " is 3 pixels wide";
  }
}

TEST_F(SpeedGraphTest, FortyFirstSampleScrollsOutTheFirstButNotTheMaximum) {
  graph.AddValue(1000);
  for (std::uint32_t v = 2; v <= 41; ++v) graph.AddValue(v);
  ASSERT_EQ(graph.samples().size(), 40u);
  EXPECT_EQ(graph.samples().front(), 2u);
  EXPECT_EQ(graph.samples().back(), 41u);
  EXPECT_EQ(graph.ValueAt(0), 2);
  EXPECT_EQ(graph.ValueAt(2), 2);
  EXPECT_EQ(graph.ValueAt(3), 3);
  EXPECT_EQ(graph.maximum(), 1000u) << "the maximum stays until Clear";
  const auto bars = Bars();
  ASSERT_EQ(bars.size(), 40u);
  EXPECT_EQ(bars.back(), (Bar{{188, 45 - 2, 191, 45}, kBottom}));  // ceil(41 * 45 / 1000) = 2
}

TEST_F(SpeedGraphTest, ValueAtRoundsHalvesToEvenAndIsMinusOnePastTheSamples) {
  for (std::uint32_t v = 100; v < 110; ++v) graph.AddValue(v);
  EXPECT_EQ(graph.ValueAt(12), 102) << "2.5 goes to 2";
  EXPECT_EQ(graph.ValueAt(36), 108) << "7.5 goes to 8";
  EXPECT_EQ(graph.ValueAt(45), 109);
  EXPECT_EQ(graph.ValueAt(46), -1);
  EXPECT_EQ(graph.ValueAt(96), -1);
  EXPECT_EQ(graph.ValueAt(191), -1);
  EXPECT_EQ(graph.ValueAt(-1), -1);
  graph.Clear();
  EXPECT_EQ(graph.ValueAt(0), -1);
}

TEST_F(SpeedGraphTest, ZeroSamplesLeaveGapsButKeepTheirPlace) {
  graph.AddValue(8);
  graph.AddValue(0);
  graph.AddValue(8);
  const auto bars = Bars();
  ASSERT_EQ(bars.size(), 4u);
  EXPECT_EQ(bars[0].rect.left, 0);
  EXPECT_EQ(bars[2].rect.left, 10);
  EXPECT_EQ(graph.ValueAt(5), 0);
}

TEST_F(SpeedGraphTest, RepaintsOnEverySampleAndOnAChildsDestructionOnly) {
  graph.AddValue(1);
  graph.AddValue(2);
  EXPECT_EQ(host.paints, 2);
  graph.Clear();
  EXPECT_EQ(host.paints, 2) << "Clear does not repaint";
  graph.ParentNotify(1);  // a child created
  EXPECT_EQ(host.paints, 2);
  graph.ParentNotify(0x00070002);  // destroyed, child id 7 in the high word
  EXPECT_EQ(host.paints, 3);
}

TEST_F(SpeedGraphTest, ScaleLengthIsNeverZeroAndShrinkingKeepsTheNewest) {
  graph.SetScaleLength(0);
  EXPECT_EQ(graph.ScaleLength(), 1u);
  graph.AddValue(1);
  graph.AddValue(2);
  EXPECT_EQ(graph.samples(), std::vector<std::uint32_t>{2});
  graph.SetScaleLength(5);
  for (std::uint32_t v = 3; v <= 6; ++v) graph.AddValue(v);
  graph.SetScaleLength(2);
  EXPECT_EQ(graph.samples(), (std::vector<std::uint32_t>{5, 6}));
  graph.AddValue(7);
  EXPECT_EQ(graph.samples(), (std::vector<std::uint32_t>{6, 7}));
}

}  // namespace
}  // namespace dw::ui
