// SpeedGraph: the speed graph, one bar per sample, newest at the right,
// scaled against the largest sample since the last Clear; the part of a bar
// above the middle height in topColour, the rest in bottomColour.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/controls/panel.h"

namespace dw::ui {

class SpeedGraph : public PaintedPanel {
 public:
  SpeedGraph();

  Color topColour = kBlack;
  Color bottomColour = kBlack;
  // Width of a bar in percent of the distance between bar positions.
  std::uint32_t barWidthPercent = 0;

  std::uint32_t ScaleLength() const { return scaleLength_; }
  // At least 1; fewer positions than samples held drop the oldest.
  void SetScaleLength(std::uint32_t length);

  void AddValue(std::uint32_t value);
  // Forgets the samples and the maximum; does not repaint.
  void Clear();
  // The sample drawn at x (pixels from the left edge), or -1 when none is.
  std::int64_t ValueAt(int x) const;
  // The position of that sample (0 the oldest), or -1 when none is.
  std::int64_t IndexAt(int x) const;
  // A parent notification (wParam of WM_PARENTNOTIFY): a child destroyed
  // over the graph may have erased bars.
  void ParentNotify(std::uint32_t wparam);

  void Paint(Canvas& canvas) override;

  const std::vector<std::uint32_t>& samples() const { return samples_; }
  std::uint32_t maximum() const { return maximum_; }

 private:
  void PaintBars(Canvas& canvas) const;

  std::uint32_t scaleLength_ = 1;
  std::vector<std::uint32_t> samples_;
  std::uint32_t maximum_ = 1;
};

}  // namespace dw::ui
