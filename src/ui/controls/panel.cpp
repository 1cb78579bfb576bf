#include "ui/controls/panel.h"

#include <algorithm>

namespace dw::ui {
namespace {

void Frame(Canvas& canvas, Rect& r, Color topLeft, Color bottomRight, int width) {
  for (int i = 0; i < width && r.left < r.right && r.top < r.bottom; ++i) {
    canvas.SetBrushColor(topLeft);
    canvas.FillRect({r.left, r.top, r.right - 1, r.top + 1});
    canvas.FillRect({r.left, r.top, r.left + 1, r.bottom - 1});
    canvas.SetBrushColor(bottomRight);
    canvas.FillRect({r.right - 1, r.top, r.right, r.bottom});
    canvas.FillRect({r.left, r.bottom - 1, r.right, r.bottom});
    r = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
  }
}

}  // namespace

void PaintedPanel::SetSize(int width, int height) {
  width_ = std::max(0, width);
  height_ = std::max(0, height);
}

void PaintedPanel::Paint(Canvas& canvas) { PaintPanel(canvas); }

void PaintedPanel::Repaint() {
  if (host_ != nullptr) host_->PaintNow();
}

void PaintedPanel::PaintPanel(Canvas& canvas) {
  Rect r{0, 0, width_, height_};
  if (outerBevel != Bevel::None) {
    const bool raised = outerBevel == Bevel::Raised;
    Frame(canvas, r, raised ? kClBtnHighlight : kClBtnShadow,
          raised ? kClBtnShadow : kClBtnHighlight, bevelWidth);
  }
  canvas.SetBrushColor(faceColour);
  if (r.left < r.right && r.top < r.bottom) canvas.FillRect(r);
  if (caption.empty()) return;
  canvas.SetFont(font.name, font.height);
  canvas.SetFontColor(enabled_ ? font.color : kClGrayText);
  const Size extent = canvas.TextExtent(caption);
  canvas.TextAt((width_ - extent.cx) / 2, (height_ - extent.cy) / 2, caption);
}

}  // namespace dw::ui
