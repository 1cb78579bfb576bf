// A picture control: a child window that shows a GIF picture (from the
// program's resources or from memory) or an icon at its top-left corner,
// over its parent's own look where the picture does not reach.
#pragma once

#include "platform/win32/win.h"

#include <memory>

#include "platform/win32/canvas_win.h"
#include "ui/framework/controls_win.h"
#include "ui/framework/window_win.h"

namespace dw::ui {

// Paints into `dc` what `child`'s parent shows under the child, by asking
// the parent to print its client area (WM_PRINTCLIENT) shifted to the child.
void PaintParentBackground(HWND child, HDC dc);

class PictureBox final : public WindowBase {
 public:
  static constexpr const char* kClassName = "DialwavePicture";

  bool Create(HWND parent, const Bounds& b);

  // A "GIF" resource of `module` by name; false (and nothing shown) when it
  // is missing or no picture.
  bool LoadGif(HMODULE module, const char* name);
  void SetPicture(std::unique_ptr<GdiPicture> picture);
  // An icon drawn at its own size; it stays the caller's.
  void SetIcon(HICON icon);

  const GdiPicture* Picture() const { return picture_.get(); }
  HICON Icon() const { return icon_; }

  // The whole look on any DC (WM_PAINT, WM_PRINTCLIENT, tests).
  void PaintTo(HDC dc);

 protected:
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

 private:
  std::unique_ptr<GdiPicture> picture_;
  HICON icon_ = nullptr;
};

}  // namespace dw::ui
