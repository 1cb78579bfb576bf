// The progress dialog's layouts and the details pane's arithmetic.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/dialogs/progress_layout.h"

namespace dw::ui {
namespace {

using Lines = std::vector<std::string>;

TEST(ProgressLayout, DetailLinesAreTrimmedAndBlankLinesDropped) {
  EXPECT_EQ(DetailLines(""), Lines{});
  EXPECT_EQ(DetailLines(" \r\n\t\r\n  "), Lines{});
  EXPECT_EQ(DetailLines("one"), Lines{"one"});
  // Only the whole text is trimmed; a kept line keeps its own blanks.
  EXPECT_EQ(DetailLines("\r\n  one\r\n\r\n two \r\n\r\n"), (Lines{"one", " two"}));
  // Lone CR and LF break lines too; inner blank lines go, inner text stays.
  EXPECT_EQ(DetailLines("a\rb\nc\r\n \t \nd"), (Lines{"a", "b", "c", "d"}));
  // Code page 1251 letters are not blanks.
  EXPECT_EQ(DetailLines("\xCE\xF8\xE8\xE1\xEA\xE0\xA0"), Lines{"\xCE\xF8\xE8\xE1\xEA\xE0\xA0"});
}

TEST(ProgressLayout, HeightsOfTheDetailsPane) {
  EXPECT_EQ(ProgressFormHeight(0), 137);
  EXPECT_EQ(DetailsExtraHeight(0), 10);
  EXPECT_EQ(DetailsExtraHeight(1), 26);
  EXPECT_EQ(DetailsExtraHeight(6), 106);
  EXPECT_EQ(DetailsExtraHeight(8), 138);
  EXPECT_EQ(DetailsExtraHeight(12), 202);
  EXPECT_EQ(DetailsExtraHeight(14), 202) << "fourteen lines show twelve lines' worth";
}

TEST(ProgressLayout, DiallingIsTheDesignState) {
  const ProgressLayout d = DiallingLayout();
  EXPECT_TRUE(d.barVisible);
  EXPECT_EQ(d.closeCaption, TextId::ButtonCancel);
  EXPECT_FALSE(d.detailButtonVisible);
  EXPECT_EQ(d.detailCaption, TextId::ProgressDetailsOpen);
  EXPECT_FALSE(d.detailsVisible);
  EXPECT_EQ(d.formHeight, 137);
}

TEST(ProgressLayout, ErrorReportOffersDetailsOnlyForNonEmptyText) {
  const ProgressLayout none = ErrorReportLayout("");
  EXPECT_FALSE(none.barVisible);
  EXPECT_EQ(none.closeCaption, TextId::ProgressClose);
  EXPECT_FALSE(none.detailButtonVisible);
  EXPECT_EQ(none.formHeight, 137);
  EXPECT_TRUE(ErrorReportLayout("Access denied.").detailButtonVisible);
  EXPECT_TRUE(ErrorReportLayout(" \r\n ").detailButtonVisible) << "untrimmed text decides";
}

TEST(ProgressLayout, FourteenLinesOpenTwelveLinesWorthAndCloseAgain) {
  const std::string text = "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12\r\n13\r\n14";
  const ProgressLayout open = ToggleDetails(ErrorReportLayout(text), text);
  EXPECT_TRUE(open.detailsVisible);
  EXPECT_EQ(open.detailLines.size(), 14u);
  EXPECT_EQ(open.detailCaption, TextId::ProgressDetailsClose);
  EXPECT_EQ(open.formHeight, 137 + 202);
  EXPECT_FALSE(open.barVisible);
  EXPECT_TRUE(open.detailButtonVisible);

  const ProgressLayout closed = ToggleDetails(open, text);
  EXPECT_FALSE(closed.detailsVisible);
  EXPECT_EQ(closed.detailCaption, TextId::ProgressDetailsOpen);
  EXPECT_EQ(closed.formHeight, 137);
  EXPECT_TRUE(closed.detailButtonVisible);
}

TEST(ProgressLayout, BlankOnlyDetailsShowTheButtonAndNoLines) {
  const std::string text = "  \r\n\r\n\t";
  const ProgressLayout report = ErrorReportLayout(text);
  ASSERT_TRUE(report.detailButtonVisible);
  const ProgressLayout open = ToggleDetails(report, text);
  EXPECT_TRUE(open.detailLines.empty());
  EXPECT_EQ(open.formHeight, 137 + 10);
}

TEST(ProgressLayout, OpeningReadsTheTextOfThatMoment) {
  ProgressLayout l = ToggleDetails(ErrorReportLayout("old"), "old");
  l = ToggleDetails(l, "old");
  l = ToggleDetails(l, "new\r\ntext");
  EXPECT_EQ(l.detailLines, (Lines{"new", "text"}));
  EXPECT_EQ(l.formHeight, 137 + 42);
}

TEST(ProgressLayout, CloseRequestsCancelWhileDialling) {
  EXPECT_EQ(CloseRequestFor(true), CloseRequest::CancelDial);
  EXPECT_EQ(CloseRequestFor(false), CloseRequest::DismissReport);
}

}  // namespace
}  // namespace dw::ui
