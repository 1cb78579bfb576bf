// The region components on a fake form: ownership rules, loading, applying,
// the size-change hook, external regions and their names.
#include <gtest/gtest.h>

#include "fake_form.h"
#include "ui/controls/form_region.h"

namespace dw::ui {
namespace {

struct NotAForm : RegionOwner {};

class FormRegionTest : public ::testing::Test {
 protected:
  test::FakeForm form;
};

// An external region with a fixed shape and a reference size.
class BoxRegion final : public ExternalRegion {
 public:
  BoxRegion(RegionOwner& owner, std::string name) : ExternalRegion(owner, std::move(name)) {}
  std::optional<int> ReferenceWidth() const override { return 100; }
  std::optional<int> ReferenceHeight() const override { return 50; }
  int made = 0;

 protected:
  std::unique_ptr<dw::Region> CreateRegion() override {
    ++made;
    return factory.Rectangle(10, 10, 20, 20);
  }
  RasterRegionFactory factory;
};

TEST_F(FormRegionTest, OwnerMustBeAFormAndOnlyOneFormRegionPerForm) {
  NotAForm owner;
  try {
    FormRegion region(owner, "frMain");
    FAIL() << "a non-form owner was accepted";
  } catch (const OwnerNotAFormError& e) {
    EXPECT_STREQ(e.what(), "The owner of TFormRegion component must be the TForm descendant");
  }
  try {
    MacroRegion macro(owner, "M");
    FAIL() << "a non-form owner was accepted";
  } catch (const OwnerNotAFormError& e) {
    EXPECT_STREQ(e.what(), "The owner of TMacrosExtRgn component must be the TForm descendant");
  }
  EXPECT_THROW(BoxRegion(owner, "B"), OwnerNotAFormError);

  FormRegion first(form, "frMain");
  try {
    FormRegion second(form, "frOther");
    FAIL() << "a second FormRegion was accepted";
  } catch (const DuplicateComponentError& e) {
    EXPECT_STREQ(e.what(), "Only one TFormRegion component on a form is allowed");
  }
  EXPECT_EQ(RegionCoordinator::Find(form)->useCount(), 1) << "the refused one holds no count";
  test::FakeForm other;
  EXPECT_NO_THROW(FormRegion(other, "frOther"));
}

TEST_F(FormRegionTest, CoordinatorHooksOnceAndUnhooksWithItsLastUser) {
  {
    FormRegion region(form, "frMain");
    auto macro = std::make_unique<MacroRegion>(form, "M");
    EXPECT_EQ(form.hooks, 1);
    EXPECT_EQ(RegionCoordinator::Find(form)->useCount(), 2);
    macro.reset();
    EXPECT_EQ(RegionCoordinator::Find(form)->useCount(), 1);
    EXPECT_NE(form.hook, nullptr);
  }
  EXPECT_EQ(form.hook, nullptr);
  EXPECT_EQ(RegionCoordinator::Find(form), nullptr);
}

TEST_F(FormRegionTest, TextIsEvaluatedAfterLoadingAndAppliedAsACopy) {
  form.loading = true;
  form.visible = false;
  FormRegion region(form, "frMain");
  region.SetRegion("L6,0,495,0,498,2,501,8,501,358,0,358,0,6,2,2");
  EXPECT_FALSE(form.window) << "nothing happens while the form loads";
  form.loading = false;
  region.Loaded();
  ASSERT_TRUE(form.Window());
  EXPECT_EQ(form.redraws, std::vector<bool>{false}) << "no redraw while hidden";
  EXPECT_FALSE(form.Window()->Contains(0, 0));
  EXPECT_TRUE(form.Window()->Contains(250, 100));
  ASSERT_NE(region.Computed(), nullptr);
  EXPECT_NE(region.Computed(), form.window.get()) << "the window gets its own copy";

  form.visible = true;
  region.SetRegion("R0,0,10,10");
  EXPECT_EQ(form.redraws, (std::vector<bool>{false, true}));
}

TEST_F(FormRegionTest, ABadTextRaisesAndTheWindowKeepsItsRegion) {
  FormRegion region(form, "frMain");
  region.SetRegion("R0,0,10,10");
  try {
    region.SetRegion("R0,0,10,10\r\nR0,0,1");
    FAIL();
  } catch (const RegionTextError& e) {
    EXPECT_STREQ(e.what(), "frMain, line2: Invalid number of parameters");
  }
  EXPECT_EQ(region.Computed(), nullptr);
  ASSERT_TRUE(form.Window());
  EXPECT_EQ(form.Window()->Bounds(), (Rect{0, 0, 10, 10}));
  region.SetRegion("R0,0,1/0,1");  // no region, no error
  EXPECT_EQ(form.redraws.size(), 1u);
}

TEST_F(FormRegionTest, SizeChangeReevaluatesMacrosAndTheFormRegion) {
  MacroRegion bar(form, "Bar");
  bar.SetRegion("R0,0,W,10");
  FormRegion region(form, "frMain");
  region.SetRegion("R0,0,W,H\r\nD\r\nTLT0,0,bar");
  EXPECT_FALSE(form.Window()->Contains(499, 5));
  EXPECT_TRUE(form.Window()->Contains(499, 15));

  std::vector<std::string> seen;
  region.onSizeChanged = [&](RegionComponent& sender, std::string& text) {
    EXPECT_EQ(&sender, &region);
    seen.push_back(text);
  };
  form.SetSize(600, 300);
  form.hook->SizeChanged();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(form.Window()->Bounds(), (Rect{0, 10, 600, 300})) << "the macro took the new width";

  region.onSizeChanged = [](RegionComponent&, std::string& text) { text = "R0,0,W/2,H/2"; };
  form.hook->SizeChanged();
  EXPECT_EQ(region.Region(), "R0,0,W/2,H/2");
  EXPECT_EQ(form.Window()->Bounds(), (Rect{0, 0, 300, 150}));
}

TEST_F(FormRegionTest, ClientDragTurnsClientHitsIntoCaptionHits) {
  FormRegion region(form, "frMain");
  EXPECT_FALSE(form.hook->ClientIsCaption());
  region.clientDrag = true;
  EXPECT_TRUE(form.hook->ClientIsCaption());
}

TEST_F(FormRegionTest, InsertedRegionsAreAlignedByTheirBoxOrReferenceSize) {
  MacroRegion macro(form, "Logo");
  macro.SetRegion("R0,0,10,20");
  BoxRegion box(form, "Box");
  FormRegion region(form, "frMain");
  region.SetRegion("TCC100,100,LOGO");
  EXPECT_EQ(form.Window()->Bounds(), (Rect{95, 90, 105, 110}));
  region.SetRegion("TRB50,60,logo");
  EXPECT_EQ(form.Window()->Bounds(), (Rect{40, 40, 50, 60}));
  region.SetRegion("TLT7,8,Logo");
  EXPECT_EQ(form.Window()->Bounds(), (Rect{7, 8, 17, 28}));
  // The reference box (0, 0, 100, 50) replaces the bounding box.
  region.SetRegion("TCC0,0,Box");
  EXPECT_EQ(form.Window()->Bounds(), (Rect{-40, -15, -30, -5}));
  region.SetRegion("TRB0,0,Box");
  EXPECT_EQ(form.Window()->Bounds(), (Rect{-90, -40, -80, -30}));
  EXPECT_EQ(box.made, 1) << "an owned region is made once and copied";
  box.ownRegion = false;
  region.SetRegion("TLT0,0,Box\r\nTLT0,0,Box");
  EXPECT_EQ(box.made, 3);
}

TEST_F(FormRegionTest, MissingExternalRegionOnlyShowsAMessage) {
  FormRegion region(form, "frMain");
  region.SetRegion("R0,0,10,10\r\nTLT0,0,nowhere\r\nR20,0,30,10");
  EXPECT_EQ(form.messages, std::vector<std::string>{"frMain, line 2: External region NOWHERE not found"});
  EXPECT_TRUE(form.Window()->Contains(25, 5)) << "evaluation went on";
}

TEST_F(FormRegionTest, RecursiveInsertionIsRefusedAndLeavesNoNamesBehind) {
  MacroRegion self(form, "Self");
  try {
    self.SetRegion("R0,0,1,1\r\nTLT0,0,self");
    FAIL();
  } catch (const RegionSelfInsertError& e) {
    EXPECT_STREQ(e.what(), "Self recursively links to itself in line 2");
  }
  MacroRegion a(form, "A1");
  MacroRegion b(form, "B1");
  a.SetRegion("TLT0,0,B1");
  EXPECT_THROW(b.SetRegion("TLT0,0,A1"), RegionSelfInsertError);
  RegionCoordinator* coordinator = RegionCoordinator::Find(form);
  EXPECT_TRUE(coordinator->NameStack().empty());
  FormRegion region(form, "frMain");
  EXPECT_NO_THROW(region.SetRegion("R0,0,5,5"));
  EXPECT_TRUE(form.window);
}

TEST_F(FormRegionTest, ShapeChangeReachesTheTextsThatUseItThroughOtherMacros) {
  MacroRegion inner(form, "Inner");
  MacroRegion outer(form, "Outer");
  inner.SetRegion("R0,0,10,10");
  outer.SetRegion("TLT100,0,Inner");
  FormRegion region(form, "frMain");
  region.SetRegion("TLT0,0,Outer");
  // Outer is Inner moved to x 100; the form aligns Outer's left edge to 0.
  EXPECT_EQ(form.Window()->Bounds(), (Rect{0, 0, 10, 10}));
  inner.SetRegion("R0,0,40,40");
  EXPECT_EQ(form.Window()->Bounds(), (Rect{0, 0, 40, 40}));
  const auto applied = form.redraws.size();
  inner.SetRegion("R0,0,40,40");
  EXPECT_EQ(form.redraws.size(), applied) << "the same text changes nothing";
}

TEST_F(FormRegionTest, RenamingRewritesOnlyTheInsertedNames) {
  MacroRegion w(form, "W");
  w.SetRegion("R0,0,10,10");
  MacroRegion user(form, "User");
  user.SetRegion("R0,0,W,1\r\nTLT20,0,w");
  FormRegion region(form, "frMain");
  region.SetRegion("R0,0,W,H\r\nD\r\nTLT0,0,W");
  w.SetName("Hole");
  EXPECT_EQ(region.Region(), "R0,0,W,H\r\nD\r\nTLT0,0,Hole");
  EXPECT_EQ(user.Region(), "R0,0,W,1\r\nTLT20,0,Hole");
  EXPECT_FALSE(form.Window()->Contains(5, 5));
  EXPECT_TRUE(form.messages.empty());
}

}  // namespace
}  // namespace dw::ui
