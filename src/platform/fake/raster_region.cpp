#include "platform/fake/raster_region.h"

#include <algorithm>
#include <cmath>

namespace dw {
namespace {

using Spans = RasterRegion::Spans;
int Clip(long long v, int limit) {
  return static_cast<int>(std::clamp<long long>(v, -limit, limit));
}

bool Covered(const Spans& spans, int x) {
  auto it = std::upper_bound(spans.begin(), spans.end(), x,
                             [](int v, const std::pair<int, int>& s) { return v < s.first; });
  if (it == spans.begin()) return false;
  --it;
  return x < it->second;
}

bool Apply(bool a, bool b, CombineMode mode) {
  switch (mode) {
    case CombineMode::And: return a && b;
    case CombineMode::Or: return a || b;
    case CombineMode::Xor: return a != b;
    case CombineMode::Diff: return a && !b;
  }
  return false;
}

Spans CombineSpans(const Spans& a, const Spans& b, CombineMode mode) {
  // A row that only one side has needs no sweep.
  if (a.empty() || b.empty()) {
    const bool keepA = mode != CombineMode::And;
    const bool keepB = mode == CombineMode::Or || mode == CombineMode::Xor;
    if (b.empty()) return keepA ? a : Spans{};
    return keepB ? b : Spans{};
  }
  std::vector<int> xs;
  xs.reserve(2 * (a.size() + b.size()));
  for (const auto& s : a) xs.insert(xs.end(), {s.first, s.second});
  for (const auto& s : b) xs.insert(xs.end(), {s.first, s.second});
  std::sort(xs.begin(), xs.end());
  xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
  Spans out;
  for (std::size_t i = 0; i + 1 < xs.size(); ++i) {
    if (!Apply(Covered(a, xs[i]), Covered(b, xs[i]), mode)) continue;
    if (!out.empty() && out.back().second == xs[i]) {
      out.back().second = xs[i + 1];
    } else {
      out.emplace_back(xs[i], xs[i + 1]);
    }
  }
  return out;
}

}  // namespace

std::unique_ptr<Region> RasterRegion::Clone() const { return std::make_unique<RasterRegion>(*this); }

void RasterRegion::Combine(const Region& other, CombineMode mode) {
  const auto& o = dynamic_cast<const RasterRegion&>(other);
  std::map<int, Spans> result;
  auto visit = [&](int y) {
    if (result.count(y)) return;
    static const Spans kNone;
    auto ai = rows_.find(y);
    auto bi = o.rows_.find(y);
    Spans s = CombineSpans(ai == rows_.end() ? kNone : ai->second,
                           bi == o.rows_.end() ? kNone : bi->second, mode);
    if (!s.empty()) result.emplace(y, std::move(s));
  };
  for (const auto& [y, spans] : rows_) visit(y);
  for (const auto& [y, spans] : o.rows_) visit(y);
  rows_ = std::move(result);
}

void RasterRegion::Offset(int dx, int dy) {
  std::map<int, Spans> moved;
  for (auto& [y, spans] : rows_) {
    const long long ny = static_cast<long long>(y) + dy;
    if (ny < -limit_ || ny >= limit_) continue;
    Spans out;
    for (const auto& s : spans) {
      const int a = Clip(static_cast<long long>(s.first) + dx, limit_);
      const int b = Clip(static_cast<long long>(s.second) + dx, limit_);
      if (a < b) out.emplace_back(a, b);
    }
    if (!out.empty()) moved.emplace(static_cast<int>(ny), std::move(out));
  }
  rows_ = std::move(moved);
}

std::optional<Rect> RasterRegion::Bounds() const {
  if (rows_.empty()) return std::nullopt;
  Rect r{limit_, rows_.begin()->first, -limit_, rows_.rbegin()->first + 1};
  for (const auto& [y, spans] : rows_) {
    r.left = std::min(r.left, spans.front().first);
    r.right = std::max(r.right, spans.back().second);
  }
  return r;
}

bool RasterRegion::Contains(int x, int y) const {
  auto it = rows_.find(y);
  return it != rows_.end() && Covered(it->second, x);
}

void RasterRegion::AddSpan(int y, int x1, int x2) {
  if (y < -limit_ || y >= limit_) return;
  x1 = Clip(x1, limit_);
  x2 = Clip(x2, limit_);
  if (x1 >= x2) return;
  auto [row, fresh] = rows_.try_emplace(y);
  if (fresh) {
    row->second.emplace_back(x1, x2);
    return;
  }
  row->second = CombineSpans(row->second, Spans{{x1, x2}}, CombineMode::Or);
}

long long RasterRegion::Area() const {
  long long area = 0;
  for (const auto& [y, spans] : rows_) {
    for (const auto& s : spans) area += s.second - s.first;
  }
  return area;
}

std::unique_ptr<Region> RasterRegionFactory::Rectangle(int x1, int y1, int x2, int y2) {
  auto r = std::make_unique<RasterRegion>(limit_);
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  for (int y = Clip(y1, limit_); y < Clip(y2, limit_); ++y) r->AddSpan(y, x1, x2);
  return r;
}

std::unique_ptr<Region> RasterRegionFactory::Ellipse(int x1, int y1, int x2, int y2) {
  return RoundRect(x1, y1, x2, y2, x2 > x1 ? x2 - x1 : x1 - x2, y2 > y1 ? y2 - y1 : y1 - y2);
}

// A rectangle whose corners are quarters of a w x h ellipse, sampled at pixel
// centres (GDI walks the curve with its own integer steps); an ellipse is
// the rounded rectangle whose corner ellipse is the whole box.
std::unique_ptr<Region> RasterRegionFactory::RoundRect(int x1, int y1, int x2, int y2, int w,
                                                       int h) {
  auto r = std::make_unique<RasterRegion>(limit_);
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  // GDI's rounded shapes leave out the box's last column and row.
  if (x2 > x1) --x2;
  if (y2 > y1) --y2;
  const double left = Clip(x1, limit_), right = Clip(x2, limit_);
  const double rx = std::min(std::abs(static_cast<double>(w)), right - left) / 2;
  const double top = Clip(y1, limit_), bottom = Clip(y2, limit_);
  const double ry = std::min(std::abs(static_cast<double>(h)), bottom - top) / 2;
  for (int y = static_cast<int>(top); y < bottom; ++y) {
    const double cy = y + 0.5;
    double inset = 0;
    if (rx > 0 && ry > 0) {
      // Distance into the top or bottom band of the corner ellipses.
      double dy = 0;
      if (cy < top + ry) dy = top + ry - cy;
      else if (cy > bottom - ry) dy = cy - (bottom - ry);
      if (dy > 0) inset = rx - rx * std::sqrt(std::max(0.0, 1 - (dy / ry) * (dy / ry)));
    }
    // Pixel centres strictly inside [left + inset, right - inset].
    const int a = static_cast<int>(std::ceil(left + inset - 0.5));
    const int b = static_cast<int>(std::ceil(right - inset - 0.5));
    r->AddSpan(y, a, b);
  }
  return r;
}

std::unique_ptr<Region> RasterRegionFactory::Polygon(const std::vector<Point>& points,
                                                     FillRule rule) {
  auto r = std::make_unique<RasterRegion>(limit_);
  if (points.size() < 3) return r;
  int minY = points[0].y, maxY = points[0].y;
  for (const auto& p : points) {
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
  }
  struct Crossing {
    double x;
    int direction;
  };
  std::vector<Crossing> crossings;
  for (int y = Clip(minY, limit_); y < Clip(maxY, limit_); ++y) {
    const double sy = y;
    crossings.clear();
    for (std::size_t i = 0; i < points.size(); ++i) {
      const Point& a = points[i];
      const Point& b = points[(i + 1) % points.size()];
      if (a.y == b.y) continue;
      const bool down = a.y < b.y;
      const double lo = down ? a.y : b.y, hi = down ? b.y : a.y;
      if (sy < lo || sy >= hi) continue;
      const double t = (sy - a.y) / (static_cast<double>(b.y) - a.y);
      crossings.push_back({a.x + t * (static_cast<double>(b.x) - a.x), down ? 1 : -1});
    }
    std::sort(crossings.begin(), crossings.end(),
              [](const Crossing& p, const Crossing& q) { return p.x < q.x; });
    int winding = 0;
    for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
      winding += crossings[i].direction;
      const bool inside = rule == FillRule::Alternate ? (i % 2 == 0) : winding != 0;
      if (!inside) continue;
      const double from = std::clamp(crossings[i].x, -1.0 * limit_, 1.0 * limit_);
      const double to = std::clamp(crossings[i + 1].x, -1.0 * limit_, 1.0 * limit_);
      r->AddSpan(y, static_cast<int>(std::ceil(from)), static_cast<int>(std::ceil(to)));
    }
  }
  return r;
}

}  // namespace dw
