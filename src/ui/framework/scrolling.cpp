#include "ui/framework/scrolling.h"

#include <algorithm>

namespace dw::ui {
namespace {

// Integer division rounded towards plus infinity.
int CeilDiv(int a, int b) {
  const int q = a / b;
  return (a % b != 0 && ((a > 0) == (b > 0))) ? q + 1 : q;
}

}  // namespace

int LastScrollPosition(int range, int visible) { return std::max(0, range - visible); }

int WheelScrollPosition(int position, int delta, int range, int visible) {
  const int step = CeilDiv(delta, 10);
  return std::min(std::max(0, position - step), LastScrollPosition(range, visible));
}

int ScrollBarTarget(ScrollRequest request, int position, int track, int max, int page,
                    int smallStep, int largeStep) {
  switch (request) {
    case ScrollRequest::LineUp: position -= smallStep; break;
    case ScrollRequest::LineDown: position += smallStep; break;
    case ScrollRequest::PageUp: position -= largeStep; break;
    case ScrollRequest::PageDown: position += largeStep; break;
    case ScrollRequest::Track: position = track; break;
    case ScrollRequest::Top: position = 0; break;
    case ScrollRequest::Bottom: position = max; break;
  }
  const int last = std::max(0, max - std::max(0, page - 1));
  return std::clamp(position, 0, last);
}

}  // namespace dw::ui
