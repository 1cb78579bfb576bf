// The frameless window's chrome without a window: the skin picture's button
// zones, dragging the window by the skin, and the custom hint's rules.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "text/texts.h"

namespace dw::ui {

enum class SkinZone { None, Minimise, Close };

// Where a custom hint is placed: coordinates are that control's client area.
enum class HintAnchor { MainWindow, Graph };

// The zone of the title strip at (x, y) of the skin picture; the ranges are
// inclusive and the two columns between the buttons belong to neither.
SkinZone SkinZoneAt(int x, int y);
// The zone's tooltip; only for Minimise and Close.
TextId SkinZoneHint(SkinZone zone);

// How many pixels above the pointer a zone's tooltip shows.
inline constexpr int kZoneHintRise = 25;
// The framework's hint-hide pause: how long a custom hint stays.
inline constexpr int kHintHidePauseMs = 2500;

struct DragMove {
  int dx = 0;  // add to the window's left
  int dy = 0;  // add to the window's top
};

// Dragging the window by the skin picture: the grab point stays under the
// pointer.
class SkinDrag {
 public:
  void MouseDown(bool leftHeld, int x, int y);
  std::optional<DragMove> MouseMove(bool leftHeld, int x, int y) const;
  // Another button's release keeps the drag while the left is still held.
  void MouseUp(bool leftStillHeld) { dragging_ = leftStillHeld; }
  bool Dragging() const { return dragging_; }

 private:
  bool dragging_ = false;
  int dragX_ = 0;
  int dragY_ = 0;
};

// The custom hint window as HintController needs it: a tooltip-style window
// and the timer that takes it away.
class HintWindowPort {
 public:
  virtual ~HintWindowPort() = default;
  virtual void Create() = 0;
  virtual void Destroy() = 0;
  virtual bool Visible() const = 0;
  virtual const std::string& Text() const = 0;
  // Shows `text` with its top-left corner at (x, y) of `anchor`'s client area.
  virtual void ShowAt(HintAnchor anchor, int x, int y, const std::string& text) = 0;
  virtual void StartTimer(int ms) = 0;
  virtual void StopTimer() = 0;
  virtual bool TimerRunning() const = 0;
};

// ShowHintAt and the hint timer: one hint window at a time, reused while it
// exists, gone at the first tick after it appeared.
class HintController {
 public:
  explicit HintController(HintWindowPort& port) : port_(port) {}
  void ShowHintAt(HintAnchor anchor, int x, std::string_view text, int y);
  void TimerTick();
  bool Exists() const { return exists_; }

 private:
  HintWindowPort& port_;
  bool exists_ = false;
};

}  // namespace dw::ui
