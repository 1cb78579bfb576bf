#include "ui/controls/speed_graph.h"

#include <algorithm>

namespace dw::ui {
namespace {

// The bar arithmetic is real-number arithmetic with a ceiling at each step;
// done in integers it is exact (in floating point 192 / 40 * 5 would come out
// a hair above 24 and its ceiling 25).
std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && ((a < 0) == (b < 0))) ? q + 1 : q;
}

}  // namespace

SpeedGraph::SpeedGraph() = default;

void SpeedGraph::SetScaleLength(std::uint32_t length) {
  scaleLength_ = std::max<std::uint32_t>(1, length);
  if (samples_.size() > scaleLength_) {
    samples_.erase(samples_.begin(), samples_.end() - scaleLength_);
  }
}

void SpeedGraph::AddValue(std::uint32_t value) {
  if (samples_.size() >= scaleLength_) {
    std::move(samples_.begin() + 1, samples_.end(), samples_.begin());
    samples_.back() = value;
  } else {
    samples_.push_back(value);
  }
  maximum_ = std::max(maximum_, value);
  Repaint();
}

void SpeedGraph::Clear() {
  samples_.clear();
  maximum_ = 1;
}

std::int64_t SpeedGraph::ValueAt(int x) const {
  const std::int64_t index = IndexAt(x);
  return index < 0 ? -1 : static_cast<std::int64_t>(samples_[static_cast<std::size_t>(index)]);
}

std::int64_t SpeedGraph::IndexAt(int x) const {
  if (x < 0 || Width() <= 0) return -1;
  // Nearest integer to ScaleLength / width * x, halves to the even neighbour.
  const std::int64_t n = static_cast<std::int64_t>(scaleLength_) * x;
  const std::int64_t d = Width();
  std::int64_t index = n / d;
  const std::int64_t twice = 2 * (n % d);
  if (twice > d || (twice == d && index % 2 != 0)) ++index;
  return index < static_cast<std::int64_t>(samples_.size()) ? index : -1;
}

void SpeedGraph::ParentNotify(std::uint32_t wparam) {
  if ((wparam & 0xFFFF) == 2) Repaint();  // WM_DESTROY of a child
}

void SpeedGraph::Paint(Canvas& canvas) {
  PaintPanel(canvas);
  PaintBars(canvas);
}

void SpeedGraph::PaintBars(Canvas& canvas) const {
  const std::int64_t width = Width();
  const std::int64_t height = Height();
  const std::int64_t length = scaleLength_;
  if (width <= 0 || height <= 0) return;
  const std::int64_t barWidth = CeilDiv(width * barWidthPercent, 100 * length);
  const std::int64_t middle = CeilDiv(height, 2);
  for (std::size_t i = 0; i < samples_.size(); ++i) {
    const std::int64_t v = samples_[i];
    if (v == 0) continue;
    const int left = static_cast<int>(CeilDiv(width * static_cast<std::int64_t>(i), length));
    const int right = static_cast<int>(left + barWidth);
    const int top = static_cast<int>(std::max<std::int64_t>(2, height - CeilDiv(v * height, maximum_)));
    if (2 * v <= maximum_) {
      canvas.SetBrushColor(bottomColour);
      canvas.FillRect({left, top, right, static_cast<int>(height)});
    } else {
      canvas.SetBrushColor(topColour);
      canvas.FillRect({left, top, right, static_cast<int>(middle)});
      canvas.SetBrushColor(bottomColour);
      canvas.FillRect({left, static_cast<int>(middle), right, static_cast<int>(height)});
    }
  }
}

}  // namespace dw::ui
