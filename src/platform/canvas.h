// Drawing, behind a port so that the skinned controls are tested by what they
// draw, without a screen. The Win32 adapter draws with GDI on a device
// context; the recording canvas (platform/fake) keeps every call.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dw {

// 0x00BBGGRR, or a system-colour code (index | 0x80000000) that the adapter
// resolves when it draws.
using Color = std::uint32_t;

constexpr Color Rgb(unsigned r, unsigned g, unsigned b) {
  return r | (g << 8) | (b << 16);
}
constexpr Color SystemColor(unsigned index) {
  return 0x80000000u | index;
}
constexpr bool IsSystemColor(Color c) {
  return (c & 0x80000000u) != 0;
}

constexpr Color kBlack = Rgb(0, 0, 0);
constexpr Color kWhite = Rgb(255, 255, 255);
// The system colours the controls use, by their Win32 indices.
constexpr Color kClBtnFace = SystemColor(15);
constexpr Color kClBtnShadow = SystemColor(16);
constexpr Color kClGrayText = SystemColor(17);
constexpr Color kClBtnText = SystemColor(18);
constexpr Color kClInactiveBorder = SystemColor(11);
constexpr Color kClBtnHighlight = SystemColor(20);
constexpr Color kClWindowText = SystemColor(8);

// Right and bottom are exclusive, as in GDI.
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const Rect&) const = default;
};

struct Size {
  int cx = 0, cy = 0;
  bool operator==(const Size&) const = default;
};

// A picture held by a canvas adapter (a GIF from the resources on Windows).
class Picture {
 public:
  virtual ~Picture() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
};

// Pen, brush and font are state, as on a GDI device context: calls use the
// colours and widths set last.
class Canvas {
 public:
  virtual ~Canvas() = default;

  void SetPenColor(Color color) { pen_ = color; }
  void SetPenWidth(int width) { penWidth_ = width; }
  int PenWidth() const { return penWidth_; }
  void SetBrushColor(Color color) { brush_ = color; }
  Color BrushColor() const { return brush_; }
  // Font by name and height (negative: character height in pixels, as the
  // Win32 LOGFONT); the text is code page 1251.
  virtual void SetFont(std::string_view name, int height) {
    fontName_ = name;
    fontHeight_ = height;
  }
  void SetFontColor(Color color) { fontColor_ = color; }

  // The rectangle with the brush, no outline.
  virtual void FillRect(const Rect& r) = 0;
  // Outlined with the pen and filled with the brush; corners rounded by an
  // ellipse of cornerWidth x cornerHeight.
  virtual void RoundRect(const Rect& r, int cornerWidth, int cornerHeight) = 0;
  // One line of text at (x, y), clipped to `clip`, whose background is filled
  // with the brush colour first.
  virtual void TextRect(const Rect& clip, int x, int y, std::string_view text) = 0;
  // One line of text at (x, y) on a transparent background.
  virtual void TextAt(int x, int y, std::string_view text) = 0;
  virtual Size TextExtent(std::string_view text) = 0;
  // At its own size, top-left corner at (x, y).
  virtual void Draw(int x, int y, const Picture& picture) = 0;
  // The system's dotted focus rectangle (drawn by inverting: twice is none).
  virtual void DrawFocusRect(const Rect& r) = 0;

 protected:
  Color pen_ = kBlack;
  int penWidth_ = 1;
  Color brush_ = kWhite;
  std::string fontName_ = "MS Sans Serif";
  int fontHeight_ = -11;
  Color fontColor_ = kClWindowText;
};

}  // namespace dw
