// The framework's panel, as far as the skinned controls build on it: a size,
// a face colour, an outer bevel, a border and a centred caption, painted on
// a Canvas. A host (the control's window, or a test) paints it on request.
#pragma once

#include <string>

#include "platform/canvas.h"

namespace dw::ui {

// Whoever shows a control: paints it at once when the control asks.
class ControlHost {
 public:
  virtual ~ControlHost() = default;
  virtual void PaintNow() = 0;
};

struct FontSpec {
  std::string name = "MS Sans Serif";
  int height = -11;  // negative: character height in pixels
  Color color = kClWindowText;
};

enum class Bevel { None, Raised, Lowered };

class PaintedPanel {
 public:
  virtual ~PaintedPanel() = default;

  void SetHost(ControlHost* host) { host_ = host; }
  void SetSize(int width, int height);
  int Width() const { return width_; }
  int Height() const { return height_; }

  Color faceColour = kClBtnFace;
  Bevel outerBevel = Bevel::Raised;
  int bevelWidth = 1;
  int borderWidth = 0;
  std::string caption;  // code page 1251
  FontSpec font;

  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled) { enabled_ = enabled; }

  // The whole look of the control on `canvas`.
  virtual void Paint(Canvas& canvas);
  // Paints at once through the host (nothing without one).
  void Repaint();

 protected:
  // The standard panel: bevel, border in the face colour, face, caption.
  void PaintPanel(Canvas& canvas);

 private:
  ControlHost* host_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  bool enabled_ = true;
};

}  // namespace dw::ui
