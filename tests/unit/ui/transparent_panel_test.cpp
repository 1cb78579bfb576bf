// The transparent panel: the picture at its own place and the four strips.
#include <gtest/gtest.h>

#include "control_test_support.h"
#include "ui/controls/transparent_panel.h"

namespace dw::ui {
namespace {

using Kind = CanvasCall::Kind;

class TransparentPanelTest : public ::testing::Test {
 protected:
  TransparentPanelTest() {
    panel.SetSize(500, 265);
    panel.background = &skin;
    panel.backgroundLeft = 0;
    panel.backgroundTop = -52;
    panel.stripColour = Rgb(0x49, 0x4A, 0x4B);
  }
  void All(bool on) {
    panel.leftStrip = panel.rightStrip = panel.topStrip = panel.bottomStrip = on;
  }

  FakePicture skin{500, 360};
  TransparentPanel panel;
  test::RecordingHost host{panel};
};

TEST_F(TransparentPanelTest, DrawsThePictureAtItsOwnPlaceAndNoStripOfWidthZero) {
  All(true);
  host.PaintNow();
  const auto& c = host.canvas.calls();
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].kind, Kind::Draw);
  EXPECT_EQ(c[0].picture, &skin);
  EXPECT_EQ(c[0].x, 0);
  EXPECT_EQ(c[0].y, -52);
}

TEST_F(TransparentPanelTest, StripsHaveTheirUnevenEnds) {
  All(true);
  panel.borderWidth = 2;
  host.PaintNow();
  const auto fills = test::Fills(host.canvas.calls());
  ASSERT_EQ(fills.size(), 4u);
  EXPECT_EQ(fills[0].rect, (Rect{0, 0, 2, 264}));
  EXPECT_EQ(fills[1].rect, (Rect{497, 0, 499, 265}));
  EXPECT_EQ(fills[2].rect, (Rect{0, 0, 499, 2}));
  EXPECT_EQ(fills[3].rect, (Rect{0, 262, 499, 264}));
  for (const auto& f : fills) EXPECT_EQ(f.brush, Rgb(0x49, 0x4A, 0x4B));
  EXPECT_EQ(host.canvas.calls().front().kind, Kind::Draw) << "strips go over the picture";
}

TEST_F(TransparentPanelTest, EachFlagDrawsOnlyItsStrip) {
  panel.borderWidth = 1;
  panel.rightStrip = true;
  host.PaintNow();
  auto fills = test::Fills(host.canvas.calls());
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0].rect, (Rect{498, 0, 499, 265}));
  panel.rightStrip = false;
  panel.bottomStrip = true;
  host.PaintNow();
  fills = test::Fills(host.canvas.calls());
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0].rect, (Rect{0, 263, 499, 264}));
}

TEST_F(TransparentPanelTest, WithoutAPictureItIsAPlainPanelWhateverItsFlags) {
  All(true);
  panel.borderWidth = 1;
  panel.background = nullptr;
  panel.caption = "Panel";
  host.PaintNow();

  PaintedPanel plain;
  plain.SetSize(500, 265);
  plain.borderWidth = 1;
  plain.caption = "Panel";
  RecordingCanvas expected;
  plain.Paint(expected);

  const auto& got = host.canvas.calls();
  ASSERT_EQ(got.size(), expected.calls().size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].kind, expected.calls()[i].kind) << i;
    EXPECT_EQ(got[i].rect, expected.calls()[i].rect) << i;
    EXPECT_EQ(got[i].brush, expected.calls()[i].brush) << i;
  }
  EXPECT_EQ(got.back().kind, Kind::TextAt);
  EXPECT_EQ(got.back().text, "Panel");
}

TEST_F(TransparentPanelTest, CaptionsComeOverThePictureEachInItsWhiteBoxInBlack) {
  panel.captions = {{Rect{20, 38, 210, 52}, "\xD2\xF0\xE0\xF4\xE8\xEA"},  // "Трафик"
                    {Rect{290, 58, 390, 72}, "x"}};
  host.PaintNow();
  const auto& c = host.canvas.calls();
  ASSERT_EQ(c.size(), 3u);
  EXPECT_EQ(c[0].kind, Kind::Draw);
  for (std::size_t i = 1; i < 3; ++i) {
    const auto& caption = panel.captions[i - 1];
    EXPECT_EQ(c[i].kind, Kind::TextRect);
    EXPECT_EQ(c[i].rect, caption.box);
    EXPECT_EQ(c[i].x, caption.box.left);
    EXPECT_EQ(c[i].y, caption.box.top);
    EXPECT_EQ(c[i].text, caption.text);
    EXPECT_EQ(c[i].brush, kWhite);
    EXPECT_EQ(c[i].fontColor, kBlack);
    EXPECT_EQ(c[i].fontName, "Tahoma");
    EXPECT_EQ(c[i].fontHeight, -11);
  }
}

}  // namespace
}  // namespace dw::ui
