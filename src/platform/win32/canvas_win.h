// The Canvas port on a GDI device context, and pictures loaded from GIF data.
#pragma once

#include "platform/win32/win.h"

#include <cstddef>
#include <memory>
#include <string>

#include "platform/canvas.h"
#include "platform/win32/unique_handle.h"

namespace dw {

// A 32-bit top-down DIB section with its size.
class GdiPicture final : public Picture {
 public:
  GdiPicture(UniqueBitmap bitmap, int width, int height)
      : bitmap_(std::move(bitmap)), width_(width), height_(height) {}
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  HBITMAP get() const { return bitmap_.get(); }

 private:
  UniqueBitmap bitmap_;
  int width_;
  int height_;
};

// A GIF from memory (the program's own pictures: see DecodeGif); null when
// the data is not one. Decoded here, not by the system's picture loader
// (OleLoadPicture), which takes its imaging libraries with it: under Wine
// the largest single cost of a start before its first paint.
std::unique_ptr<GdiPicture> LoadPicture(const void* data, std::size_t size);
// A picture resource of type "GIF" by name; null when missing or unreadable.
std::unique_ptr<GdiPicture> LoadGifResource(HMODULE module, const char* name);

// Draws on `dc` for as long as it lives; everything it selects into the DC is
// put back when it goes. Texts are code page 1251 and drawn as UTF-16.
class GdiCanvas final : public Canvas {
 public:
  explicit GdiCanvas(HDC dc);
  ~GdiCanvas() override;
  GdiCanvas(const GdiCanvas&) = delete;
  GdiCanvas& operator=(const GdiCanvas&) = delete;

  void FillRect(const Rect& r) override;
  void DrawFocusRect(const Rect& r) override;
  void RoundRect(const Rect& r, int cornerWidth, int cornerHeight) override;
  void Draw(int x, int y, const Picture& picture) override;

  static COLORREF Resolve(Color color);

  void SetFont(std::string_view name, int height) override;
  void TextRect(const Rect& clip, int x, int y, std::string_view text) override;
  void TextAt(int x, int y, std::string_view text) override;
  Size TextExtent(std::string_view text) override;

 private:
  void SelectFont();

  HDC dc_;
  HGDIOBJ oldFont_ = nullptr;
  int savedState_ = 0;
  UniqueFont font_;
  bool fontDirty_ = true;
};

}  // namespace dw
