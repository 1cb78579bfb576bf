#include "platform/win32/region_win.h"

#include "platform/error.h"

namespace dw {
namespace {

std::unique_ptr<Region> Wrap(HRGN region) {
  if (region == nullptr) return nullptr;
  return std::make_unique<GdiRegion>(region);
}

}  // namespace

std::unique_ptr<Region> GdiRegion::Clone() const {
  UniqueRegion copy(CreateRectRgn(0, 0, 0, 0));
  if (!copy || CombineRgn(copy.get(), region_.get(), nullptr, RGN_COPY) == ERROR) {
    throw Error("region copy failed");
  }
  return std::make_unique<GdiRegion>(copy.release());
}

void GdiRegion::Combine(const Region& other, CombineMode mode) {
  const auto& o = dynamic_cast<const GdiRegion&>(other);
  int gdiMode = RGN_OR;
  switch (mode) {
    case CombineMode::And: gdiMode = RGN_AND; break;
    case CombineMode::Or: gdiMode = RGN_OR; break;
    case CombineMode::Xor: gdiMode = RGN_XOR; break;
    case CombineMode::Diff: gdiMode = RGN_DIFF; break;
  }
  if (CombineRgn(region_.get(), region_.get(), o.get(), gdiMode) == ERROR) {
    throw Error("region combination failed");
  }
}

void GdiRegion::Offset(int dx, int dy) { OffsetRgn(region_.get(), dx, dy); }

std::optional<Rect> GdiRegion::Bounds() const {
  RECT box{};
  const int kind = GetRgnBox(region_.get(), &box);
  if (kind == NULLREGION || kind == ERROR) return std::nullopt;
  return Rect{box.left, box.top, box.right, box.bottom};
}

bool GdiRegion::Contains(int x, int y) const { return PtInRegion(region_.get(), x, y) != FALSE; }

std::unique_ptr<Region> GdiRegionFactory::Rectangle(int x1, int y1, int x2, int y2) {
  return Wrap(CreateRectRgn(x1, y1, x2, y2));
}

std::unique_ptr<Region> GdiRegionFactory::Ellipse(int x1, int y1, int x2, int y2) {
  return Wrap(CreateEllipticRgn(x1, y1, x2, y2));
}

std::unique_ptr<Region> GdiRegionFactory::RoundRect(int x1, int y1, int x2, int y2, int w, int h) {
  return Wrap(CreateRoundRectRgn(x1, y1, x2, y2, w, h));
}

std::unique_ptr<Region> GdiRegionFactory::Polygon(const std::vector<Point>& points, FillRule rule) {
  std::vector<POINT> p;
  p.reserve(points.size());
  for (const Point& q : points) p.push_back({q.x, q.y});
  return Wrap(CreatePolygonRgn(p.data(), static_cast<int>(p.size()),
                               rule == FillRule::Alternate ? ALTERNATE : WINDING));
}

}  // namespace dw
