// The region language on raster regions: shapes, modes, groups, insertion
// of external regions, expressions, and every error message.
#include <gtest/gtest.h>

#include "fake_form.h"
#include "ui/controls/region_text.h"

namespace dw::ui {
namespace {

constexpr const char* kMainWindow = "L6,0,495,0,498,2,501,8,501,358,0,358,0,6,2,2";

class RegionTextTest : public ::testing::Test {
 protected:
  std::unique_ptr<RasterRegion> Eval(const std::string& text) {
    coordinator = &RegionCoordinator::Acquire(form);
    auto r = coordinator->Evaluate(text, "frMain");
    coordinator->Release();
    coordinator = nullptr;
    if (!r) return nullptr;
    return std::unique_ptr<RasterRegion>(dynamic_cast<RasterRegion*>(r.release()));
  }
  std::string Error(const std::string& text) {
    try {
      Eval(text);
    } catch (const RegionTextError& e) {
      return e.what();
    }
    return "(no error)";
  }

  test::FakeForm form;
  RegionCoordinator* coordinator = nullptr;
};

TEST_F(RegionTextTest, MainWindowPolygonCutsTheTopCorners) {
  auto r = Eval(kMainWindow);
  ASSERT_TRUE(r);
  for (auto [x, y] : {std::pair{0, 0}, {1, 1}, {500, 0}, {0, 1}, {1, 0}, {499, 1}, {0, 358}}) {
    EXPECT_FALSE(r->Contains(x, y)) << x << "," << y;
  }
  for (auto [x, y] : {std::pair{3, 100}, {250, 100}, {6, 0}, {494, 0}, {0, 357}, {500, 357}, {3, 3}}) {
    EXPECT_TRUE(r->Contains(x, y)) << x << "," << y;
  }
  EXPECT_EQ(r->Bounds(), (Rect{0, 0, 501, 358}));
}

TEST_F(RegionTextTest, FullWindowMinusAnEllipse) {
  auto r = Eval("R0,0,W,H\r\nD\r\nE0,0,20,20");
  ASSERT_TRUE(r);
  EXPECT_FALSE(r->Contains(10, 10));
  EXPECT_FALSE(r->Contains(3, 10));
  EXPECT_TRUE(r->Contains(0, 0)) << "the ellipse leaves the corner itself";
  EXPECT_TRUE(r->Contains(25, 5));
  EXPECT_TRUE(r->Contains(499, 359));
  EXPECT_FALSE(r->Contains(500, 0));
  EXPECT_EQ(r->Bounds(), (Rect{0, 0, 500, 360}));
}

TEST_F(RegionTextTest, ModesStayForTheRestOfTheirLevel) {
  auto r = Eval("R0,0,30,10\r\nX\r\nR10,0,20,10\r\nR0,5,30,6");
  ASSERT_TRUE(r);
  EXPECT_TRUE(r->Contains(5, 0));
  EXPECT_FALSE(r->Contains(15, 0));
  EXPECT_FALSE(r->Contains(5, 5)) << "the second XOR removes the row again";
  EXPECT_TRUE(r->Contains(15, 5));
  r = Eval("R0,0,30,10\r\nA\r\nR10,0,40,10");
  EXPECT_EQ(r->Bounds(), (Rect{10, 0, 30, 10}));
}

TEST_F(RegionTextTest, AGroupIsOneShapeOfItsOuterLevel) {
  auto r = Eval("{\r\nR0,0,10,10\r\nR20,0,30,10\r\n}");
  ASSERT_TRUE(r);
  EXPECT_TRUE(r->Contains(5, 5));
  EXPECT_TRUE(r->Contains(25, 5));
  EXPECT_FALSE(r->Contains(15, 5));
  // The group's union is subtracted as one shape; its own mode starts as OR.
  r = Eval("R0,0,30,10\r\nD\r\n{\r\nR0,0,10,10\r\nR20,0,30,10\r\n}");
  EXPECT_EQ(r->Bounds(), (Rect{10, 0, 20, 10}));
  // An empty group is an empty shape: AND with it leaves nothing.
  r = Eval("R0,0,10,10\r\nA\r\n{\r\n}");
  ASSERT_TRUE(r);
  EXPECT_FALSE(r->Bounds());
  // A group left open adds nothing.
  EXPECT_FALSE(Eval("{\r\nR0,0,10,10"));
  EXPECT_EQ(Eval("R0,0,5,5\r\n{\r\nR0,0,10,10")->Bounds(), (Rect{0, 0, 5, 5}));
}

TEST_F(RegionTextTest, FourteenNestedGroupsWorkTheFifteenthIsTooMany) {
  std::string text;
  for (int i = 0; i < 14; ++i) text += "{\r\n";
  text += "R0,0,4,4";
  for (int i = 0; i < 14; ++i) text += "\r\n}";
  auto r = Eval(text);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->Bounds(), (Rect{0, 0, 4, 4}));
  std::string fifteen;
  for (int i = 0; i < 15; ++i) fifteen += "{\r\n";
  EXPECT_EQ(Error(fifteen), "frMain, line15: Too many brackets");
}

TEST_F(RegionTextTest, EveryErrorMessage) {
  const std::pair<const char*, const char*> rows[] = {
      {"L1,2,3,4", "frMain, line1: Invalid number of parameters"},
      {"L1,2,3,4,5,6,7", "frMain, line1: Invalid number of parameters"},
      {"R1,2,3", "frMain, line1: Invalid number of parameters"},
      {"E1,2,3,4,5", "frMain, line1: Invalid number of parameters"},
      {"U1,2,3,4,5", "frMain, line1: Invalid number of parameters"},
      {"Q1", "frMain, line1: Unknown command"},
      {"R0,0,1,1\r\n\r\n#", "frMain, line3: Unknown command"},
      {"R1,2,3,(4", "frMain, line1: ')' expected in position 3"},
      {"R1,2,3,((4)+(5*(2)", "frMain, line1: ')' expected in position 12"},
      {"R1,2,3,$", "frMain, line1: Syntax error in position 1"},
      {"R1,2,3,", "frMain, line1: Syntax error in position 1"},
      {"R1,2,3,4+*2", "frMain, line1: Syntax error in position 3"},
      {"R1,2,3,+4", "frMain, line1: Syntax error in position 1"},
      {"R 1,2,3,4", "frMain, line1: Syntax error in position 1"},
      {"R1,2,3,Z", "frMain, line1: Syntax error in position 1"},
      {"}", "frMain, line1: '}' without '{'"},
      {"{\r\n}\r\n}", "frMain, line3: '}' without '{'"},
      {"TL", "frMain, line1: Syntax error"},
      {"TXT0,0,A", "frMain, line1: Syntax error"},
      {"TLQ0,0,A", "frMain, line1: Syntax error"},
      {"TLT0", "frMain, line1: Invalid number of parameters"},
      {"TLT0,0", "frMain, line1: Invalid number of parameters"},
      {"TLT0,?,A", "frMain, line1: Syntax error in position 1"},
  };
  for (const auto& [text, message] : rows) EXPECT_EQ(Error(text), message) << text;
}

TEST_F(RegionTextTest, LowerCaseCommandsAndLettersAreAccepted) {
  auto lower = Eval("r0,0,w,h\r\nd\r\ne0,0,20,20");
  auto upper = Eval("R0,0,W,H\r\nD\r\nE0,0,20,20");
  ASSERT_TRUE(lower);
  EXPECT_EQ(lower->rows(), upper->rows());
}

TEST_F(RegionTextTest, ExpressionsOverTheWindowMetrics) {
  form.metrics = {300, 200, 4, 30, 296, 196, 11};
  auto r = Eval("R(W-100)/2,C+-(-2),R-X*2,B");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->Bounds(), (Rect{100, 32, 288, 196}));
  EXPECT_EQ(Eval("R-7/2,Y,7/-2+10,H/7*7")->Bounds(), (Rect{-3, 11, 7, 196}))
      << "division rounds toward zero and binds tighter than +";
  EXPECT_EQ(Eval("R2-1-1,0,10-2*3,1)junk")->Bounds(), (Rect{0, 0, 4, 1}))
      << "left to right, and text after an expression is ignored";
}

TEST_F(RegionTextTest, ArithmeticFaultsEndTheEvaluationWithoutARegion) {
  for (const char* text : {"R0,0,10/0,10", "R0,0,99999999999,1", "R0,0,2147483647+1,1",
                           "R0,0,65536*65536,1", "R0,0,10,10\r\nR0,0,1/(W-W),1"}) {
    EXPECT_NO_THROW(EXPECT_FALSE(Eval(text)) << text);
  }
  std::string deep(5000, '(');
  EXPECT_FALSE(Eval("R0,0," + deep + "1,1")) << "nesting is bounded, not a stack overflow";
  EXPECT_FALSE(Eval("R0,0,10,(-2147483647-1)/-1")) << "no overflow on the most negative number";
}

TEST_F(RegionTextTest, EmptyTextsAndLinesMakeNothing) {
  EXPECT_FALSE(Eval(""));
  EXPECT_FALSE(Eval("A\r\nO"));
  EXPECT_FALSE(Eval("\r\n"));
  EXPECT_EQ(Eval("R0,0,1,1\r\n")->Bounds(), (Rect{0, 0, 1, 1}));
}

TEST_F(RegionTextTest, PolygonsFollowTheirFillRule) {
  // A pentagram: its centre is outside with the alternate rule, inside with winding.
  const std::string star = "100,0,160,190,0,70,200,70,40,190";
  auto alternate = Eval("L" + star);
  auto winding = Eval("W" + star);
  ASSERT_TRUE(alternate && winding);
  EXPECT_FALSE(alternate->Contains(100, 100));
  EXPECT_TRUE(winding->Contains(100, 100));
  EXPECT_TRUE(alternate->Contains(100, 30));
  EXPECT_GT(winding->Area(), alternate->Area());
}

}  // namespace
}  // namespace dw::ui
