#include "ui/window_chrome.h"

#include "text/fold.h"

namespace dw::ui {

SkinZone SkinZoneAt(int x, int y) {
  if (y < 5 || y > 21) return SkinZone::None;
  if (x >= 453 && x <= 472) return SkinZone::Minimise;
  if (x >= 475 && x <= 494) return SkinZone::Close;
  return SkinZone::None;
}

TextId SkinZoneHint(SkinZone zone) {
  return zone == SkinZone::Minimise ? TextId::HintMinimise : TextId::HintClose;
}

void SkinDrag::MouseDown(bool leftHeld, int x, int y) {
  if (!leftHeld) return;
  dragging_ = true;
  dragX_ = x;
  dragY_ = y;
}

std::optional<DragMove> SkinDrag::MouseMove(bool leftHeld, int x, int y) const {
  if (!leftHeld || !dragging_) return std::nullopt;
  return DragMove{x - dragX_, y - dragY_};
}


void HintController::ShowHintAt(HintAnchor anchor, int x, std::string_view text, int y) {
  const std::string trimmed(TrimBlanks(text));
  if (trimmed.empty()) return;
  if (exists_) {
    // The same hint again (the pointer moving within a zone): no flicker.
    if (port_.Text() == trimmed && port_.Visible()) return;
  } else {
    port_.Create();
    exists_ = true;
  }
  port_.ShowAt(anchor, x, y, trimmed);
  // A running timer is not restarted: the hint goes at its first tick.
  if (!port_.TimerRunning()) port_.StartTimer(kHintHidePauseMs);
}

void HintController::TimerTick() {
  if (exists_) port_.Destroy();
  port_.StopTimer();
  exists_ = false;
}

}  // namespace dw::ui
