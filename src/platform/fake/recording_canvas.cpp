#include "platform/fake/recording_canvas.h"

#include <cstdlib>

namespace dw {

CanvasCall RecordingCanvas::Call(CanvasCall::Kind kind) const {
  return CanvasCall{.kind = kind,
                    .pen = pen_,
                    .penWidth = penWidth_,
                    .brush = brush_,
                    .fontName = fontName_,
                    .fontHeight = fontHeight_,
                    .fontColor = fontColor_};
}

void RecordingCanvas::FillRect(const Rect& r) {
  CanvasCall c = Call(CanvasCall::Kind::FillRect);
  c.rect = r;
  calls_.push_back(std::move(c));
}

void RecordingCanvas::RoundRect(const Rect& r, int cornerWidth, int cornerHeight) {
  CanvasCall c = Call(CanvasCall::Kind::RoundRect);
  c.rect = r;
  c.cornerWidth = cornerWidth;
  c.cornerHeight = cornerHeight;
  calls_.push_back(std::move(c));
}

void RecordingCanvas::TextRect(const Rect& clip, int x, int y, std::string_view text) {
  CanvasCall c = Call(CanvasCall::Kind::TextRect);
  c.rect = clip;
  c.x = x;
  c.y = y;
  c.text = text;
  calls_.push_back(std::move(c));
}

void RecordingCanvas::DrawFocusRect(const Rect& r) {
  CanvasCall c = Call(CanvasCall::Kind::FocusRect);
  c.rect = r;
  calls_.push_back(std::move(c));
}

void RecordingCanvas::TextAt(int x, int y, std::string_view text) {
  CanvasCall c = Call(CanvasCall::Kind::TextAt);
  c.x = x;
  c.y = y;
  c.text = text;
  calls_.push_back(std::move(c));
}

Size RecordingCanvas::TextExtent(std::string_view text) {
  return {charWidth * static_cast<int>(text.size()), std::abs(fontHeight_) + 3};
}

void RecordingCanvas::Draw(int x, int y, const Picture& picture) {
  CanvasCall c = Call(CanvasCall::Kind::Draw);
  c.x = x;
  c.y = y;
  c.picture = &picture;
  calls_.push_back(std::move(c));
}

}  // namespace dw
