#include "ui/controls/transparent_panel.h"

namespace dw::ui {

void TransparentPanel::Paint(Canvas& canvas) {
  if (background == nullptr) {
    PaintPanel(canvas);
  } else {
    PaintSkin(canvas);
  }
  if (captions.empty()) return;
  canvas.SetFont(captionFont, captionHeight);
  canvas.SetFontColor(kBlack);
  canvas.SetBrushColor(kWhite);
  for (const Caption& c : captions) canvas.TextRect(c.box, c.box.left, c.box.top, c.text);
}

void TransparentPanel::PaintSkin(Canvas& canvas) {
  canvas.Draw(backgroundLeft, backgroundTop, *background);
  const int w = Width();
  const int h = Height();
  const int b = borderWidth;
  canvas.SetBrushColor(stripColour);
  // The strips' uneven ends (left stops a row short, right does not) are the
  // skin's look; empty strips are not drawn at all.
  auto strip = [&](bool on, const Rect& r) {
    if (on && r.left < r.right && r.top < r.bottom) canvas.FillRect(r);
  };
  strip(leftStrip, {0, 0, b, h - 1});
  strip(rightStrip, {w - b - 1, 0, w - 1, h});
  strip(topStrip, {0, 0, w - 1, b});
  strip(bottomStrip, {0, h - b - 1, w - 1, h - 1});
}

}  // namespace dw::ui
