#include "ui/framework/picture_box_win.h"

#include "ui/framework/gdi_scope_win.h"

namespace dw::ui {

void PaintParentBackground(HWND child, HDC dc) {
  const HWND parent = GetParent(child);
  if (parent == nullptr) return;
  POINT origin{0, 0};
  MapWindowPoints(child, parent, &origin, 1);
  POINT old{};
  OffsetViewportOrgEx(dc, -origin.x, -origin.y, &old);
  SendMessageA(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  SetViewportOrgEx(dc, old.x, old.y, nullptr);
}

bool PictureBox::Create(HWND parent, const Bounds& b) {
  RegisterClassOnce(kClassName);
  // Transparent to the mouse, like a framework picture without handlers.
  return WindowBase::Create(kClassName, 0, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, "", b.x, b.y,
                            b.width, b.height, parent);
}

bool PictureBox::LoadGif(HMODULE module, const char* name) {
  auto picture = LoadGifResource(module, name);
  const bool loaded = picture != nullptr;
  SetPicture(std::move(picture));
  return loaded;
}

void PictureBox::SetPicture(std::unique_ptr<GdiPicture> picture) {
  picture_ = std::move(picture);
  icon_ = nullptr;
  if (hwnd() != nullptr) InvalidateRect(hwnd(), nullptr, TRUE);
}

void PictureBox::SetIcon(HICON icon) {
  icon_ = icon;
  picture_.reset();
  if (hwnd() != nullptr) InvalidateRect(hwnd(), nullptr, TRUE);
}

void PictureBox::PaintTo(HDC dc) {
  RECT client{};
  GetClientRect(hwnd(), &client);
  const bool covered = picture_ != nullptr && picture_->Width() >= client.right &&
                       picture_->Height() >= client.bottom;
  if (!covered) PaintParentBackground(hwnd(), dc);
  if (picture_ != nullptr) {
    GdiCanvas canvas(dc);
    canvas.Draw(0, 0, *picture_);
  } else if (icon_ != nullptr) {
    DrawIconEx(dc, 0, 0, icon_, 0, 0, 0, nullptr, DI_NORMAL);
  }
}

bool PictureBox::OnMessage(UINT message, WPARAM wparam, LPARAM /*lparam*/, LRESULT& result) {
  switch (message) {
    case WM_PAINT: {
      const PaintScope paint(hwnd());
      if (paint.get() != nullptr) PaintTo(paint.get());
      result = 0;
      return true;
    }
    case WM_PRINTCLIENT:
      PaintTo(reinterpret_cast<HDC>(wparam));
      result = 0;
      return true;
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_NCHITTEST:
      result = HTTRANSPARENT;
      return true;
    default:
      return false;
  }
}

}  // namespace dw::ui
