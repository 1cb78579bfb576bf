#include "ui/controls/skin_button.h"

#include <cstdlib>

namespace dw::ui {

SkinButton::SkinButton() {
  faceColour = kBlack;
  outerBevel = Bevel::None;
}

void SkinButton::SetEnabled(bool enabled) {
  PaintedPanel::SetEnabled(enabled);
  Repaint();
}

void SkinButton::SetPressed(bool pressed) {
  if (pressed == pressed_) return;
  pressed_ = pressed;
  Repaint();
}

bool SkinButton::InInnerArea(int x, int y) const {
  return x > 1 && y > 1 && x < Width() - 2 && y < Height() - 2;
}

void SkinButton::LeftButtonDown(int x, int y) {
  SetPressed(InInnerArea(x, y));
  pressX_ = x;
  pressY_ = y;
  if (onMouseDown) onMouseDown(*this, MouseButton::Left, ShiftState::Left, x, y);
}

void SkinButton::MouseMove(int x, int y, bool leftHeld) {
  ShiftState shift = ShiftState::Left;
  if (!leftHeld) {
    SetPressed(false);
    shift = ShiftState::None;
  }
  // A press cancelled here stays cancelled: only a new press sets the flag.
  SetPressed(pressed_ && std::abs(x - pressX_) < 5 && std::abs(y - pressY_) < 5 &&
             InInnerArea(x, y));
  if (onMouseMove) onMouseMove(*this, shift, x, y);
}

void SkinButton::LeftButtonUp(int x, int y) {
  if (onMouseUp) onMouseUp(*this, MouseButton::Left, ShiftState::Left, x, y);
  if (pressed_ && onClick) onClick(*this);
  SetPressed(false);
  Repaint();
}

void SkinButton::MouseLeave() { SetPressed(false); }

void SkinButton::Paint(Canvas& canvas) {
  const int w = Width();
  const int h = Height();
  const Color face = pressed_ ? pressedColour : faceColour;
  canvas.SetPenWidth(canvasPenWidth_);

  canvas.SetBrushColor(backgroundColour);
  canvas.FillRect({0, 0, w, h});
  if (outerRingWidth > 0) {
    canvas.SetPenColor(outerRingColour);
    canvas.SetBrushColor(outerRingColour);
    canvas.RoundRect({1, 1, w - 1, h - 1}, cornerDiameter, cornerDiameter);
  }
  canvas.SetPenColor(Enabled() ? borderColour : kClInactiveBorder);
  canvas.SetPenWidth(borderWidth);
  canvas.SetBrushColor(innerRingWidth > 0 ? innerRingColour : face);
  const int e = outerRingWidth;
  canvas.RoundRect({e, e, w - e - 1, h - e - 1}, cornerDiameter, cornerDiameter);
  if (innerRingWidth > 0) {
    canvas.SetBrushColor(face);
    canvas.SetPenColor(font.color);
    const int c = innerRingWidth + outerRingWidth + borderWidth;
    canvas.FillRect({c, c, w - c - 2, h - c - 2});
  }

  canvas.SetFont(font.name, font.height);
  const Size extent = canvas.TextExtent(caption);
  const int tx = (w - extent.cx) / 2 - 1;
  const int ty = (h - extent.cy) / 2 - 1;
  canvas.SetFontColor(Enabled() ? kClBtnText : kClGrayText);
  canvas.SetBrushColor(face);
  canvas.TextRect({tx, ty, tx + extent.cx + 1, ty + extent.cy + 1}, tx, ty, caption);
  canvasPenWidth_ = canvas.PenWidth();
}

}  // namespace dw::ui
