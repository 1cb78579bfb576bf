// TransparentPanel: a panel that shows the part of the form's background picture
// under it instead of a face, so its children seem to sit on the skin, with
// optional strips along its edges. Without a picture it is a plain panel.
#pragma once

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

  void Paint(Canvas& canvas) override;
};

}  // namespace dw::ui
