#include "platform/win32/canvas_win.h"

#include "platform/gif.h"
#include "platform/win32/wide.h"

namespace dw {
namespace {

// Undoes one SelectObject when it goes out of scope.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~Selection() { SelectObject(dc_, old_); }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

RECT ToRect(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

std::unique_ptr<GdiPicture> LoadPicture(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  int width = 0;
  int height = 0;
  if (!GifScreenSize(bytes, size, width, height)) return nullptr;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !DecodeGif(bytes, size, static_cast<std::uint32_t*>(bits))) return nullptr;
  return std::make_unique<GdiPicture>(std::move(bitmap), width, height);
}

std::unique_ptr<GdiPicture> LoadGifResource(HMODULE module, const char* name) {
  HRSRC info = FindResourceA(module, name, "GIF");
  if (info == nullptr) return nullptr;
  HGLOBAL loaded = LoadResource(module, info);
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  return LoadPicture(data, SizeofResource(module, info));
}

GdiCanvas::GdiCanvas(HDC dc) : dc_(dc), savedState_(SaveDC(dc)) {}

GdiCanvas::~GdiCanvas() {
  if (oldFont_ != nullptr) SelectObject(dc_, oldFont_);
  if (savedState_ != 0) RestoreDC(dc_, savedState_);
}

COLORREF GdiCanvas::Resolve(Color color) {
  return IsSystemColor(color) ? GetSysColor(static_cast<int>(color & 0xFF)) : color & 0x00FFFFFF;
}

void GdiCanvas::SetFont(std::string_view name, int height) {
  if (name == fontName_ && height == fontHeight_) return;
  Canvas::SetFont(name, height);
  fontDirty_ = true;
}

void GdiCanvas::SelectFont() {
  if (!fontDirty_) return;
  // Russian character set: the captions are Russian whatever the system's
  // language, and a default set would give a non-Russian system no Cyrillic.
  UniqueFont font(CreateFontA(fontHeight_, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                              RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                              DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, fontName_.c_str()));
  if (!font) return;
  HGDIOBJ old = SelectObject(dc_, font.get());
  if (oldFont_ == nullptr) oldFont_ = old;
  font_ = std::move(font);
  fontDirty_ = false;
}

void GdiCanvas::FillRect(const Rect& r) {
  UniqueBrush brush(CreateSolidBrush(Resolve(brush_)));
  const RECT rc = ToRect(r);
  ::FillRect(dc_, &rc, brush.get());
}

void GdiCanvas::DrawFocusRect(const Rect& r) {
  const RECT rc = ToRect(r);
  // The focus rectangle inverts with the text colour; black on white keeps
  // it visible on any background.
  SetTextColor(dc_, RGB(0, 0, 0));
  SetBkColor(dc_, RGB(255, 255, 255));
  ::DrawFocusRect(dc_, &rc);
}

void GdiCanvas::RoundRect(const Rect& r, int cornerWidth, int cornerHeight) {
  UniqueHandle<GdiObjectTraits<HPEN>> pen(CreatePen(PS_SOLID, penWidth_, Resolve(pen_)));
  UniqueBrush brush(CreateSolidBrush(Resolve(brush_)));
  Selection selectPen(dc_, pen.get());
  Selection selectBrush(dc_, brush.get());
  ::RoundRect(dc_, r.left, r.top, r.right, r.bottom, cornerWidth, cornerHeight);
}

void GdiCanvas::TextRect(const Rect& clip, int x, int y, std::string_view text) {
  SelectFont();
  const std::wstring w = Wide(text);
  const RECT rc = ToRect(clip);
  SetTextColor(dc_, Resolve(fontColor_));
  SetBkColor(dc_, Resolve(brush_));
  SetBkMode(dc_, OPAQUE);
  ExtTextOutW(dc_, x, y, ETO_CLIPPED | ETO_OPAQUE, &rc, w.c_str(), static_cast<UINT>(w.size()),
              nullptr);
}

void GdiCanvas::TextAt(int x, int y, std::string_view text) {
  SelectFont();
  const std::wstring w = Wide(text);
  SetTextColor(dc_, Resolve(fontColor_));
  SetBkMode(dc_, TRANSPARENT);
  ExtTextOutW(dc_, x, y, 0, nullptr, w.c_str(), static_cast<UINT>(w.size()), nullptr);
}

Size GdiCanvas::TextExtent(std::string_view text) {
  SelectFont();
  const std::wstring w = Wide(text);
  SIZE size{};
  if (!GetTextExtentPoint32W(dc_, w.c_str(), static_cast<int>(w.size()), &size)) return {};
  return {size.cx, size.cy};
}

void GdiCanvas::Draw(int x, int y, const Picture& picture) {
  const auto* gdi = dynamic_cast<const GdiPicture*>(&picture);
  if (gdi == nullptr) return;
  HDC source = CreateCompatibleDC(dc_);
  if (source == nullptr) return;
  {
    Selection select(source, gdi->get());
    BitBlt(dc_, x, y, gdi->Width(), gdi->Height(), source, 0, 0, SRCCOPY);
  }
  DeleteDC(source);
}

}  // namespace dw
