// A canvas that keeps every drawing call with the pen, brush and font in
// force at that moment, so tests check what a control draws and in what
// order. Text extents come from a fixed metric: `charWidth` pixels a
// character, the font's pixel height plus 3 (what Tahoma -12 measures).
#pragma once

#include <string>
#include <vector>

#include "platform/canvas.h"

namespace dw {

struct CanvasCall {
  enum class Kind { FillRect, RoundRect, TextRect, TextAt, Draw, FocusRect };
  Kind kind = Kind::FillRect;
  Rect rect;  // FillRect, RoundRect, TextRect (the clip), FocusRect
  int cornerWidth = 0, cornerHeight = 0;
  int x = 0, y = 0;  // TextRect, TextAt, Draw
  std::string text;
  const Picture* picture = nullptr;
  Color pen = 0;
  int penWidth = 0;
  Color brush = 0;
  std::string fontName;
  int fontHeight = 0;
  Color fontColor = 0;
};

class RecordingCanvas final : public Canvas {
 public:
  void FillRect(const Rect& r) override;
  void RoundRect(const Rect& r, int cornerWidth, int cornerHeight) override;
  void Draw(int x, int y, const Picture& picture) override;
  void DrawFocusRect(const Rect& r) override;

  int charWidth = 6;
  void TextRect(const Rect& clip, int x, int y, std::string_view text) override;
  void TextAt(int x, int y, std::string_view text) override;
  Size TextExtent(std::string_view text) override;

  const std::vector<CanvasCall>& calls() const { return calls_; }
  void Forget() { calls_.clear(); }

 private:
  CanvasCall Call(CanvasCall::Kind kind) const;

  std::vector<CanvasCall> calls_;
};

// A picture with a size and nothing else.
class FakePicture final : public Picture {
 public:
  FakePicture(int width, int height) : width_(width), height_(height) {}
  int Width() const override { return width_; }
  int Height() const override { return height_; }

 private:
  int width_, height_;
};

}  // namespace dw
