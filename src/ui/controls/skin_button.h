// SkinButton: the skin's push button. A rounded face in the skin's colours
// with a centred one-line caption; the face takes pressedColour while the left
// button is held on it, and a click needs press and release in the inner
// area with the pointer never 5 pixels or more from the press point between.
#pragma once

#include <functional>

#include "ui/controls/panel.h"

namespace dw::ui {

enum class MouseButton { Left };
// The shift state of a mouse event; the button looks only at the left button.
enum class ShiftState { None, Left };

class SkinButton : public PaintedPanel {
 public:
  using MouseEvent = std::function<void(SkinButton&, MouseButton, ShiftState, int x, int y)>;
  using MoveEvent = std::function<void(SkinButton&, ShiftState, int x, int y)>;

  SkinButton();

  Color pressedColour = kBlack;
  Color outerRingColour = kBlack;
  Color innerRingColour = kBlack;
  Color borderColour = kBlack;
  Color backgroundColour = kBlack;
  int outerRingWidth = 0;
  int innerRingWidth = 0;
  int cornerDiameter = 0;

  std::function<void(SkinButton&)> onClick;
  MouseEvent onMouseDown;
  MoveEvent onMouseMove;
  MouseEvent onMouseUp;

  // Repaints at once.
  void SetEnabled(bool enabled) override;
  bool Pressed() const { return pressed_; }
  // Stores a new value and paints at once; the same value does nothing.
  void SetPressed(bool pressed);

  // Client coordinates as the window messages carry them (unsigned 16 bits).
  void LeftButtonDown(int x, int y);
  void MouseMove(int x, int y, bool leftHeld);
  void LeftButtonUp(int x, int y);
  void MouseLeave();

  void Paint(Canvas& canvas) override;

 private:
  bool InInnerArea(int x, int y) const;

  bool pressed_ = false;
  int pressX_ = 0;
  int pressY_ = 0;
  // The pen width the control's canvas is left with: the outer ring is drawn
  // with whatever the previous paint left (1 before the first paint).
  int canvasPenWidth_ = 1;
};

}  // namespace dw::ui
