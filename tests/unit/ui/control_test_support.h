// A host that paints a control into a recording canvas whenever the control
// asks, and helpers to pick calls out of what was drawn.
#pragma once

#include <vector>

#include "platform/fake/recording_canvas.h"
#include "ui/controls/panel.h"

namespace dw::ui::test {

struct RecordingHost final : ControlHost {
  explicit RecordingHost(PaintedPanel& c) : control(c) { control.SetHost(this); }
  ~RecordingHost() override { control.SetHost(nullptr); }
  void PaintNow() override {
    ++paints;
    canvas.Forget();
    control.Paint(canvas);
  }
  PaintedPanel& control;
  RecordingCanvas canvas;
  int paints = 0;
};

inline std::vector<CanvasCall> Fills(const std::vector<CanvasCall>& calls) {
  std::vector<CanvasCall> out;
  for (const auto& c : calls) {
    if (c.kind == CanvasCall::Kind::FillRect) out.push_back(c);
  }
  return out;
}

}  // namespace dw::ui::test
