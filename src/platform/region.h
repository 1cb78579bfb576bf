// Regions (sets of pixels) and their algebra, behind a port so that the
// region language is tested natively. GDI regions on Windows; a raster region
// in platform/fake.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/canvas.h"

namespace dw {

enum class CombineMode { And, Or, Xor, Diff };
enum class FillRule { Alternate, Winding };

struct Point {
  int x = 0, y = 0;
  bool operator==(const Point&) const = default;
};

class Region {
 public:
  virtual ~Region() = default;
  virtual std::unique_ptr<Region> Clone() const = 0;
  // this := this <mode> other.
  virtual void Combine(const Region& other, CombineMode mode) = 0;
  virtual void Offset(int dx, int dy) = 0;
  // The smallest rectangle holding every pixel; nullopt when empty.
  virtual std::optional<Rect> Bounds() const = 0;
  virtual bool Contains(int x, int y) const = 0;
};

// Shapes are made by the back end that will combine them. Each returns null
// when the back end cannot make the shape (GDI out of resources).
class RegionFactory {
 public:
  virtual ~RegionFactory() = default;
  // Pixels x1 <= x < x2, y1 <= y < y2 (corners in either order).
  virtual std::unique_ptr<Region> Rectangle(int x1, int y1, int x2, int y2) = 0;
  // The ellipse inscribed in that rectangle.
  virtual std::unique_ptr<Region> Ellipse(int x1, int y1, int x2, int y2) = 0;
  virtual std::unique_ptr<Region> RoundRect(int x1, int y1, int x2, int y2, int w, int h) = 0;
  virtual std::unique_ptr<Region> Polygon(const std::vector<Point>& points, FillRule rule) = 0;
};

}  // namespace dw
