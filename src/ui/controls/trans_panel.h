// TTransPanel: a panel that shows the part of the form's background picture
// under it instead of a face, so its children seem to sit on the skin, with
// optional strips along its edges. Without a picture it is a plain panel.
#pragma once

#include "ui/controls/panel.h"

namespace dw::ui {

class TTransPanel : public TPanel {
 public:
  bool BorderLeft = false;
  bool BorderRight = false;
  bool BorderTop = false;
  bool BorderBottom = false;
  Color BorderColor = kBlack;
  // The background picture; not owned, it outlives the panel.
  const Picture* Image = nullptr;
  int ImageTop = 0;
  int ImageLeft = 0;

  void Paint(Canvas& canvas) override;
};

}  // namespace dw::ui
