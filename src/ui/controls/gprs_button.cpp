#include "ui/controls/gprs_button.h"

#include <cstdlib>

namespace dw::ui {

TGPRSButton::TGPRSButton() {
  color = kBlack;
  bevelOuter = Bevel::None;
}

void TGPRSButton::SetEnabled(bool enabled) {
  TPanel::SetEnabled(enabled);
  Repaint();
}

void TGPRSButton::SetPressed(bool pressed) {
  if (pressed == pressed_) return;
  pressed_ = pressed;
  Repaint();
}

bool TGPRSButton::InInnerArea(int x, int y) const {
  return x > 1 && y > 1 && x < Width() - 2 && y < Height() - 2;
}

void TGPRSButton::LeftButtonDown(int x, int y) {
  SetPressed(InInnerArea(x, y));
  pressX_ = x;
  pressY_ = y;
  if (OnMouseDown) OnMouseDown(*this, MouseButton::Left, ShiftState::Left, x, y);
}

void TGPRSButton::MouseMove(int x, int y, bool leftHeld) {
  ShiftState shift = ShiftState::Left;
  if (!leftHeld) {
    SetPressed(false);
    shift = ShiftState::None;
  }
  // A press cancelled here stays cancelled: only a new press sets the flag.
  SetPressed(pressed_ && std::abs(x - pressX_) < 5 && std::abs(y - pressY_) < 5 &&
             InInnerArea(x, y));
  if (OnMouseMove) OnMouseMove(*this, shift, x, y);
}

void TGPRSButton::LeftButtonUp(int x, int y) {
  if (OnMouseUp) OnMouseUp(*this, MouseButton::Left, ShiftState::Left, x, y);
  if (pressed_ && OnClick) OnClick(*this);
  SetPressed(false);
  Repaint();
}

void TGPRSButton::MouseLeave() { SetPressed(false); }

void TGPRSButton::Paint(Canvas& canvas) {
  const int w = Width();
  const int h = Height();
  const Color face = pressed_ ? DownColor : color;
  canvas.SetPenWidth(canvasPenWidth_);

  canvas.SetBrushColor(BgColor);
  canvas.FillRect({0, 0, w, h});
  if (ExtWidth > 0) {
    canvas.SetPenColor(ExtColor);
    canvas.SetBrushColor(ExtColor);
    canvas.RoundRect({1, 1, w - 1, h - 1}, Curve, Curve);
  }
  canvas.SetPenColor(Enabled() ? BorderColor : kClInactiveBorder);
  canvas.SetPenWidth(borderWidth);
  canvas.SetBrushColor(IntWidth > 0 ? IntColor : face);
  const int e = ExtWidth;
  canvas.RoundRect({e, e, w - e - 1, h - e - 1}, Curve, Curve);
  if (IntWidth > 0) {
    canvas.SetBrushColor(face);
    canvas.SetPenColor(font.color);
    const int c = IntWidth + ExtWidth + borderWidth;
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
