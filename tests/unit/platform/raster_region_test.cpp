// The test regions themselves: combining rows that only one side has, and
// the clip that keeps huge shapes cheap.
#include <gtest/gtest.h>

#include "platform/fake/raster_region.h"

namespace dw {
namespace {

// Rows 0-4 only in A, 5-9 in both, 10-14 only in B; columns 0-9 in each.
TEST(RasterRegion, EveryModeOverRowsOfOneOrBothSides) {
  RasterRegionFactory factory;
  const struct {
    CombineMode mode;
    bool onlyA, both, onlyB;
  } cases[] = {
      {CombineMode::Or, true, true, true},
      {CombineMode::And, false, true, false},
      {CombineMode::Xor, true, false, true},
      {CombineMode::Diff, true, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.mode));
    auto a = factory.Rectangle(0, 0, 10, 10);
    a->Combine(*factory.Rectangle(0, 5, 10, 15), c.mode);
    EXPECT_EQ(a->Contains(3, 2), c.onlyA);
    EXPECT_EQ(a->Contains(3, 7), c.both);
    EXPECT_EQ(a->Contains(3, 12), c.onlyB);
    EXPECT_FALSE(a->Contains(10, 7));
  }
  // Spans that partly overlap on a shared row.
  auto a = factory.Rectangle(0, 0, 10, 1);
  a->Combine(*factory.Rectangle(5, 0, 15, 1), CombineMode::Xor);
  EXPECT_EQ(dynamic_cast<RasterRegion&>(*a).rows().at(0),
            (RasterRegion::Spans{{0, 5}, {10, 15}}));
}

TEST(RasterRegion, ShapesAndMovesStayInsideTheFactorysLimit) {
  RasterRegionFactory small(16);
  auto r = small.Rectangle(-100000, -100000, 100000, 100000);
  EXPECT_EQ(r->Bounds(), (Rect{-16, -16, 16, 16}));
  r->Offset(8, -100);
  EXPECT_EQ(r->Bounds(), std::nullopt) << "moved wholly above the limit";

  auto e = small.Ellipse(-1000, -1000, 1000, 1000);
  EXPECT_TRUE(e->Contains(0, 0));
  EXPECT_EQ(e->Bounds(), (Rect{-16, -16, 16, 16}));
  auto p = small.Polygon({{-500, -500}, {500, -500}, {500, 500}}, FillRule::Alternate);
  EXPECT_EQ(p->Bounds(), (Rect{-16, -16, 16, 16}));

  RasterRegionFactory standard;
  EXPECT_EQ(standard.Rectangle(-100000, 0, 100000, 1)->Bounds(),
            (Rect{-RasterRegion::kDefaultLimit, 0, RasterRegion::kDefaultLimit, 1}));
}

}  // namespace
}  // namespace dw
