// The message box's arithmetic: kinds, button codes, the width rule and the
// centred row of buttons whose first edge rounds halves to even.
#include <gtest/gtest.h>

#include <vector>

#include "ui/dialogs/msg_layout.h"

namespace dw::ui {
namespace {

struct Span {
  int left, right;  // inclusive pixels
  bool operator==(const Span&) const = default;
};

std::vector<Span> Spans(const std::vector<MsgButton>& row) {
  std::vector<Span> spans;
  for (const MsgButton& b : row) spans.push_back({b.left, b.left + kMsgButtonWidth - 1});
  return spans;
}

TEST(MsgLayout, KindsGiveTitleAndIconAndUnknownKindsAreInformation) {
  EXPECT_EQ(MsgKindLookOf(0).title, TextId::MsgTitleWarning);
  EXPECT_EQ(MsgKindLookOf(0).icon, MsgIcon::Warning);
  EXPECT_EQ(MsgKindLookOf(1).title, TextId::MsgTitleError);
  EXPECT_EQ(MsgKindLookOf(1).icon, MsgIcon::Error);
  EXPECT_EQ(MsgKindLookOf(3).title, TextId::MsgTitleConfirm);
  EXPECT_EQ(MsgKindLookOf(3).icon, MsgIcon::Confirm);
  for (int kind : {2, 4, -1, 1000}) {
    EXPECT_EQ(MsgKindLookOf(kind).title, TextId::MsgTitleInfo) << kind;
    EXPECT_EQ(MsgKindLookOf(kind).icon, MsgIcon::Info) << kind;
  }
  EXPECT_EQ(TextUtf8(TextId::MsgTitleConfirm), "Подтвердите");
  // Both letters of the OK caption are Cyrillic.
  EXPECT_EQ(Text(TextId::ButtonOk), "\xCE\xCA");
}

TEST(MsgLayout, WidthIsAtLeast300AndGrowsWithTheText) {
  EXPECT_EQ(MsgFormWidth(0), 300);
  EXPECT_EQ(MsgFormWidth(220), 300);
  EXPECT_EQ(MsgFormWidth(221), 301);
  EXPECT_EQ(MsgFormWidth(5000), 5080) << "a long text widens the box, never wraps";
  EXPECT_EQ(MsgLabelWidth(300), 224);
  EXPECT_EQ(MsgLabelWidth(5080), 5004);
}

TEST(MsgLayout, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(HalveRoundingToEven(225), 112);  // 112.5
  EXPECT_EQ(HalveRoundingToEven(65), 32);    // 32.5
  EXPECT_EQ(HalveRoundingToEven(67), 34);    // 33.5
  EXPECT_EQ(HalveRoundingToEven(66), 33);
  EXPECT_EQ(HalveRoundingToEven(-5), -2);  // -2.5
  EXPECT_EQ(HalveRoundingToEven(-7), -4);  // -3.5
  EXPECT_EQ(HalveRoundingToEven(-6), -3);
}

TEST(MsgLayout, OneOkButtonInAShortBoxStartsAt112) {
  const int codes[] = {kMsgOk};
  const auto row = MsgButtons(300, codes);
  ASSERT_EQ(row.size(), 1u);
  EXPECT_EQ(row[0].left, 112);
  EXPECT_EQ(row[0].caption, TextId::ButtonOk);
  EXPECT_EQ(row[0].result, kResultOk);
}

TEST(MsgLayout, YesNoCancelRowIsCentredWithFivePixelGaps) {
  const int codes[] = {kMsgYes, kMsgNo, kMsgCancel};
  const auto row = MsgButtons(300, codes);
  EXPECT_EQ(Spans(row), (std::vector<Span>{{32, 106}, {112, 186}, {192, 266}}));
  // The buttons with their 5-pixel gaps occupy 32-107, 112-187, 192-267.
  ASSERT_EQ(row.size(), 3u);
  EXPECT_EQ(row[0].result, kResultYes);
  EXPECT_EQ(row[1].result, kResultNo);
  EXPECT_EQ(row[2].result, kResultCancel);
  EXPECT_EQ(row[2].caption, TextId::ButtonCancel);
}

TEST(MsgLayout, RowFollowsAWiderBoxAndNeverStartsLeftOf10) {
  const int two[] = {kMsgYes, kMsgNo};
  EXPECT_EQ(MsgButtons(401, two)[0].left, 123);  // 246 / 2
  const int many[] = {0, 1, 2, 3, 0, 1};
  const auto row = MsgButtons(300, many);
  ASSERT_EQ(row.size(), 6u);
  EXPECT_EQ(row[0].left, 10);
  EXPECT_EQ(row[5].left, 410);
}

TEST(MsgLayout, UnknownCodesMakeNoButtonAndTakeNoPlace) {
  const int codes[] = {7, kMsgOk, -1};
  const auto row = MsgButtons(300, codes);
  ASSERT_EQ(row.size(), 1u);
  EXPECT_EQ(row[0].left, 112);
  EXPECT_TRUE(MsgButtons(300, std::span<const int>{}).empty());
}

}  // namespace
}  // namespace dw::ui
