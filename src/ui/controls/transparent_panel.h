// TransparentPanel: a panel that shows the part of the form's background picture
// under it instead of a face, so its children seem to sit on the skin, with
// optional strips along its edges. Without a picture it is a plain panel.
#pragma once

#include <string>
#include <vector>

#include "ui/controls/panel.h"

namespace dw::ui {

class TransparentPanel : public PaintedPanel {
 public:
  bool leftStrip = false;
  bool rightStrip = false;
  bool topStrip = false;
  bool bottomStrip = false;
  Color stripColour = kBlack;
  // The background picture; not owned, it outlives the panel.
  const Picture* background = nullptr;
  int backgroundTop = 0;
  int backgroundLeft = 0;
  // Texts that never change, drawn by the panel (black, one line each, on a
  // white box) rather than by label windows of their own: under Wine every
  // child window costs about a millisecond of each paint.
  struct Caption {
    Rect box;
    std::string text;  // code page 1251
  };
  std::vector<Caption> captions;
  std::string captionFont = "Tahoma";
  int captionHeight = -11;

  void Paint(Canvas& canvas) override;

 private:
  void PaintSkin(Canvas& canvas);
};

}  // namespace dw::ui
