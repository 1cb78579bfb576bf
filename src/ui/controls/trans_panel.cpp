#include "ui/controls/trans_panel.h"

namespace dw::ui {

void TTransPanel::Paint(Canvas& canvas) {
  if (Image == nullptr) {
    PaintPanel(canvas);
    return;
  }
  canvas.Draw(ImageLeft, ImageTop, *Image);
  const int w = Width();
  const int h = Height();
  const int b = borderWidth;
  canvas.SetBrushColor(BorderColor);
  // The strips' uneven ends (left stops a row short, right does not) are the
  // skin's look; empty strips are not drawn at all.
  auto strip = [&](bool on, const Rect& r) {
    if (on && r.left < r.right && r.top < r.bottom) canvas.FillRect(r);
  };
  strip(BorderLeft, {0, 0, b, h - 1});
  strip(BorderRight, {w - b - 1, 0, w - 1, h});
  strip(BorderTop, {0, 0, w - 1, b});
  strip(BorderBottom, {0, h - b - 1, w - 1, h - 1});
}

}  // namespace dw::ui
