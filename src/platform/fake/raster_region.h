// Regions as rows of pixel spans, to test the region language without
// Windows. Polygons take the pixels whose top-left corner (x, y) lies inside,
// left and top edges included, which is what GDI gives (checked against it
// under Wine); ellipses and rounded corners may differ from GDI by a pixel
// along the curve. Everything is clipped to
// [-limit, limit) on both axes so that a text with huge numbers stays cheap;
// the fuzzer takes a smaller limit than the tests to run faster.
#pragma once

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "platform/region.h"

namespace dw {

class RasterRegion final : public Region {
 public:
  static constexpr int kDefaultLimit = 4096;
  using Spans = std::vector<std::pair<int, int>>;  // sorted, disjoint, [first, second)

  explicit RasterRegion(int limit = kDefaultLimit) : limit_(limit) {}

  std::unique_ptr<Region> Clone() const override;
  void Combine(const Region& other, CombineMode mode) override;
  void Offset(int dx, int dy) override;
  std::optional<Rect> Bounds() const override;
  bool Contains(int x, int y) const override;

  // Adds [x1, x2) on row y (clipped), for the shape builders.
  void AddSpan(int y, int x1, int x2);
  long long Area() const;
  const std::map<int, Spans>& rows() const { return rows_; }

 private:
  int limit_;
  std::map<int, Spans> rows_;  // only non-empty rows
};

class RasterRegionFactory final : public RegionFactory {
 public:
  explicit RasterRegionFactory(int limit = RasterRegion::kDefaultLimit) : limit_(limit) {}

  std::unique_ptr<Region> Rectangle(int x1, int y1, int x2, int y2) override;
  std::unique_ptr<Region> Ellipse(int x1, int y1, int x2, int y2) override;
  std::unique_ptr<Region> RoundRect(int x1, int y1, int x2, int y2, int w, int h) override;
  std::unique_ptr<Region> Polygon(const std::vector<Point>& points, FillRule rule) override;

 private:
  int limit_;
};

}  // namespace dw
