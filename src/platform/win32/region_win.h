// The Region port on GDI regions.
#pragma once

#include "platform/win32/win.h"

#include <memory>

#include "platform/region.h"
#include "platform/win32/unique_handle.h"

namespace dw {

class GdiRegion final : public Region {
 public:
  explicit GdiRegion(HRGN region) : region_(region) {}
  HRGN get() const { return region_.get(); }
  // Hands the HRGN over (to SetWindowRgn, which then owns it).
  HRGN release() { return region_.release(); }

  std::unique_ptr<Region> Clone() const override;
  // Throws dw::Error when GDI cannot combine (out of resources).
  void Combine(const Region& other, CombineMode mode) override;
  void Offset(int dx, int dy) override;
  std::optional<Rect> Bounds() const override;
  bool Contains(int x, int y) const override;

 private:
  UniqueRegion region_;
};

class GdiRegionFactory final : public RegionFactory {
 public:
  std::unique_ptr<Region> Rectangle(int x1, int y1, int x2, int y2) override;
  std::unique_ptr<Region> Ellipse(int x1, int y1, int x2, int y2) override;
  std::unique_ptr<Region> RoundRect(int x1, int y1, int x2, int y2, int w, int h) override;
  std::unique_ptr<Region> Polygon(const std::vector<Point>& points, FillRule rule) override;
};

}  // namespace dw
