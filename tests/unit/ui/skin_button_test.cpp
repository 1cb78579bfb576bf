// The skinned button: its paint sequence call by call, its looks, and the
// press, tolerance and click rules.
#include <gtest/gtest.h>

#include "control_test_support.h"
#include "ui/controls/skin_button.h"

namespace dw::ui {
namespace {

using Kind = CanvasCall::Kind;

constexpr Color kFace = Rgb(0xF4, 0xF4, 0xF0);
constexpr Color kDown = Rgb(0xBC, 0xB9, 0xF6);
constexpr Color kRing = Rgb(0xCD, 0xD8, 0xE2);
constexpr Color kNavy = Rgb(0x00, 0x06, 0x74);

// The main window's connect button.
void MakeConnect(SkinButton& b) {
  b.SetSize(193, 30);
  b.caption = "Connect";
  b.faceColour = kFace;
  b.pressedColour = kDown;
  b.outerRingColour = kRing;
  b.innerRingColour = kBlack;
  b.borderColour = kNavy;
  b.backgroundColour = kWhite;
  b.outerRingWidth = 2;
  b.innerRingWidth = 0;
  b.cornerDiameter = 4;
  b.borderWidth = 1;
  b.font = {"Tahoma", -12, kBlack};
}

class SkinButtonTest : public ::testing::Test {
 protected:
  SkinButtonTest() {
    MakeConnect(button);
    button.onClick = [this](SkinButton& sender) {
      EXPECT_EQ(&sender, &button);
      ++clicks;
      events.push_back("click");
    };
    button.onMouseDown = [this](SkinButton&, MouseButton, ShiftState s, int x, int y) {
      EXPECT_EQ(s, ShiftState::Left);
      events.push_back("down " + std::to_string(x) + "," + std::to_string(y));
    };
    button.onMouseUp = [this](SkinButton&, MouseButton, ShiftState s, int, int) {
      EXPECT_EQ(s, ShiftState::Left);
      events.push_back("up");
    };
    button.onMouseMove = [this](SkinButton&, ShiftState s, int, int) {
      events.push_back(s == ShiftState::Left ? "move held" : "move");
    };
  }

  int Click(int x, int y, std::initializer_list<std::pair<int, int>> path = {}) {
    const int before = clicks;
    button.LeftButtonDown(x, y);
    for (auto [mx, my] : path) button.MouseMove(mx, my, true);
    const auto last = path.size() ? *(path.end() - 1) : std::pair<int, int>{x, y};
    button.LeftButtonUp(last.first, last.second);
    return clicks - before;
  }

  SkinButton button;
  test::RecordingHost host{button};
  int clicks = 0;
  std::vector<std::string> events;
};

TEST_F(SkinButtonTest, PaintsBackgroundRingFaceAndCaptionInThatOrder) {
  host.PaintNow();
  const auto& c = host.canvas.calls();
  ASSERT_EQ(c.size(), 4u);
  EXPECT_EQ(c[0].kind, Kind::FillRect);
  EXPECT_EQ(c[0].rect, (Rect{0, 0, 193, 30}));
  EXPECT_EQ(c[0].brush, kWhite);

  EXPECT_EQ(c[1].kind, Kind::RoundRect);
  EXPECT_EQ(c[1].rect, (Rect{1, 1, 192, 29}));
  EXPECT_EQ(c[1].pen, kRing);
  EXPECT_EQ(c[1].brush, kRing);
  EXPECT_EQ(c[1].cornerWidth, 4);
  EXPECT_EQ(c[1].cornerHeight, 4);

  EXPECT_EQ(c[2].kind, Kind::RoundRect);
  EXPECT_EQ(c[2].rect, (Rect{2, 2, 190, 27}));
  EXPECT_EQ(c[2].pen, kNavy);
  EXPECT_EQ(c[2].penWidth, 1);
  EXPECT_EQ(c[2].brush, kFace);

  // 7 characters of 6 pixels, height 12 + 3: tx = (193 - 42) div 2 - 1.
  EXPECT_EQ(c[3].kind, Kind::TextRect);
  EXPECT_EQ(c[3].text, "Connect");
  EXPECT_EQ(c[3].x, 74);
  EXPECT_EQ(c[3].y, 6);
  EXPECT_EQ(c[3].rect, (Rect{74, 6, 74 + 42 + 1, 6 + 15 + 1}));
  EXPECT_EQ(c[3].brush, kFace) << "the caption's background is the face";
  EXPECT_EQ(c[3].fontName, "Tahoma");
  EXPECT_EQ(c[3].fontHeight, -12);
  EXPECT_EQ(c[3].fontColor, kClBtnText);
}

TEST_F(SkinButtonTest, OuterRingTakesThePenWidthThePreviousPaintLeft) {
  button.borderWidth = 3;
  host.PaintNow();
  EXPECT_EQ(host.canvas.calls()[1].penWidth, 1) << "first paint";
  EXPECT_EQ(host.canvas.calls()[2].penWidth, 3);
  host.PaintNow();
  EXPECT_EQ(host.canvas.calls()[1].penWidth, 3) << "later paints";
}

TEST_F(SkinButtonTest, InnerRingIsFilledWithAFaceRectangleInsetByAllWidths) {
  // disagreeButton: no outer ring, an inner ring of width 1.
  button.SetSize(85, 25);
  button.outerRingWidth = 0;
  button.innerRingWidth = 1;
  button.innerRingColour = kNavy;
  button.caption = "No";
  host.PaintNow();
  const auto& c = host.canvas.calls();
  ASSERT_EQ(c.size(), 4u);
  EXPECT_EQ(c[1].kind, Kind::RoundRect);
  EXPECT_EQ(c[1].rect, (Rect{0, 0, 84, 24}));
  EXPECT_EQ(c[1].brush, kNavy);
  EXPECT_EQ(c[2].kind, Kind::FillRect);
  EXPECT_EQ(c[2].rect, (Rect{2, 2, 81, 21}));  // c = 1 + 0 + 1
  EXPECT_EQ(c[2].brush, kFace);
  EXPECT_EQ(c[2].pen, kBlack) << "the pen takes the font's colour";
}

TEST_F(SkinButtonTest, PressedFaceAndDisabledLook) {
  button.LeftButtonDown(10, 10);
  ASSERT_TRUE(button.Pressed());
  EXPECT_EQ(host.canvas.calls()[2].brush, kDown);
  EXPECT_EQ(host.canvas.calls()[3].brush, kDown);

  button.MouseLeave();
  const int paints = host.paints;
  button.SetEnabled(false);
  EXPECT_EQ(host.paints, paints + 1) << "enabling repaints at once";
  EXPECT_EQ(host.canvas.calls()[2].pen, kClInactiveBorder);
  EXPECT_EQ(host.canvas.calls()[2].brush, kFace);
  EXPECT_EQ(host.canvas.calls()[3].fontColor, kClGrayText);
}

TEST_F(SkinButtonTest, CaptionWiderThanTheButtonStartsLeftOfIt) {
  button.SetSize(40, 20);
  button.caption = "A caption far too wide";
  host.PaintNow();
  const auto& text = host.canvas.calls().back();
  EXPECT_EQ(text.x, (40 - 22 * 6) / 2 - 1);
  EXPECT_LT(text.x, 0);
}

TEST_F(SkinButtonTest, PressOnTheOuterPixelsNeverClicksButStillRaisesTheMouseEvents) {
  for (auto [x, y] : {std::pair{1, 10}, {191, 10}, {10, 1}, {10, 28}, {65535, 10}}) {
    events.clear();
    EXPECT_EQ(Click(x, y), 0) << x << "," << y;
    EXPECT_EQ(events, (std::vector<std::string>{"down " + std::to_string(x) + "," +
                                                    std::to_string(y),
                                                "up"}));
  }
  EXPECT_EQ(Click(2, 2), 1) << "the inner area starts at 2";
  EXPECT_EQ(Click(190, 27), 1) << "and ends at W - 3, H - 3";
}

TEST_F(SkinButtonTest, FourPixelsAwayStillClicksFiveAwayCancelsForGood) {
  EXPECT_EQ(Click(50, 10, {{52, 12}, {54, 14}}), 1);
  EXPECT_EQ(Click(50, 10, {{46, 6}}), 1);
  EXPECT_EQ(Click(50, 10, {{55, 10}, {50, 10}}), 0);
  EXPECT_EQ(Click(50, 10, {{45, 10}, {50, 10}}), 0);
  EXPECT_EQ(Click(50, 15, {{50, 20}, {50, 15}}), 0);
  EXPECT_EQ(Click(50, 10, {{50, 5}, {50, 10}}), 0);
  EXPECT_EQ(Click(50, 10, {{53, 10}, {50, 1}, {50, 10}}), 0) << "leaving the inner area cancels";
}

TEST_F(SkinButtonTest, MoveWithTheButtonUpOrLeavingCancelsThePress) {
  button.LeftButtonDown(20, 10);
  events.clear();
  button.MouseMove(20, 10, false);
  EXPECT_FALSE(button.Pressed());
  EXPECT_EQ(events, std::vector<std::string>{"move"});
  button.LeftButtonUp(20, 10);
  EXPECT_EQ(clicks, 0);

  button.LeftButtonDown(20, 10);
  button.MouseLeave();
  button.LeftButtonUp(20, 10);
  EXPECT_EQ(clicks, 0);
}

TEST_F(SkinButtonTest, ReleaseRaisesMouseUpBeforeTheClickAndPaintsOnlyOnChanges) {
  button.LeftButtonDown(20, 10);
  EXPECT_EQ(host.paints, 1);
  button.MouseMove(21, 10, true);
  EXPECT_EQ(host.paints, 1) << "no change, no paint";
  events.clear();
  button.LeftButtonUp(21, 10);
  EXPECT_EQ(events, (std::vector<std::string>{"up", "click"}));
  EXPECT_FALSE(button.Pressed());
  EXPECT_EQ(host.paints, 3) << "released, then painted once more";

  button.onClick = nullptr;
  button.LeftButtonDown(20, 10);
  button.LeftButtonUp(20, 10);  // no handler: nothing to call
  EXPECT_FALSE(button.Pressed());
}

}  // namespace
}  // namespace dw::ui
